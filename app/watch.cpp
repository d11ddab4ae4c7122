#include "app/watch.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/watch_overlay.h"
#include "check/level_chain.h"
#include "check/report.h"
#include "files/player_files.h"
#include "game/game.h"
#include "sprites/data_file.h"
#include "sprites/data_fingerprint.h"
#include "sprites/ticks.h"
#include "strings/text.h"

namespace {

// Editors save in steps (truncate, write, rename): a reload waits until the
// level's files have been quiet this long, so it reads the finished file
// while staying far inside the half second an author waits for.
constexpr Uint32 kSettleMs = 40;

// What a change to a watched folder's entries looks like: written and
// closed, renamed into or out of it, created, deleted, changed in place.
constexpr uint32_t kFolderEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB;
// A watched file itself (reached through a symbolic link its folder's
// watch would not see).
constexpr uint32_t kFileEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB;

constexpr const char kLevelFileName[] = "/leveldata";

int inotifyFd = -1;

// The level in play: its folder as the game names it (data/NAME/... for an
// installed set's level) and the level record as it was just before its file
// was read, which a reload reads the file over again.
std::string levelDir;
LevelInfo before;
bool firstLevelOfRun = false;
int levelFilesRead = 0;
bool levelChanged = false; // the game read a level file; watches are stale

// Set while the watch itself reads files: those opens are not the game's.
bool ownReading = false;

// The watched files, each as its folder, a slash and its name.
std::set<std::string> watchedFiles;
std::map<int, std::vector<std::string>> folderWatches; // descriptor: folder spellings
std::set<int> fileWatches;

bool changePending = false;
Uint32 lastChange = 0;
bool checkPending = false;
std::string troubleSaid; // why the last reload could not read the level file

void NoteLevelFileOpened(const char *path) {
    size_t length = strlen(path);
    size_t suffix = sizeof kLevelFileName - 1;
    if (ownReading || length <= suffix || strcmp(path + length - suffix, kLevelFileName) != 0) {
        return;
    }
    // The game opens the file before it writes any field of the record.
    levelDir.assign(path, length - suffix);
    before = level;
    firstLevelOfRun = levelFilesRead == 0;
    ++levelFilesRead;
    levelChanged = true;
}

void SplitPath(const std::string &path, std::string &folder, std::string &name) {
    folder = FolderOf(path);
    name = path.substr(path.rfind('/') + 1);
}

std::string Joined(const std::string &folder, const std::string &name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Where a path the game names is on disk: an installed set's files are read
// from its folder, so that is what is watched, stated and named to the
// author; every other path is itself.
std::string OnDisk(const std::string &path) {
    std::string storage;
    return LevelSetPath(path.c_str(), storage);
}

// The frame list of a set and the pictures it names, read the way the set
// loader reads them, but quietly: a missing list is just not watched.
void AddSetFiles(const char *dir, std::vector<std::string> &files) {
    if (dir[0] == '\0') {
        return;
    }
    std::string info = std::string(dir) + "/info";
    files.push_back(info);
    FILE *file = OpenRegularFile(info.c_str(), "r");
    if (file == nullptr) {
        return;
    }
    char line[kLineSize];
    int count = 0;
    if (ReadTextLine(line, sizeof line, file) != nullptr) {
        sscanf(line, kFrameListHeader, &count);
    }
    std::set<std::string> names;
    for (int i = 0; i < count && i < kMaxFrames && ReadTextLine(line, sizeof line, file);) {
        if (IsFrameListSkippedLine(line)) {
            continue;
        }
        char name[kLineSize] = "";
        int pause, red, green, blue;
        if (sscanf(line, kFrameLineFormat, name, &pause, &red, &green, &blue) >= 1 &&
            names.insert(name).second) {
            files.push_back(std::string(dir) + "/" + name);
        }
        ++i;
    }
    fclose(file);
}

// Watches every file the level in play was set up from, and their folders,
// where they are on disk.
void WatchLevelFiles() {
    std::vector<std::string> files = {levelDir + kLevelFileName};
    const char *pictures[] = {level.scene, level.levelImage};
    for (const char *picture : pictures) {
        if (picture[0] != '\0') {
            files.push_back(picture);
        }
    }
    const char *sets[] = {level.ship, level.bullet, level.boss, "data/enemy"};
    for (const char *set : sets) {
        AddSetFiles(set, files);
    }

    std::map<int, std::vector<std::string>> folders;
    std::set<int> filesNow;
    watchedFiles.clear();
    // The level folder itself, in its own folder: one deleted and made again
    // is a new folder that none of the watches below follows, and only its
    // own folder sees it come back.
    std::string parent, name;
    SplitPath(OnDisk(levelDir), parent, name);
    watchedFiles.insert(Joined(parent, name));
    int parentWd = inotify_add_watch(inotifyFd, parent.c_str(), kFolderEvents | IN_ONLYDIR);
    if (parentWd >= 0) {
        folders[parentWd].push_back(parent);
    }
    for (const std::string &named : files) {
        std::string path = OnDisk(named);
        std::string folder, name;
        SplitPath(path, folder, name);
        watchedFiles.insert(Joined(folder, name));
        int wd = inotify_add_watch(inotifyFd, folder.c_str(), kFolderEvents | IN_ONLYDIR);
        if (wd >= 0) {
            std::vector<std::string> &spellings = folders[wd];
            if (std::find(spellings.begin(), spellings.end(), folder) == spellings.end()) {
                spellings.push_back(folder);
            }
        }
        wd = inotify_add_watch(inotifyFd, path.c_str(), kFileEvents);
        if (wd >= 0 && folders.count(wd) == 0) {
            filesNow.insert(wd);
        }
    }
    // Watches of the level before that this level does not share.
    for (const auto &old : folderWatches) {
        if (folders.count(old.first) == 0 && filesNow.count(old.first) == 0) {
            inotify_rm_watch(inotifyFd, old.first);
        }
    }
    for (int old : fileWatches) {
        if (folders.count(old) == 0 && filesNow.count(old) == 0) {
            inotify_rm_watch(inotifyFd, old);
        }
    }
    folderWatches = folders;
    fileWatches = filesNow;
}

bool Concerns(const inotify_event &event) {
    if ((event.mask & IN_Q_OVERFLOW) != 0) {
        return true; // events were lost: one of them may have been ours
    }
    if ((event.mask & IN_IGNORED) != 0) {
        return false;
    }
    if (fileWatches.count(event.wd) > 0) {
        return true;
    }
    auto folder = folderWatches.find(event.wd);
    if (folder == folderWatches.end() || event.len == 0) {
        return false;
    }
    for (const std::string &spelling : folder->second) {
        if (watchedFiles.count(Joined(spelling, event.name)) > 0) {
            return true;
        }
    }
    return false;
}

// Takes every event inotify holds, without waiting; true when one concerns
// a watched file.
bool ReadChanges() {
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    ssize_t got;
    while ((got = read(inotifyFd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at + (ssize_t)sizeof(inotify_event) <= got;) {
            const inotify_event *event = (const inotify_event *)(buffer + at);
            changed = Concerns(*event) || changed;
            at += (ssize_t)sizeof(inotify_event) + event->len;
        }
    }
    return changed;
}

// Reads and sets up the level in play again, in place: the ship keeps its
// place and the distance flown, score and lives are not touched, and the
// game runs on. A level file that cannot be opened now (an editor between
// deleting and renaming) leaves the level as it is until the next change.
bool ReloadLevel() {
    std::string path = levelDir + kLevelFileName;
    FILE *probe = OpenRegularFile(path.c_str(), "rb");
    if (probe == nullptr) {
        return false;
    }
    fclose(probe);
    float x = ship.sprite.GetX();
    float y = ship.sprite.GetY();
    int distance = ship.distance;
    ownReading = true;
    level = before;
    level.Load(levelDir.c_str());
    level.Setup();
    ownReading = false;
    ship.sprite.SetPos(x, y);
    ship.distance = distance;
    return true;
}

// Why the level file cannot be read now, in a few words.
std::string LevelFileTrouble() {
    struct stat info;
    std::string dir = OnDisk(levelDir);
    if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return dir + " is gone";
    }
    std::string path = dir + kLevelFileName;
    if (stat(path.c_str(), &info) != 0) {
        return path + ": " + strerror(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return path + " is not a regular file";
    }
    return path + " cannot be read";
}

// Tells the author, once for each new trouble, that the level was not read
// again and why.
void SayReloadFailed() {
    std::string trouble = LevelFileTrouble();
    if (trouble == troubleSaid) {
        return;
    }
    troubleSaid = trouble;
    fprintf(stderr, "quarndel: --watch: %s: the level plays on as it was until its next change\n",
            trouble.c_str());
    fflush(stderr);
}

// Runs the level checker on the level in play: every finding goes to
// standard error as file:line: message and, with a summary, onto the screen.
void ReportFindings() {
    Report report;
    ownReading = true;
    CheckOneLevel(levelDir, before, firstLevelOfRun, report);
    ownReading = false;
    int errors = report.Count(Severity::Error);
    int warnings = report.Count(Severity::Warning);
    std::vector<std::string> lines;
    char summary[512];
    snprintf(summary, sizeof summary, "quarndel: reloaded %s: %s, %s", OnDisk(levelDir).c_str(),
             Counted(errors, "error", "errors").c_str(),
             Counted(warnings, "warning", "warnings").c_str());
    lines.push_back(summary);
    for (Finding finding : report.findings) {
        finding.path = OnDisk(finding.path); // the file the author saves
        lines.push_back(FormatFinding(finding));
    }
    for (const std::string &line : lines) {
        fprintf(stderr, "%s\n", line.c_str());
    }
    fflush(stderr);
    ShowWatchReport(lines);
}

} // namespace

bool StartLevelWatch() {
    if (inotifyFd >= 0) {
        return true;
    }
    inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd < 0) {
        fprintf(stderr, "quarndel: --watch: cannot watch files: %s\n", strerror(errno));
        return false;
    }
    SetDataFileOpenedListener(NoteLevelFileOpened);
    return true;
}

void StopLevelWatch() {
    if (inotifyFd >= 0) {
        close(inotifyFd);
        SetDataFileOpenedListener(nullptr);
    }
    inotifyFd = -1;
    levelDir.clear();
    before = LevelInfo();
    levelFilesRead = 0;
    levelChanged = changePending = checkPending = ownReading = false;
    troubleSaid.clear();
    watchedFiles.clear();
    folderWatches.clear();
    fileWatches.clear();
    ShowWatchReport({});
}

bool LevelWatchRunning() {
    return inotifyFd >= 0;
}

void PollLevelWatch() {
    if (inotifyFd < 0) {
        return;
    }
    if (checkPending) {
        // One frame after the reload: the changed level is on screen first.
        checkPending = false;
        ReportFindings();
    }
    if (levelChanged) {
        levelChanged = false;
        changePending = false;
        WatchLevelFiles();
    }
    Uint32 now = GetTicks();
    if (ReadChanges()) {
        changePending = true;
        lastChange = now;
    }
    if (changePending && !levelDir.empty() && now - lastChange >= kSettleMs) {
        changePending = false;
        // Watch what is there now before reading: a level folder made again
        // is watched from here on, so a file written into it later is seen.
        WatchLevelFiles();
        if (ReloadLevel()) {
            checkPending = true;
            troubleSaid.clear();
            WatchLevelFiles();
        } else {
            SayReloadFailed();
        }
    }
}

int WatchedFileCount() {
    return (int)watchedFiles.size();
}
