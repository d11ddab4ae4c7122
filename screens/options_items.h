#pragma once
// What the options screen lists and changes: each action's key and pad
// button, the volumes, the window and the pad layout. Every change takes
// effect at once and goes to the settings file (ChangeSetting).
#include <SDL.h>

#include <string>
#include <vector>

enum class OptionKind {
    kKey,    // an action's key: Enter waits for the next key
    kButton, // an action's pad button: Enter waits for the next button
    kMusicVolume,
    kEffectsVolume,
    kScale,
    kFullscreen,
    kFullscreenFit,
    kMute,
    kPadLayout,
};

struct OptionItem {
    OptionKind kind;
    int action; // kKey and kButton: the Action
};

// The items in the screen's order: the keys (fire first), the pad's
// buttons when a pad is there, then the values.
std::vector<OptionItem> OptionItems(bool padThere);

// Whether the window's own items (its scale, fullscreen) are listed: not in
// the browser, where the page sizes the picture; there the fit applies to
// the page at every size and is called so.
void ShowWindowOptions(bool shown);

// The item's name and its value as the screen shows them.
std::string OptionLabel(const OptionItem &item);
std::string OptionValue(const OptionItem &item);

// Left (-1), Right or Enter (+1) on a value item: the next value, applied
// and written. Returns false when it cannot be kept in the settings file.
bool StepOption(const OptionItem &item, int step);

// A key or button item given the key or button pressed: it becomes the
// action's, applied and written, and said is the new value; false, with
// said telling why, when the key or button is refused.
bool BindOptionKey(int action, SDLKey key, std::string &said);
bool BindOptionButton(int action, int button, std::string &said);
