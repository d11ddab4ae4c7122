#include "levelsets/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "game/seams.h"

#ifndef QUARNDEL_DATADIR
#define QUARNDEL_DATADIR "/usr/share/games/quarndel"
#endif

namespace {

// Exit status for a data folder that cannot be used, as for other start-up
// failures.
constexpr int kExitNoData = 1;

bool IsFolder(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder the game started in, or empty when it cannot be told.
std::string CurrentFolder() {
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        // Paths are bounded by the system; stop growing at a generous limit.
        const size_t kMaxPath = 1 << 16;
        if (errno != ERANGE || buffer.size() >= kMaxPath) {
            return "";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// The --level folder and the --settings file as absolute paths; they
// outlive the command line.
std::string absoluteLevel;
std::string absoluteSettings;

// Makes a relative path of the command line absolute against the folder the
// game started in, so it still names the same place after the change of
// folder; path then points to storage.
void KeepPlace(const char *&path, std::string &storage, const std::string &start) {
    if (path != nullptr && path[0] != '/' && path[0] != '\0' && !start.empty()) {
        storage = start + "/" + path;
        path = storage.c_str();
    }
}

} // namespace

const char *InstalledDataFolder() {
    return QUARNDEL_DATADIR;
}

DataFolderChoice ChooseDataFolder(const char *named, const char *installed) {
    DataFolderChoice choice;
    if (named != nullptr) {
        std::string folder = named;
        if (!IsFolder(folder)) {
            choice.error = "quarndel: --data-dir " + folder + ": no such folder";
        } else if (!IsFolder(folder + "/data")) {
            choice.error = "quarndel: --data-dir " + folder + ": no data/ folder in it";
        } else {
            choice.folder = folder;
            choice.found = true;
        }
        return choice;
    }
    // The shipped first level marks a folder as the game's data folder.
    if (IsFolder(kShippedFirstLevel)) {
        choice.found = true;
        return choice;
    }
    if (installed != nullptr && installed[0] != '\0' &&
        IsFolder(std::string(installed) + "/" + kShippedFirstLevel)) {
        choice.folder = installed;
        choice.found = true;
    }
    return choice;
}

std::string NoDataFolderMessage(const char *installed) {
    return std::string("quarndel: no data folder found: neither the current folder nor ") +
           (installed != nullptr ? installed : "the installed folder") + " holds " +
           kShippedFirstLevel + "; name the folder that holds data/ with --data-dir FOLDER";
}

int EnterDataFolder(Options &options, FILE *err) {
    DataFolderChoice choice = ChooseDataFolder(options.dataDir, InstalledDataFolder());
    if (!choice.error.empty()) {
        fprintf(err, "%s\n", choice.error.c_str());
        return kExitNoData;
    }
    if (!choice.found && options.replay != nullptr) {
        fprintf(err, "%s\n", NoDataFolderMessage(InstalledDataFolder()).c_str());
        return kExitNoData;
    }
    if (choice.folder.empty()) {
        return -1;
    }
    std::string start = CurrentFolder();
    KeepPlace(options.level, absoluteLevel, start);
    KeepPlace(options.settings, absoluteSettings, start);
    if (chdir(choice.folder.c_str()) != 0) {
        fprintf(err, "quarndel: cannot enter data folder %s: %s\n", choice.folder.c_str(),
                strerror(errno));
        return kExitNoData;
    }
    return -1;
}
