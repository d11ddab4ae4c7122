#include "app/settings.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/atomic_file.h"
#include "app/bindings.h"
#include "app/window.h"
#include "sprites/data_file.h"

Settings settings;

namespace {

// The file as read: its lines (without line feeds), where it lives, and
// whether the game may write it (it was read whole, is not there yet, or is
// a regular file it cannot read, to be moved aside).
struct SettingsFile {
    std::string path;
    std::vector<std::string> lines;
    bool writable = false;
};

SettingsFile file;

// The longest settings file read: far more than any player writes.
constexpr long kMaxSettingsBytes = 64 * 1024;

std::string Trim(const std::string &text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
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
    if (value.empty() || value.size() > 3 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    int n = atoi(value.c_str());
    if (n < low || n > high) {
        return false;
    }
    out = n;
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
    bool known = true;
    if (name == "scale") {
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
        ok = ReadNumber(value, 0, 100, settings.musicVolume);
    } else if (name == "effects_volume") {
        ok = ReadNumber(value, 0, 100, settings.effectsVolume);
    } else if (name == "gamepad") {
        ok = ReadOnOff(value, settings.gamepad);
    } else {
        std::string problem;
        if (ReadBinding(name, value, where, problem)) {
            return problem;
        }
        known = false;
    }
    if (!known) {
        return "unknown setting '" + name + "'";
    }
    return ok ? "" : "bad value '" + value + "' for " + name;
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

// Two games at once: the one changing a setting holds the folder's lock
// from reading the file as it is now to renaming the new one into place, so
// neither loses the other's change. -1 when there is no folder yet.
int LockFolderOf(const std::string &path) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0 && flock(fd, LOCK_EX) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// The file's lines as they are now, when another game may have changed
// them; false when it exists but cannot be read.
bool RereadLines(std::vector<std::string> &lines) {
    std::string bytes;
    FileRead read = ReadRegularFile(file.path.c_str(), kMaxSettingsBytes, bytes);
    if (read == FileRead::kRead) {
        lines = SplitLines(bytes);
        return true;
    }
    if (read == FileRead::kCannotOpen && (errno == ENOENT || errno == ENOTDIR)) {
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
                file.path.c_str(), aside.c_str());
        return true;
    }
    return false;
}

bool WriteChange(const char *name, const char *value, FILE *err) {
    std::vector<std::string> lines;
    if (!RereadLines(lines) && !(IsRegularFile(file.path) && MoveAside(err))) {
        fprintf(err, "quarndel: %s: cannot read the settings file; %s not kept\n",
                file.path.c_str(), name);
        return false;
    }
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
    if (found && !changed) {
        file.lines = lines;
        return true; // the file already says so
    }
    if (!found) {
        lines.push_back(std::string(name) + " = " + value);
    }
    std::string contents;
    for (const std::string &line : lines) {
        contents += line + "\n";
    }
    if (!WriteFileAtomically(file.path, contents, err)) {
        return false;
    }
    file.lines = lines;
    return true;
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
    std::string bytes;
    FileRead read = ReadRegularFile(path.c_str(), kMaxSettingsBytes, bytes);
    if (read == FileRead::kCannotOpen && (errno == ENOENT || errno == ENOTDIR)) {
        file.writable = true; // none yet: made on the first change
        return;
    }
    if (read != FileRead::kRead) {
        // A file the game cannot read is kept: moved aside on the first
        // change when it is a regular file, else left alone and never
        // written over.
        file.writable = IsRegularFile(path);
        fprintf(err, "quarndel: %s: cannot read the settings file; %s\n", path.c_str(),
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
            fprintf(err, "quarndel: %s:%zu: %s; ignored\n", path.c_str(), i + 1, problem.c_str());
        }
    }
}

bool ChangeSetting(const char *name, const char *value, FILE *err) {
    if (file.path.empty() || !file.writable) {
        return false;
    }
    int lock = LockFolderOf(file.path);
    bool kept = WriteChange(name, value, err);
    if (lock >= 0) {
        close(lock); // lets go of the lock
    }
    return kept;
}

void ForgetSettings() {
    settings = Settings();
    file = SettingsFile();
    ClearBindings();
}
