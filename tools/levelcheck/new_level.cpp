#include "tools/levelcheck/new_level.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "level/level_info.h"
#include "sprites/data_file.h"

namespace {

// The shipped level whose pictures and boss a new level starts from.
const char kModelLevel[] = "data/level_1";

// Largest shipped file copied: the background is 640x480 at 24 bits.
constexpr long kMaxCopiedBytes = 4L << 20;

// The leveldata of a new level; %1$s is how the game reaches the level's
// own folder. Line 1 must be the LEVEL line, so its comment follows it.
const char kLevelText[] =
    "LEVEL: 1\n"
    "# LEVEL (always line 1): the level number the play screen shows.\n"
    "# Lines that begin with # are comments; keys start at the beginning of a line.\n"
    "# Paths are relative to the folder the game runs in (the one holding data/)\n"
    "# and cannot hold blanks. See the manual page quarndel-level(5).\n"
    "\n"
    "# LEVEL IMAGE: picture shown at (200, 100) when the level begins; black is clear.\n"
    "LEVEL IMAGE: %1$s/title.bmp\n"
    "# NEXT LEVEL: folder of the level that follows this one's boss; none after the last.\n"
    "NEXT LEVEL: none\n"
    "# DISTANCE: screens of 640 pixels to fly before the boss comes (about 10.7 s each).\n"
    "DISTANCE: 3\n"
    "# BOSS: folder of the boss's sprite set (its frame list \"info\" and pictures);\n"
    "# the boss stands at (420, 110).\n"
    "BOSS: %1$s/boss\n"
    "# BOSS_HP: the boss's hit points; the game adds 8 and the difficulty (0 to 2).\n"
    "BOSS_HP: 10\n"
    "# SCENE: the 640x480 background; it scrolls left and wraps around.\n"
    "SCENE: %1$s/scene.bmp\n"
    "# SHIP: folder of the player's ship; frame 0 in play, all frames blink after a hit.\n"
    "SHIP: data/ship\n"
    "# BULLET: folder of the shots; frame 0 the player's, frame 1 the hostile one.\n"
    "BULLET: data/bullet\n"
    "# ENEMY 1: the enemies that fly a wave: unused (0), hit points, speed class.\n"
    "# Each enemy adds 0 or 1 at random and the difficulty to both numbers; speed\n"
    "# class s flies (s + 1) * 50 pixels a second.\n"
    "ENEMY 1: 0 0 0\n"
    "# ENEMY 2: the enemies that fly straight: unused (0), hit points, speed class.\n"
    "ENEMY 2: 0 1 0\n"
    "# ENEMY 3: read like the others, but no enemy of this kind is sent in.\n"
    "ENEMY 3: 0 1 1\n";

// The longest folder path a new level may have: its LEVEL IMAGE line,
// "LEVEL IMAGE: PATH/title.bmp", then fits the game's line of
// kLevelFieldSize - 1 characters.
constexpr int kMaxLevelFolderPath =
    kLevelFieldSize - 1 - (int)sizeof "LEVEL IMAGE: " + 1 - (int)sizeof "/title.bmp" + 1;

bool Exists(const std::string &path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// Creates the folders leading to dir that are missing (not dir itself).
bool MakeParents(const std::string &dir) {
    for (size_t slash = dir.find('/', 1); slash != std::string::npos;
         slash = dir.find('/', slash + 1)) {
        std::string parent = dir.substr(0, slash);
        if (mkdir(parent.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

bool WriteWhole(const std::string &path, const std::string &bytes) {
    FILE *file = fopen(path.c_str(), "wbx"); // never replaces a file
    if (file == nullptr) {
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

bool Copy(const std::string &from, const std::string &to) {
    std::string bytes;
    return ReadRegularFile(from.c_str(), kMaxCopiedBytes, bytes) == FileRead::kRead &&
           WriteWhole(to, bytes);
}

// Removes the folder a level was being built in, with the files and the one
// folder of files (the boss) it may hold.
void RemoveBuilt(const std::string &dir) {
    if (DIR *folder = opendir(dir.c_str())) {
        while (struct dirent *entry = readdir(folder)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            std::string path = dir + "/" + name;
            struct stat info;
            if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
                RemoveBuilt(path);
            } else {
                unlink(path.c_str());
            }
        }
        closedir(folder);
    }
    rmdir(dir.c_str());
}

// Copies every regular file of the folder from into the new folder to.
bool CopyFolder(const std::string &from, const std::string &to) {
    DIR *folder = opendir(from.c_str());
    if (folder == nullptr || mkdir(to.c_str(), 0777) != 0) {
        if (folder != nullptr) {
            closedir(folder);
        }
        return false;
    }
    bool ok = true;
    while (struct dirent *entry = readdir(folder)) {
        std::string name = entry->d_name;
        struct stat info;
        std::string source = from + "/" + name;
        if (name[0] != '.' && stat(source.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            ok = Copy(source, to + "/" + name) && ok;
        }
    }
    closedir(folder);
    return ok;
}

// How the game, run from the data folder, reaches dir: as given when it is
// absolute or the current folder is the data folder, else from the root.
std::string PathForTheGame(const std::string &dir, bool hereIsTheDataFolder) {
    if (dir[0] == '/' || hereIsTheDataFolder) {
        return dir;
    }
    char here[kLevelFieldSize];
    return getcwd(here, sizeof here) != nullptr ? std::string(here) + "/" + dir : dir;
}

} // namespace

int WriteNewLevel(const char *dirArg, const char *dataFolder, FILE *out, FILE *err) {
    std::string dir = dirArg;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    if (Exists(dir)) {
        fprintf(err, "quarndel-check: %s already exists; a new level needs a new folder\n",
                dir.c_str());
        return kNewLevelRefused;
    }
    std::string data = std::string(dataFolder) + "/";
    bool here = strcmp(dataFolder, ".") == 0;
    std::string path = PathForTheGame(dir, here);
    // The game reads a level file's lines in pieces of kLevelFieldSize - 1
    // characters: the longest line the new level holds, its LEVEL IMAGE line,
    // must be one piece. Paths in a level file are one word.
    if (path.find_first_of(" \t\r\n") != std::string::npos ||
        path.size() > (size_t)kMaxLevelFolderPath) {
        fprintf(err,
                "quarndel-check: %s: a new level's folder must be one word of at most %d "
                "characters\n",
                path.c_str(), kMaxLevelFolderPath);
        return kNewLevelRefused;
    }
    std::string model = data + kModelLevel;
    if (!Exists(model + "/scene.bmp")) {
        fprintf(err,
                "quarndel-check: no %s/scene.bmp to start from: run quarndel-check from the "
                "folder that holds data/\n",
                model.c_str());
        return kNewLevelRefused;
    }
    // The level is built in a folder of its own beside dir and renamed into
    // place whole: a level cut short (a full disk) leaves no half level that
    // a second try would refuse as existing.
    std::string built = dir + ".new-XXXXXX";
    if (!MakeParents(dir) || mkdtemp(&built[0]) == nullptr) {
        fprintf(err, "quarndel-check: cannot create %s: %s\n", dir.c_str(), strerror(errno));
        return kNewLevelRefused;
    }
    mode_t mask = umask(0);
    umask(mask);
    chmod(built.c_str(), 0777 & ~mask); // as mkdir would make it
    char text[sizeof kLevelText + 3 * kLevelFieldSize];
    snprintf(text, sizeof text, kLevelText, path.c_str());
    bool ok = Copy(model + "/scene.bmp", built + "/scene.bmp") &&
              Copy(model + "/title.bmp", built + "/title.bmp") &&
              CopyFolder(model + "/boss", built + "/boss") &&
              WriteWhole(built + "/leveldata", text);
    if (!ok) {
        RemoveBuilt(built);
        fprintf(err, "quarndel-check: could not write the whole level into %s (from %s)\n",
                dir.c_str(), model.c_str());
        return kNewLevelRefused;
    }
    // An empty folder made at dir meanwhile would be replaced by the rename:
    // look once more, so the level never takes a folder that exists.
    if (Exists(dir) || rename(built.c_str(), dir.c_str()) != 0) {
        int saved = errno;
        RemoveBuilt(built);
        fprintf(err, "quarndel-check: cannot create %s: %s\n", dir.c_str(),
                Exists(dir) ? "it exists now" : strerror(saved));
        return kNewLevelRefused;
    }
    fprintf(out,
            "quarndel-check: wrote a new level into %s\n"
            "  play it:  quarndel --watch --level %s   (every save shows in the game)\n"
            "  check it: quarndel-check %s\n",
            dir.c_str(), dir.c_str(), dir.c_str());
    return kNewLevelWritten;
}
