// quarndel-check: reads the game's data tree the way the game does and tells
// a level author what the game will make of it.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check/check.h"
#include "check/pictures.h"
#include "levelsets/data_folder.h"
#include "levelsets/level_pack.h"
#include "levelsets/level_set.h"
#include "tools/levelcheck/new_level.h"

namespace {

const char *const kHelp =
    "usage: quarndel-check [LEVEL_DIR]\n"
    "       quarndel-check --new-level DIR\n"
    "       quarndel-check --pack SET_DIR FILE\n"
    "\n"
    "Reads the game's data tree the way the game does, starting the level chain at\n"
    "LEVEL_DIR (default data/level_1), and reports every problem it finds. Run it\n"
    "from the folder that holds data/, like the game itself; from a folder without\n"
    "data/level_1 it checks the installed data tree, as the game would play it.\n"
    "\n"
    "It checks the start-up pictures, the cursor and enemy sprite sets, the title\n"
    "tune and the font, then every level file along the NEXT LEVEL chain, line by\n"
    "line, with the pictures and sprite sets each level names.\n"
    "\n"
    "Each problem is one line:\n"
    "  PATH:LINE: error: MESSAGE      a line of a file\n"
    "  PATH: error: MESSAGE           a whole file\n"
    "followed by a summary: \"quarndel-check: N levels, E errors, W warnings\".\n"
    "\n"
    "An error means the game will visibly misbehave: a picture, sprite set or level\n"
    "that is missing or cannot be read, a frame count that does not match the\n"
    "frame lines, sprite frames of different sizes, a picture that runs off the\n"
    "screen where the game draws it, a background that is not 640x480 or shows a\n"
    "seam where it wraps, a font file of the wrong size, a level chain that loops\n"
    "or leads to a missing level.\n"
    "\n"
    "A warning means the game silently does something other than what the file\n"
    "seems to say: a line it ignores (unknown or lower-case key, a blank before\n"
    "the key or the colon, a missing number, a LEVEL line after line 1), a value\n"
    "cut at a blank, a line longer than 254 characters that it reads as two, a\n"
    "key a level leaves out and so keeps from the level before (the first level\n"
    "starts from 0 and empty values).\n"
    "\n"
    "A background wraps without a seam when the mean colour difference between\n"
    "its column 639 and column 0 (0 to 255 per channel, over all rows) is at most\n"
    "12, or at most three times the mean difference between neighbouring columns.\n"
    "\n"
    "--new-level DIR writes a starter level into the new folder DIR: a leveldata\n"
    "with every key under a comment saying what it does, its own copies of the\n"
    "first level's background, title picture and boss, and NEXT LEVEL none. It\n"
    "never writes into a folder that exists (exit status 1). Play it with\n"
    "quarndel --watch --level DIR: every save shows in the running game.\n"
    "\n"
    "--pack SET_DIR FILE checks the level set in SET_DIR (its levelset file, or the\n"
    "folder's own level when it has none; see quarndel-level(5)) and writes it into\n"
    "the one file FILE, a .zip, .tar.gz or .tgz, for players to install with\n"
    "quarndel --install-levels FILE. A set the checker finds errors in is not packed\n"
    "(exit status 1).\n"
    "\n"
    "Exit status: 0 when there is no error, 1 when there is, 2 for bad usage or\n"
    "when the checker cannot start SDL video.\n";

int Usage() {
    fputs("usage: quarndel-check [LEVEL_DIR | --new-level DIR | --pack SET_DIR FILE]   "
          "(quarndel-check --help for more)\n",
          stderr);
    return 2;
}

// The folder the game would read data/ from, without changing into it.
const char *DataFolderHere() {
    static std::string folder;
    folder = ChooseDataFolder(nullptr, InstalledDataFolder()).folder;
    return folder.empty() ? "." : folder.c_str();
}

// The game's loaders convert pictures to the display format, so a video
// mode is needed; no window is wanted. False after one line on stderr.
bool StartVideo() {
    if (getenv("SDL_VIDEODRIVER") == nullptr) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "quarndel-check: cannot start SDL video: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_SWSURFACE) == nullptr) {
        fprintf(stderr, "quarndel-check: cannot set the 640x480 video mode: %s\n", SDL_GetError());
        SDL_Quit();
        return false;
    }
    return true;
}

void PrintReport(const Report &report) {
    for (const Finding &finding : report.findings) {
        puts(FormatFinding(finding).c_str());
    }
    puts(FormatSummary(report).c_str());
}

// --pack: checks the set in setDir from the data folder the game would
// play it with, and writes it into file when the checker finds no error.
int Pack(const char *setDir, const char *file) {
    if (!IsPackFileName(file)) {
        fprintf(stderr, "quarndel-check: %s: a pack's name ends in .zip, .tar.gz or .tgz\n", file);
        return 2;
    }
    Options where;
    where.level = setDir;
    where.settings = file; // made absolute like the set's folder
    if (EnterDataFolder(where, stderr) >= 0 || !StartVideo()) {
        return 2;
    }
    Report report;
    LevelSet set;
    CheckLevelSet(where.level, set, report);
    PrintReport(report);
    SDL_Quit();
    int errors = report.Count(Severity::Error);
    if (errors > 0) {
        fprintf(stderr, "quarndel-check: %s not packed: the checker finds %s in it\n", setDir,
                Counted(errors, "error", "errors").c_str());
        return 1;
    }
    std::string why;
    if (!WriteLevelPack(where.level, set.name, where.settings, why)) {
        fprintf(stderr, "quarndel-check: %s not packed: %s\n", setDir, why.c_str());
        return 1;
    }
    printf("quarndel-check: packed the set %s (%s) into %s\n", set.name.c_str(),
           Counted(report.levels, "level", "levels").c_str(), file);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const char *firstLevel = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(kHelp, stdout);
            return 0;
        }
        if (strcmp(argv[i], "--new-level") == 0) {
            if (argc != 3 || i != 1 || argv[2][0] == '\0') {
                return Usage();
            }
            return WriteNewLevel(argv[2], DataFolderHere(), stdout, stderr);
        }
        if (strcmp(argv[i], "--pack") == 0) {
            if (argc != 4 || i != 1 || argv[2][0] == '\0' || argv[3][0] == '\0') {
                return Usage();
            }
            return Pack(argv[2], argv[3]);
        }
        if (argv[i][0] == '-' || argv[i][0] == '\0' || firstLevel != nullptr) {
            return Usage();
        }
        firstLevel = argv[i];
    }

    // The tree the game would read: like the game, the checker changes into
    // the installed data folder when the current one holds no data/level_1.
    Options where;
    where.level = firstLevel;
    if (EnterDataFolder(where, stderr) >= 0) {
        return 2;
    }
    firstLevel = where.level;

    if (!StartVideo()) {
        return 2;
    }

    Report report;
    CheckGameData(firstLevel != nullptr ? firstLevel : "data/level_1", report);
    PrintReport(report);
    SDL_Quit();
    return report.Count(Severity::Error) > 0 ? 1 : 0;
}
