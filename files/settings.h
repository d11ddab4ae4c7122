#pragma once
// The settings file the player keeps between runs: plain "name = value"
// lines and "#" comments, read at start-up and rewritten when the player
// changes a setting in the game (M, F11). Only the changed value's line is
// rewritten: the player's comments, order and lines the game does not know
// stay as they were. With no file the game plays as documented and creates
// none until the player changes something.
#include <cstdio>
#include <string>
#include <vector>

#include "files/settings_problems.h"

// The factor the window is asked for: 1 to 4, or this for the
// largest that fits the desktop.
constexpr int kScaleAuto = 0;

// What the file may set; everything else the game does without the file.
struct Settings {
    int scale = 1;               // 1 to 4, or kScaleAuto (0)
    bool fullscreen = false;     // start in fullscreen
    bool mute = false;           // start muted
    int musicVolume = 100;       // 0 to 100
    int effectsVolume = 100;     // 0 to 100
    bool gamepad = true;         // use the first joystick
    bool fillFullscreen = false; // fullscreen_fit = fill: the largest 4:3 size, not whole factors
    int padLayout = -1;          // pad_layout: -1 told by the pad's name, else a PadLayout
    std::string levels;          // the installed level set picked with L; empty: the shipped one
};

extern Settings settings;

// The settings file: named, else $XDG_CONFIG_HOME/quarndel/settings.ini,
// else ~/.config/quarndel/settings.ini; empty when none can be told.
std::string SettingsPath(const char *named);

// Starts from the defaults and reads path when it exists. Each line naming
// an unknown setting or giving a bad value is reported on err with the
// file's path and line number, and ignored. A file that cannot be read is
// reported once and left alone: it is never overwritten.
void LoadSettings(const std::string &path, FILE *err);

// Records a value the player changed in the game (M, F11), to be written by
// WritePendingSettings: never inside the loop's handling of an event, so a
// slow disk or another game holding the lock cannot freeze the window.
// Repeated changes of one name keep the latest value. False, and nothing
// kept, when no settings file was chosen or it may not be written.
bool ChangeSetting(const char *name, const char *value);

// What WritePendingSettings did.
enum class SettingsWrite {
    kNothing, // no change was waiting
    kWritten, // the file holds every change (or already did)
    kBusy,    // not yet: another game holds the lock, or the last write was
              // moments ago; the changes stay waiting
    kFailed,  // the changes are not kept: told on err, once per problem a run
};

// Writes the waiting changes: in the file as it is now (another game may
// have changed it), under the folder's lock, the line of each name gets its
// new value, or a line is added, and the file is rewritten atomically. With
// patienceMs 0 (after a loop iteration) it never waits: a held lock or a
// write moments ago leaves the changes for a later call. Otherwise it waits
// up to patienceMs for the lock. The end of the run writes what is left.
SettingsWrite WritePendingSettings(FILE *err, long patienceMs);

// Forgets the file and its lines: back to the defaults, no file chosen.
void ForgetSettings();

// The value words of on/off settings.
inline const char *OnOff(bool on) {
    return on ? "on" : "off";
}
