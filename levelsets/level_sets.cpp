#include "levelsets/level_sets.h"

#include <dirent.h>
#include <sys/stat.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "check/level_chain.h"
#include "check/pictures.h"
#include "files/player_files.h"
#include "files/settings.h"
#include "game/seams.h"
#include "levelsets/data_folder.h"
#include "levelsets/level_pack.h"
#include "replay/replay.h"
#include "sprites/data_file.h"
#include "strings/text.h"

namespace {

// The scratch folders a set is unpacked in, beside the installed sets; the
// dot keeps them out of the list of sets.
constexpr const char *kInstallPrefix = ".install-";

// What the pack reader's sink fills: the scratch folder, and the one folder
// at the top of the pack, the set.
struct Unpacking {
    std::string scratch;
    std::string top;
};

// Writes one member of the pack into the scratch folder. Its name is in
// plain components (the reader refused the rest), every folder on its way
// is one this sink made, and no link is ever made: nothing lands outside.
bool UnpackMember(void *context, const PackMember &member, std::string &why) {
    Unpacking &u = *(Unpacking *)context;
    size_t slash = member.name.find('/');
    std::string top = member.name.substr(0, slash);
    if (u.top.empty()) {
        u.top = top;
        if (!IsSetName(top)) {
            why = "the pack's folder is not a set's name: " + Printable(top);
            return false;
        }
    }
    if (top != u.top || (slash == std::string::npos && !member.folder)) {
        why = "a pack holds one folder, its set; it also holds " + member.name;
        return false;
    }
    std::string path = u.scratch;
    size_t at = 0;
    for (;;) {
        size_t next = member.name.find('/', at);
        bool last = next == std::string::npos;
        path += "/" + member.name.substr(at, last ? std::string::npos : next - at);
        if (last) {
            break;
        }
        if (!MakeOneFolder(path, why)) {
            why = member.name + ": " + why;
            return false;
        }
        at = next + 1;
    }
    if (member.folder ? MakeOneFolder(path, why) : WriteNewFile(path, member.bytes, why)) {
        return true;
    }
    why = member.name + (errno == EEXIST ? ": in the pack twice" : ": " + why);
    return false;
}

// The checker reads pictures the game's way, converting them to the display
// format: a video mode without a window.
bool StartCheckerVideo(FILE *err) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0 ||
        SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_SWSURFACE) == nullptr) {
        fprintf(err, "quarndel: cannot start SDL video to check the levels: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

int Refuse(const char *pack, const std::string &scratch, const std::string &why, FILE *err) {
    if (!scratch.empty()) {
        RemoveFolderTree(scratch);
    }
    fprintf(err, "quarndel: %s not installed: %s\n", Printable(pack).c_str(), why.c_str());
    return kExitNotInstalled;
}

// Unpacks the pack into the scratch folder u names, checks the set and puts
// it in place; the scratch folder is gone afterwards.
int UnpackCheckAndPlace(const char *pack, const Options &options, const std::string &folder,
                        Unpacking &u, FILE *err) {
    std::string why;
    if (!ReadLevelPack(pack, UnpackMember, &u, why)) {
        return Refuse(pack, u.scratch, why, err);
    }
    if (u.top.empty()) {
        return Refuse(pack, u.scratch, "the pack holds no set", err);
    }
    // The set is checked with the shipped files the game would play it with.
    if (!ChooseDataFolder(options.dataDir, InstalledDataFolder()).found) {
        return Refuse(pack, u.scratch, NoDataFolderMessage(InstalledDataFolder()).substr(10), err);
    }
    Options where = options;
    // In a running game (the browser's page installs packs while it plays)
    // the game's own video mode serves, and is left as it is.
    bool ownVideo = SDL_GetVideoSurface() == nullptr;
    if (EnterDataFolder(where, err) >= 0 || (ownVideo && !StartCheckerVideo(err))) {
        return Refuse(pack, u.scratch, "the levels cannot be checked", err);
    }
    Report report;
    LevelSet set;
    CheckLevelSet(u.scratch + "/" + u.top, set, report);
    if (ownVideo) {
        SDL_Quit();
    }
    for (const Finding &finding : report.findings) {
        fprintf(err, "%s\n", FormatFinding(finding).c_str());
    }
    int errors = report.Count(Severity::Error);
    if (errors > 0) {
        return Refuse(pack, u.scratch,
                      "the checker finds " + Counted(errors, "error", "errors") + " in the set",
                      err);
    }
    std::string place = folder + "/" + set.name;
    if (!PutFolderInPlace(u.scratch + "/" + set.name, place, options.overwrite, why)) {
        return Refuse(pack, u.scratch,
                      why == "exists" ? "the set " + set.name +
                                            " is installed already (--overwrite replaces it)"
                                      : why,
                      err);
    }
    RemoveFolderTree(u.scratch); // with the set replaced, if any
    fprintf(err,
            "quarndel: installed the set %s (%s) into %s; play it with --levels %s or L on "
            "the title\n",
            set.name.c_str(), Counted(report.levels, "level", "levels").c_str(), place.c_str(),
            set.name.c_str());
    return kExitInstalled;
}

} // namespace

std::string LevelSetsFolder() {
    std::string own = PlayerFolder("XDG_DATA_HOME", ".local/share");
    return own.empty() ? "" : own + "/levels";
}

int InstallLevelPack(const char *pack, const Options &options, FILE *err) {
    std::string folder = LevelSetsFolder();
    std::string why;
    if (folder.empty()) {
        return Refuse(pack, "", "no folder for level sets (neither XDG_DATA_HOME nor HOME is set)",
                      err);
    }
    if (!MakeFolders(folder)) {
        return Refuse(pack, "", "cannot make " + folder, err);
    }
    RemoveScratchLeftovers(folder, kInstallPrefix);
    // The set is unpacked out of sight beside the installed ones, so that
    // the rename that puts it in place cannot cross file systems; its lock
    // keeps another game clearing leftovers off it, however long it takes.
    Unpacking u;
    u.scratch = MakeScratchFolder(folder, kInstallPrefix, why);
    if (u.scratch.empty()) {
        return Refuse(pack, "", why + " in " + folder, err);
    }
    FolderLock held;
    TryLockFolder(u.scratch, held);
    int status = UnpackCheckAndPlace(pack, options, folder, u, err);
    UnlockFolder(held);
    return status;
}

std::vector<InstalledSet> ListInstalledSets(const std::string &folder) {
    if (!folder.empty()) {
        RemoveScratchLeftovers(folder, kInstallPrefix);
    }
    std::vector<std::string> names;
    DIR *dir = folder.empty() ? nullptr : opendir(folder.c_str());
    while (dir != nullptr) {
        struct dirent *e = readdir(dir);
        if (e == nullptr) {
            closedir(dir);
            break;
        }
        struct stat info;
        std::string path = folder + "/" + e->d_name;
        if (IsSetName(e->d_name) && lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            names.push_back(e->d_name);
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<InstalledSet> sets;
    for (const std::string &name : names) {
        InstalledSet s;
        Report report;
        CheckLevelSet(folder + "/" + name, s.set, report);
        s.levels = report.levels;
        s.errors = report.Count(Severity::Error);
        s.warnings = report.Count(Severity::Warning);
        sets.push_back(s);
    }
    return sets;
}

InstalledSet ShippedLevels() {
    InstalledSet s;
    Report report;
    CheckLevelChain(kShippedFirstLevel, report);
    s.levels = report.levels;
    s.errors = report.Count(Severity::Error);
    s.warnings = report.Count(Severity::Warning);
    return s;
}

bool PlayLevelSet(const std::string &name, std::string &why) {
    if (name.empty()) {
        ForgetLevelSet();
        return true;
    }
    std::string folder = LevelSetsFolder() + "/" + name;
    struct stat info;
    if (!IsSetName(name) || LevelSetsFolder().empty() || lstat(folder.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
        why = "no level set " + Printable(name) + " is installed (in " + LevelSetsFolder() + ")";
        return false;
    }
    Report report;
    LevelSet set;
    ReadLevelSet(folder, set, report);
    if (report.Count(Severity::Error) > 0) {
        why = "the level set " + name +
              " has a broken description: " + FormatFinding(report.findings[0]);
        return false;
    }
    SetLevelSetPlace(SetDataPrefix(name), folder);
    SetLevelSetInPlay(name, set.firstLevel);
    SetRecordedLevelSet(name.c_str());
    return true;
}

int PrepareLevelSet(const Options &options, FILE *err) {
    const char *named = ReplayLevelSet();
    if (named == nullptr) {
        named = options.levels;
    }
    std::string why;
    if (named != nullptr && !PlayLevelSet(named, why)) {
        fprintf(err, "quarndel: %s%s\n",
                ReplayLevelSet() != nullptr ? "the recording's level set: " : "", why.c_str());
        return 1;
    }
    return -1;
}

void ChooseLaunchLevelSet(const Options &options, FILE *err) {
    std::string why;
    if (ReplayLevelSet() == nullptr && options.levels == nullptr && !settings.levels.empty() &&
        !PlayLevelSet(settings.levels, why)) {
        fprintf(err, "quarndel: the settings pick %s; the shipped levels play\n", why.c_str());
    }
    if (launch.firstLevel == nullptr) {
        launch.firstLevel = LevelSetFirstLevel();
    }
}

void ForgetLevelSet() {
    SetLevelSetPlace("", "");
    SetLevelSetInPlay("", "");
    SetRecordedLevelSet("");
}
