#include "app/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#ifndef QUARNDEL_DATADIR
#define QUARNDEL_DATADIR "/usr/share/games/quarndel"
#endif

namespace {

// The data tree's first level; its presence marks a folder as a data folder.
const char kFirstLevel[] = "data/level_1";

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

// The --level folder as an absolute path; it outlives the command line.
std::string absoluteLevel;

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
        }
        return choice;
    }
    if (IsFolder(kFirstLevel)) {
        return choice;
    }
    if (installed != nullptr && installed[0] != '\0' &&
        IsFolder(std::string(installed) + "/" + kFirstLevel)) {
        choice.folder = installed;
    }
    return choice;
}

int EnterDataFolder(Options &options, FILE *err) {
    DataFolderChoice choice = ChooseDataFolder(options.dataDir, InstalledDataFolder());
    if (!choice.error.empty()) {
        fprintf(err, "%s\n", choice.error.c_str());
        return kExitNoData;
    }
    if (choice.folder.empty()) {
        return -1;
    }
    if (options.level != nullptr && options.level[0] != '/' && options.level[0] != '\0') {
        std::string start = CurrentFolder();
        if (!start.empty()) {
            absoluteLevel = start + "/" + options.level;
            options.level = absoluteLevel.c_str();
        }
    }
    if (chdir(choice.folder.c_str()) != 0) {
        fprintf(err, "quarndel: cannot enter data folder %s: %s\n", choice.folder.c_str(),
                strerror(errno));
        return kExitNoData;
    }
    return -1;
}
