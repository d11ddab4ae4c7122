#pragma once
// Keys and gamepad buttons the player chooses. A key binding adds keys to
// one of the game's actions ("fire = left ctrl, x", with the key names SDL
// gives); the documented keys keep working. A bound key is turned into the
// documented key before the game sees it, so the rules and recordings only
// ever see the keys they always did. The gamepad's buttons are mapped by the
// pad's layout, told by its name, and the settings file may map any button.
#include <SDL.h>

#include <cstdio>
#include <string>

// The game's actions and the documented key each stands for.
enum Action {
    kActUp,
    kActDown,
    kActLeft,
    kActRight,
    kActFire,
    kActPause,
    kActChoose,
    kActNewGame,
    kActQuit,
    kActionCount
};

extern const char *const kActionNames[kActionCount]; // "up", "down", ... "quit"
extern const SDLKey kActionKeys[kActionCount];       // SDLK_UP ... SDLK_ESCAPE

// Reads one settings line if it is a binding: an action name with key names
// ("fire = left ctrl, x"), or "pad_ACTION = BUTTON" for the gamepad. Returns
// false when name is neither; otherwise true, with problem empty when the
// binding was taken (or kept for ResolveKeyBindings) and saying what is
// wrong when it was ignored (a button already given to another action).
// where ("file:line") names the line in later reports.
bool ReadBinding(const std::string &name, const std::string &value, const std::string &where,
                 std::string &problem);

// Binds the keys read so far. SDL knows its key names only once video has
// started, so this runs then. A line with an unknown key name, a key the
// game keeps for itself (M, F11, O, and Escape for any action but quit, one
// list for the file and the options screen) or a key already given to
// another action is reported on err with its file and line, and binds
// nothing.
void ResolveKeyBindings(FILE *err);

// Forgets every key binding and button mapping read from a file.
void ClearBindings();

// The documented key a pressed key stands for: its action's key when bound,
// else the key itself.
SDLKey BoundKey(SDLKey key);

// The gamepad layouts told apart by the pad's name.
enum PadLayout { kPadXbox, kPadPlayStation };

// The layout of a pad with this name (SDL_JoystickName): PlayStation pads
// by their maker's and models' names, every other pad as the Xbox layout
// most pads copy.
PadLayout LayoutOfPad(const char *name);

// Chooses the button map for a pad of that layout; buttons the settings
// file mapped keep their actions.
void UsePadLayout(PadLayout layout);

// The action a gamepad button performs, or -1 for none. Arrows come from
// the stick and the hat, never from buttons.
int ButtonAction(int button);

// The options screen's changes. SetActionKey makes key the action's one
// bound key (its documented key keeps working); a key of another action, or
// one the game keeps for itself, is refused with problem saying why.
// SetActionButton moves the action's gamepad button likewise.
bool SetActionKey(int action, SDLKey key, std::string &problem);
bool SetActionButton(int action, int button, std::string &problem);

// What the options screen shows: the action's keys by SDL's names, its
// documented key first ("space, left ctrl"); the button it is on, or -1.
std::string ActionKeysText(int action);
int ActionButton(int action);
