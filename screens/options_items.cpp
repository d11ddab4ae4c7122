#include "screens/options_items.h"

#include "files/bindings.h"
#include "files/settings.h"
#include "sound/effects.h"
#include "sound/music.h"
#include "window/input.h"
#include "window/scaler.h"
#include "window/window.h"

namespace {

// The actions in the order the screen lists them: fire first, as players
// change it most.
const int kKeyOrder[] = {kActFire,  kActUp,     kActDown,    kActLeft, kActRight,
                         kActPause, kActChoose, kActNewGame, kActQuit};
const int kButtonOrder[] = {kActFire, kActPause, kActChoose, kActNewGame, kActQuit};

// The volumes are kept in percent; the screen steps them in tenths.
constexpr int kVolumeSteps = 10;

const char *const kLayoutNames[] = {"auto", "xbox", "playstation"};
const char *const kLayoutShown[] = {"Automatic", "Xbox", "PlayStation"};

std::string ActionShown(int action) {
    std::string name = kActionNames[action];
    name[0] = (char)toupper((unsigned char)name[0]);
    size_t blank = name.find('_');
    return blank == std::string::npos ? name : name.replace(blank, 1, " ");
}

int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

// The next of count values, wrapping around.
int Cycle(int value, int step, int count) {
    return ((value + step) % count + count) % count;
}

bool windowOptions = true;

bool StepVolume(int &percent, int step, const char *name) {
    int level = Clamp((percent + kVolumeSteps / 2) / kVolumeSteps + step, 0, kVolumeSteps);
    percent = level * kVolumeSteps;
    return ChangeSetting(name, std::to_string(percent).c_str());
}

} // namespace

std::vector<OptionItem> OptionItems(bool padThere) {
    std::vector<OptionItem> items;
    for (int action : kKeyOrder) {
        items.push_back({OptionKind::kKey, action});
    }
    if (padThere) {
        for (int action : kButtonOrder) {
            items.push_back({OptionKind::kButton, action});
        }
    }
    for (OptionKind kind : {OptionKind::kMusicVolume, OptionKind::kEffectsVolume,
                            OptionKind::kScale, OptionKind::kFullscreen, OptionKind::kFullscreenFit,
                            OptionKind::kMute, OptionKind::kPadLayout}) {
        if (windowOptions || (kind != OptionKind::kScale && kind != OptionKind::kFullscreen)) {
            items.push_back({kind, -1});
        }
    }
    return items;
}

void ShowWindowOptions(bool shown) {
    windowOptions = shown;
}

std::string OptionLabel(const OptionItem &item) {
    switch (item.kind) {
    case OptionKind::kKey:
        return ActionShown(item.action) + " key";
    case OptionKind::kButton:
        return ActionShown(item.action) + " pad button";
    case OptionKind::kMusicVolume:
        return "Music volume";
    case OptionKind::kEffectsVolume:
        return "Effects volume";
    case OptionKind::kScale:
        return "Window scale";
    case OptionKind::kFullscreen:
        return "Fullscreen";
    case OptionKind::kFullscreenFit:
        return windowOptions ? "Fullscreen fit" : "Fit";
    case OptionKind::kMute:
        return "Mute";
    case OptionKind::kPadLayout:
        return "Gamepad layout";
    }
    return "";
}

std::string OptionValue(const OptionItem &item) {
    switch (item.kind) {
    case OptionKind::kKey:
        return ActionKeysText(item.action);
    case OptionKind::kButton: {
        int button = ActionButton(item.action);
        return button < 0 ? "none" : std::to_string(button);
    }
    case OptionKind::kMusicVolume:
        return std::to_string((settings.musicVolume + kVolumeSteps / 2) / kVolumeSteps);
    case OptionKind::kEffectsVolume:
        return std::to_string((settings.effectsVolume + kVolumeSteps / 2) / kVolumeSteps);
    case OptionKind::kScale:
        return WindowScaleAsked() == kScaleAuto ? "auto" : std::to_string(WindowScaleAsked());
    case OptionKind::kFullscreen:
        return OnOff(WindowFullscreen());
    case OptionKind::kFullscreenFit:
        return FullscreenFills() ? "fill" : "whole";
    case OptionKind::kMute:
        return OnOff(Muted());
    case OptionKind::kPadLayout:
        return kLayoutShown[settings.padLayout + 1];
    }
    return "";
}

bool StepOption(const OptionItem &item, int step) {
    switch (item.kind) {
    case OptionKind::kMusicVolume: {
        bool kept = StepVolume(settings.musicVolume, step, "music_volume");
        SetMusicVolume(settings.musicVolume);
        return kept;
    }
    case OptionKind::kEffectsVolume: {
        bool kept = StepVolume(settings.effectsVolume, step, "effects_volume");
        SetEffectsVolume(settings.effectsVolume);
        PlayEffect(GameEvent::MenuChoose); // heard at the new level
        return kept;
    }
    case OptionKind::kScale: {
        // 1, 2, 3, 4, auto (kScaleAuto, 0) and round again.
        int scale = Cycle(WindowScaleAsked(), step, kMaxWindowScale + 1);
        SetWindowScale(scale);
        return ChangeSetting("scale", scale == kScaleAuto ? "auto" : std::to_string(scale).c_str());
    }
    case OptionKind::kFullscreen:
        return ChangeSetting("fullscreen", OnOff(ToggleWindowFullscreen()));
    case OptionKind::kFullscreenFit:
        settings.fillFullscreen = !FullscreenFills();
        SetFullscreenFill(settings.fillFullscreen);
        return ChangeSetting("fullscreen_fit", settings.fillFullscreen ? "fill" : "whole");
    case OptionKind::kMute:
        ToggleMute();
        return ChangeSetting("mute", OnOff(Muted()));
    case OptionKind::kPadLayout:
        settings.padLayout = Cycle(settings.padLayout + 1, step, 3) - 1;
        ApplyPadLayout();
        return ChangeSetting("pad_layout", kLayoutNames[settings.padLayout + 1]);
    case OptionKind::kKey:
    case OptionKind::kButton:
        break;
    }
    return true;
}

bool BindOptionKey(int action, SDLKey key, std::string &said) {
    if (!SetActionKey(action, key, said)) {
        return false;
    }
    said = ActionShown(action) + ": " + SDL_GetKeyName(key);
    if (!ChangeSetting(kActionNames[action], SDL_GetKeyName(key))) {
        said += " (not kept: the settings file cannot be written)";
    }
    return true;
}

bool BindOptionButton(int action, int button, std::string &said) {
    if (!SetActionButton(action, button, said)) {
        return false;
    }
    std::string name = std::string("pad_") + kActionNames[action];
    said = ActionShown(action) + ": button " + std::to_string(button);
    if (!ChangeSetting(name.c_str(), std::to_string(button).c_str())) {
        said += " (not kept: the settings file cannot be written)";
    }
    return true;
}
