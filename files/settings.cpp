#include "files/settings.h"

#include "files/bindings.h"
#include "files/player_files.h"
#include "files/settings_file.h"
#include "files/settings_problems.h"
#include "strings/set_name.h"
#include "strings/text.h"

Settings settings;

namespace {

// The longest value or name a warning echoes, and the longest message a key
// binding's problem makes: a 60 KB line is cut, not printed whole.
constexpr size_t kMaxShown = 64;
constexpr size_t kMaxShownProblem = 160;

// text as a warning shows it: control characters escaped as recordings'
// text is, cut after max characters.
std::string Shown(const std::string &text, size_t max) {
    std::string shown = Printable(text);
    return shown.size() > max ? shown.substr(0, max) + "..." : shown;
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
    settingsFile.path = path;
    if (path.empty()) {
        return;
    }
    std::string bytes, why;
    PlayerRead read = ReadPlayerFile(path, kMaxSettingsBytes, Links::kFollow, bytes, why);
    if (read == PlayerRead::kMissing) {
        settingsFile.writable = true; // none yet: made on the first change
        return;
    }
    if (read != PlayerRead::kRead) {
        // A file the game cannot read is kept: moved aside on the first
        // change when it is a regular file, else left alone and never
        // written over.
        settingsFile.writable = IsRegularFile(path);
        fprintf(err, "quarndel: %s: cannot read the settings file; %s\n", Printable(path).c_str(),
                settingsFile.writable ? "it is moved aside when a setting changes"
                                      : "settings are not kept");
        return;
    }
    settingsFile.writable = true;
    settingsFile.lines = SplitLines(bytes);
    for (size_t i = 0; i < settingsFile.lines.size(); ++i) {
        std::string line = Trim(settingsFile.lines[i]);
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

void ForgetSettings() {
    settings = Settings();
    settingsFile = SettingsFile();
    ForgetSettingsProblems();
    ClearBindings();
}
