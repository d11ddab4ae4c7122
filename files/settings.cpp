#include "files/settings.h"

#include <errno.h>
#include <sys/stat.h>
#include <time.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "files/bindings.h"
#include "files/player_files.h"
#include "files/settings_problems.h"
#include "replay/replay_file.h"
#include "strings/set_name.h"
#include "strings/text.h"

Settings settings;

namespace {

// The file as read: its lines (without line feeds), where it lives, and
// whether the game may write it (it was read whole, is not there yet, or is
// a regular file it cannot read, to be moved aside).
struct SettingsFile {
    std::string path;
    std::vector<std::string> lines;
    bool writable = false;
    // Changes not in the file yet, one per name, the latest value: written
    // after the frame, never while the loop handles an event.
    std::vector<std::pair<std::string, std::string>> pending;
    long lastWriteMs = -1000000; // on the system's steady clock
    // The warnings given in this run: a problem is told once.
    std::vector<std::string> warned;
};

SettingsFile file;

// The longest settings file read: far more than any player writes.
constexpr long kMaxSettingsBytes = 64 * 1024;

// The longest value or name a warning echoes, and the longest message a key
// binding's problem makes: a 60 KB line is cut, not printed whole.
constexpr size_t kMaxShown = 64;
constexpr size_t kMaxShownProblem = 160;

// The loop writes changes at most this often; the rest gather and go in
// one write (200 quick M presses are a few writes, not 200).
constexpr long kWriteSpacingMs = 250;

// How long the end of the run waits for another game's lock before telling
// that the change was not kept.
constexpr long kPatienceAtExitMs = 2000;

// text as a warning shows it: control characters escaped as recordings'
// text is, cut after max characters.
std::string Shown(const std::string &text, size_t max) {
    std::string shown = Printable(text);
    return shown.size() > max ? shown.substr(0, max) + "..." : shown;
}

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
    for (const std::string &given : file.warned) {
        if (given == warning) {
            return;
        }
    }
    file.warned.push_back(warning);
    fputs(warning.c_str(), err);
}

bool ReadOnOff(const std::string &value, bool &out) {
    if (value == "on" || value == "yes" || value == "true" || value == "1") {
        out = true;
    } else if (value == "off" || value == "no" || value == "false" || value == "0") {
        out = false;
    } else {
        return false;
    }
    return true;
}

bool ReadNumber(const std::string &value, int low, int high, int &out) {
    long n;
    if (!ParseWholeNumber(value, high, n) || n < low) {
        return false;
    }
    out = (int)n;
    return true;
}

// A level set's name (strings/set_name.h); empty picks the shipped set.
bool ReadSetName(const std::string &value, std::string &out) {
    if (!value.empty() && !IsSetName(value)) {
        return false;
    }
    out = value;
    return true;
}

// Splits "name = value"; false for a line that is not one.
bool SplitLine(const std::string &line, std::string &name, std::string &value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    name = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return !name.empty();
}

// Applies one setting. Returns "" when taken, else what is wrong with it.
std::string Apply(const std::string &name, const std::string &value, const std::string &where) {
    bool ok = false;
    const char *allowed = "on or off";
    if (name == "scale") {
        allowed = "1 to 4 or auto";
        if (value == "auto") {
            settings.scale = kScaleAuto;
            ok = true;
        } else {
            ok = ReadNumber(value, 1, 4, settings.scale);
        }
    } else if (name == "fullscreen") {
        ok = ReadOnOff(value, settings.fullscreen);
    } else if (name == "mute") {
        ok = ReadOnOff(value, settings.mute);
    } else if (name == "music_volume") {
        allowed = "0 to 100";
        ok = ReadNumber(value, 0, 100, settings.musicVolume);
    } else if (name == "effects_volume") {
        allowed = "0 to 100";
        ok = ReadNumber(value, 0, 100, settings.effectsVolume);
    } else if (name == "gamepad") {
        ok = ReadOnOff(value, settings.gamepad);
    } else if (name == "fullscreen_fit") {
        allowed = "whole or fill";
        ok = value == "whole" || value == "fill";
        settings.fillFullscreen = ok ? value == "fill" : settings.fillFullscreen;
    } else if (name == "pad_layout") {
        allowed = "auto, xbox or playstation";
        const char *const layouts[] = {"auto", "xbox", "playstation"};
        for (int i = 0; i < 3; ++i) {
            if (value == layouts[i]) {
                settings.padLayout = i - 1;
                ok = true;
            }
        }
    } else if (name == "levels") {
        allowed = "a level set's name (letters, digits, _, - and .)";
        ok = ReadSetName(value, settings.levels);
    } else {
        std::string problem;
        if (ReadBinding(name, value, where, problem)) {
            return Shown(problem, kMaxShownProblem);
        }
        return "unknown setting '" + Shown(name, kMaxShown) + "'";
    }
    return ok ? "" : "bad value '" + Shown(value, kMaxShown) + "' for " + name + ": " + allowed;
}

