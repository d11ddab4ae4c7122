// The changes the player makes in the game (M, F11, the options screen),
// written into the settings file as it is now, after the frame and under the
// folder's lock.
#include <sys/stat.h>
#include <time.h>

#include <cstdlib>

#include "files/player_files.h"
#include "files/settings.h"
#include "files/settings_file.h"
#include "files/settings_problems.h"
#include "strings/text.h"

namespace {

// The loop writes changes at most this often; the rest gather and go in
// one write (200 quick M presses are a few writes, not 200).
constexpr long kWriteSpacingMs = 250;

// How long the end of the run waits for another game's lock before telling
// that the change was not kept.
constexpr long kPatienceAtExitMs = 2000;

long NowMs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

void Nap(long ms) {
    struct timespec nap = {ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&nap, nullptr);
}

// Prints a warning unless this run has given the same one before.
void WarnOnce(FILE *err, const std::string &warning) {
    for (const std::string &given : settingsFile.warned) {
        if (given == warning) {
            return;
        }
    }
    settingsFile.warned.push_back(warning);
    fputs(warning.c_str(), err);
}

// The file's lines as they are now, when another game may have changed
// them; false when it exists but cannot be read.
bool RereadLines(std::vector<std::string> &lines) {
    std::string bytes, why;
    PlayerRead read =
        ReadPlayerFile(settingsFile.path, kMaxSettingsBytes, Links::kFollow, bytes, why);
    if (read == PlayerRead::kRead) {
        lines = SplitLines(bytes);
        return true;
    }
    if (read == PlayerRead::kMissing) {
        lines.clear();
        return true;
    }
    return false;
}

// A settings file the game cannot read is never overwritten: it is renamed
// to the first free name of PATH.unreadable, PATH.unreadable.2 ... .9.
bool MoveAside(FILE *err) {
    for (int n = 1; n <= 9; ++n) {
        std::string aside =
            settingsFile.path + ".unreadable" + (n > 1 ? "." + std::to_string(n) : "");
        struct stat st;
        if (lstat(aside.c_str(), &st) == 0) {
            continue;
        }
        if (renameForAtomicWrite(settingsFile.path.c_str(), aside.c_str()) != 0) {
            break;
        }
        fprintf(err, "quarndel: %s: cannot read the settings file; moved aside to %s\n",
                Printable(settingsFile.path).c_str(), Printable(aside).c_str());
        return true;
    }
    return false;
}

// Sets name to value in lines, adding a line when none names it; false when
// the lines already say so.
bool SetLine(std::vector<std::string> &lines, const std::string &name, const std::string &value) {
    bool found = false;
    bool changed = false;
    for (std::string &line : lines) {
        std::string n, v;
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#' || !SplitLine(trimmed, n, v) || n != name) {
            continue;
        }
        found = true;
        if (v != value) {
            line = n + " = " + value;
            changed = true;
        }
    }
    if (!found) {
        lines.push_back(name + " = " + value);
    }
    return changed || !found;
}

// Writes every pending change into the file as it is now, under the lock
// already held (or none when there is no folder yet).
bool WritePending(FILE *err) {
    std::string names;
    for (const auto &change : settingsFile.pending) {
        names += (names.empty() ? "" : ", ") + change.first;
    }
    std::vector<std::string> lines;
    if (!RereadLines(lines) && !(IsRegularFile(settingsFile.path) && MoveAside(err))) {
        WarnOnce(err, "quarndel: " + Printable(settingsFile.path) +
                          ": cannot read the settings file; " + names + " not kept\n");
        return false;
    }
    bool changed = false;
    for (const auto &change : settingsFile.pending) {
        changed = SetLine(lines, change.first, change.second) || changed;
    }
    if (!changed) {
        settingsFile.lines = lines;
        return true; // the file already says so
    }
    std::string contents;
    for (const std::string &line : lines) {
        contents += line + "\n";
    }
    std::string why;
    if (!ReplaceFile(settingsFile.path, contents, why)) {
        WarnOnce(err, "quarndel: cannot write " + Printable(settingsFile.path) + ": " + why + "\n");
        return false;
    }
    settingsFile.lines = lines;
    return true;
}

// The end of the run: what is still pending is written, waiting a little
// for another game's lock.
void WriteAtExit() {
    WritePendingSettings(stderr, kPatienceAtExitMs);
}

} // namespace

bool ChangeSetting(const char *name, const char *value) {
    if (settingsFile.path.empty() || !settingsFile.writable) {
        return false;
    }
    NoteSettingsProblem(name, ""); // fixed in the game: no longer a problem
    static bool atExit = false;
    if (!atExit) {
        atExit = true;
        atexit(WriteAtExit);
    }
    for (auto &change : settingsFile.pending) {
        if (change.first == name) {
            change.second = value;
            return true;
        }
    }
    settingsFile.pending.push_back({name, value});
    return true;
}

SettingsWrite WritePendingSettings(FILE *err, long patienceMs) {
    if (settingsFile.pending.empty()) {
        return SettingsWrite::kNothing;
    }
    long now = NowMs();
    if (patienceMs == 0 && now - settingsFile.lastWriteMs < kWriteSpacingMs) {
        return SettingsWrite::kBusy;
    }
    // Two games at once: the one writing holds the folder's lock from
    // reading the file as it is now to renaming the new one into place, so
    // neither loses the other's change. The loop never waits for it.
    FolderLock lock;
    LockTaken taken = TryLockFolder(FolderOf(settingsFile.path), lock);
    for (long waited = 0; taken == LockTaken::kBusy && waited < patienceMs; waited += 10) {
        Nap(10);
        taken = TryLockFolder(FolderOf(settingsFile.path), lock);
    }
    if (taken == LockTaken::kBusy) {
        if (patienceMs > 0) {
            WarnOnce(err, "quarndel: " + Printable(settingsFile.path) +
                              ": another game keeps the settings folder locked; the last changes "
                              "are not kept\n");
            settingsFile.pending.clear();
            return SettingsWrite::kFailed;
        }
        return SettingsWrite::kBusy;
    }
    // No folder yet (kFailed): the write makes it, or says why it cannot.
    bool kept = WritePending(err);
    UnlockFolder(lock);
    settingsFile.pending.clear();
    settingsFile.lastWriteMs = now;
    return kept ? SettingsWrite::kWritten : SettingsWrite::kFailed;
}