std::vector<std::string> SplitLines(const std::string &bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The file's lines as they are now, when another game may have changed
// them; false when it exists but cannot be read.
bool RereadLines(std::vector<std::string> &lines) {
    std::string bytes, why;
    PlayerRead read = ReadPlayerFile(file.path, kMaxSettingsBytes, Links::kFollow, bytes, why);
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

bool IsRegularFile(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A settings file the game cannot read is never overwritten: it is renamed
// to the first free name of PATH.unreadable, PATH.unreadable.2 ... .9.
bool MoveAside(FILE *err) {
    for (int n = 1; n <= 9; ++n) {
        std::string aside = file.path + ".unreadable" + (n > 1 ? "." + std::to_string(n) : "");
        struct stat st;
        if (lstat(aside.c_str(), &st) == 0) {
            continue;
        }
        if (renameForAtomicWrite(file.path.c_str(), aside.c_str()) != 0) {
            break;
        }
        fprintf(err, "quarndel: %s: cannot read the settings file; moved aside to %s\n",
                Printable(file.path).c_str(), Printable(aside).c_str());
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
    for (const auto &change : file.pending) {
        names += (names.empty() ? "" : ", ") + change.first;
    }
    std::vector<std::string> lines;
    if (!RereadLines(lines) && !(IsRegularFile(file.path) && MoveAside(err))) {
        WarnOnce(err, "quarndel: " + Printable(file.path) + ": cannot read the settings file; " +
                          names + " not kept\n");
        return false;
    }
    bool changed = false;
    for (const auto &change : file.pending) {
        changed = SetLine(lines, change.first, change.second) || changed;
    }
    if (!changed) {
        file.lines = lines;
        return true; // the file already says so
    }
    std::string contents;
    for (const std::string &line : lines) {
        contents += line + "\n";
    }
    std::string why;
    if (!ReplaceFile(file.path, contents, why)) {
        WarnOnce(err, "quarndel: cannot write " + Printable(file.path) + ": " + why + "\n");
        return false;
    }
    file.lines = lines;
    return true;
}

// The end of the run: what is still pending is written, waiting a little
// for another game's lock.
void WriteAtExit() {
    WritePendingSettings(stderr, kPatienceAtExitMs);
}

} // namespace

std::string SettingsPath(const char *named) {
    if (named != nullptr) {
        return named;
    }
    std::string folder = PlayerFolder("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder + "/settings.ini";
}

void LoadSettings(const std::string &path, FILE *err) {
    ForgetSettings();
    file.path = path;
    if (path.empty()) {
        return;
    }
    std::string bytes, why;
    PlayerRead read = ReadPlayerFile(path, kMaxSettingsBytes, Links::kFollow, bytes, why);
    if (read == PlayerRead::kMissing) {
        file.writable = true; // none yet: made on the first change
        return;
    }
    if (read != PlayerRead::kRead) {
        // A file the game cannot read is kept: moved aside on the first
        // change when it is a regular file, else left alone and never
        // written over.
        file.writable = IsRegularFile(path);
        fprintf(err, "quarndel: %s: cannot read the settings file; %s\n", Printable(path).c_str(),
                file.writable ? "it is moved aside when a setting changes"
                              : "settings are not kept");
        return;
    }
    file.writable = true;
    file.lines = SplitLines(bytes);
    for (size_t i = 0; i < file.lines.size(); ++i) {
        std::string line = Trim(file.lines[i]);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::string name, value, problem;
        if (!SplitLine(line, name, value)) {
            problem = "not a 'name = value' line";
        } else {
            problem = Apply(name, value, path + ":" + std::to_string(i + 1));
        }
        if (!problem.empty()) {
            std::string told = "quarndel: " + Printable(path) + ":" + std::to_string(i + 1) + ": " +
                               problem + "; ignored";
            fprintf(err, "%s\n", told.c_str());
            NoteSettingsProblem(name, told);
        }
    }
}

bool ChangeSetting(const char *name, const char *value) {
    if (file.path.empty() || !file.writable) {
        return false;
    }
    NoteSettingsProblem(name, ""); // fixed in the game: no longer a problem
    static bool atExit = false;
    if (!atExit) {
        atExit = true;
        atexit(WriteAtExit);
    }
    for (auto &change : file.pending) {
        if (change.first == name) {
            change.second = value;
            return true;
        }
    }
    file.pending.push_back({name, value});
    return true;
}

SettingsWrite WritePendingSettings(FILE *err, long patienceMs) {
    if (file.pending.empty()) {
        return SettingsWrite::kNothing;
    }
    long now = NowMs();
    if (patienceMs == 0 && now - file.lastWriteMs < kWriteSpacingMs) {
        return SettingsWrite::kBusy;
    }
    // Two games at once: the one writing holds the folder's lock from
    // reading the file as it is now to renaming the new one into place, so
    // neither loses the other's change. The loop never waits for it.
    FolderLock lock;
    LockTaken taken = TryLockFolder(FolderOf(file.path), lock);
    for (long waited = 0; taken == LockTaken::kBusy && waited < patienceMs; waited += 10) {
        Nap(10);
        taken = TryLockFolder(FolderOf(file.path), lock);
    }
    if (taken == LockTaken::kBusy) {
        if (patienceMs > 0) {
            WarnOnce(err, "quarndel: " + Printable(file.path) +
                              ": another game keeps the settings folder locked; the last changes "
                              "are not kept\n");
            file.pending.clear();
            return SettingsWrite::kFailed;
        }
        return SettingsWrite::kBusy;
    }
    // No folder yet (kFailed): the write makes it, or says why it cannot.
    bool kept = WritePending(err);
    UnlockFolder(lock);
    file.pending.clear();
    file.lastWriteMs = now;
    return kept ? SettingsWrite::kWritten : SettingsWrite::kFailed;
}

void ForgetSettings() {
    settings = Settings();
    file = SettingsFile();
    ForgetSettingsProblems();
    ClearBindings();
}
