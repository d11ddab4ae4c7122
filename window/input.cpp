#include "window/input.h"

#include "files/bindings.h"
#include "files/settings.h"
#include "sound/effects.h"
#include "sprites/ticks.h"
#include "window/window.h"

namespace {

// The four directions the stick and the hat steer, as arrow keys.
enum Direction { kUp, kDown, kLeft, kRight, kDirectionCount };
const SDLKey kArrowKeys[kDirectionCount] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};

constexpr Uint8 kStickXAxis = 0;
constexpr Uint8 kStickYAxis = 1;
constexpr int kPadButtons = 32;

// What each source holds now.
bool stickHeld[kDirectionCount] = {};
bool hatHeld[kDirectionCount] = {};
bool buttonHeld[kPadButtons] = {};
bool keyDown[SDLK_LAST] = {}; // keyboard keys, as their events told
Uint32 quitPressedAt = 0;     // when the held quit button went down
bool quitSent = false;        // its Escape went out during this hold

// Key events made from one event beyond the first, handed out before SDL's
// queue is read again (not through it: they are translated already).
SDL_Event queued[8];
int queuedCount = 0;
int queuedNext = 0;

// The key events one event turns into.
struct KeyEvents {
    SDL_Event events[kDirectionCount + 1];
    int count = 0;
};

// Makes the key event and sets SDL's held-key entry the way a real key
// press or release would.
void AddKey(KeyEvents &out, SDLKey key, bool down) {
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = KMOD_NONE;
    SDL_GetKeyState(nullptr)[key] = down ? 1 : 0;
    out.events[out.count++] = e;
}

// Whether anything but the documented key itself holds it: the stick, the
// hat, a pad button or a bound key.
bool OthersHold(SDLKey key) {
    for (int d = 0; d < kDirectionCount; ++d) {
        if (kArrowKeys[d] == key && (stickHeld[d] || hatHeld[d])) {
            return true;
        }
    }
    for (int b = 0; b < kPadButtons; ++b) {
        int action = buttonHeld[b] ? ButtonAction(b) : -1;
        if (action >= 0 && action != kActQuit && kActionKeys[action] == key) {
            return true;
        }
    }
    if (key == SDLK_ESCAPE && quitSent) {
        return true;
    }
    for (int k = SDLK_FIRST + 1; k < SDLK_LAST; ++k) {
        if (keyDown[k] && k != key && BoundKey((SDLKey)k) == key) {
            return true;
        }
    }
    return false;
}

bool Held(SDLKey key) {
    return keyDown[key] || OthersHold(key);
}

// Runs change (which updates one source) and adds the key event of key if
// that changed whether the key is held.
template <typename Change> void Update(SDLKey key, KeyEvents &out, Change change) {
    bool was = Held(key);
    change();
    bool is = Held(key);
    if (was != is) {
        AddKey(out, key, is);
    }
}

void Steer(bool (&source)[kDirectionCount], const bool (&now)[kDirectionCount], KeyEvents &out) {
    for (int d = 0; d < kDirectionCount; ++d) {
        Update(kArrowKeys[d], out, [&] { source[d] = now[d]; });
    }
}

// With hysteresis: a held direction lets go only well inside the edge.
bool Beyond(bool held, Sint16 value, int sign) {
    int limit = held ? kStickRelease : kStickDeadZone;
    return sign < 0 ? value < -limit : value > limit;
}

void StickMoved(const SDL_JoyAxisEvent &axis, KeyEvents &out) {
    bool now[kDirectionCount] = {stickHeld[kUp], stickHeld[kDown], stickHeld[kLeft],
                                 stickHeld[kRight]};
    if (axis.axis == kStickXAxis) {
        now[kLeft] = Beyond(stickHeld[kLeft], axis.value, -1);
        now[kRight] = Beyond(stickHeld[kRight], axis.value, 1);
    } else if (axis.axis == kStickYAxis) {
        now[kUp] = Beyond(stickHeld[kUp], axis.value, -1);
        now[kDown] = Beyond(stickHeld[kDown], axis.value, 1);
    } else {
        return;
    }
    Steer(stickHeld, now, out);
}

void HatMoved(const SDL_JoyHatEvent &hat, KeyEvents &out) {
    if (hat.hat != 0) {
        return;
    }
    bool now[kDirectionCount] = {(hat.value & SDL_HAT_UP) != 0, (hat.value & SDL_HAT_DOWN) != 0,
                                 (hat.value & SDL_HAT_LEFT) != 0, (hat.value & SDL_HAT_RIGHT) != 0};
    Steer(hatHeld, now, out);
}

void ButtonChanged(const SDL_JoyButtonEvent &button, KeyEvents &out) {
    if (button.button >= kPadButtons) {
        return;
    }
    bool down = button.state == SDL_PRESSED;
    int action = ButtonAction(button.button);
    if (action < 0) {
        buttonHeld[button.button] = down;
        return;
    }
    if (action == kActQuit) {
        // Escape only once held long enough (PendingInput); letting go ends it.
        buttonHeld[button.button] = down;
        quitPressedAt = GetTicks();
        if (!down && quitSent) {
            Update(SDLK_ESCAPE, out, [] { quitSent = false; });
        }
        quitSent = false;
        return;
    }
    Update(kActionKeys[action], out, [&] { buttonHeld[button.button] = down; });
}

// A key of the keyboard: bound keys stand for their documented key, and a
// key another source still holds is neither pressed again nor let go.
void KeyChanged(SDL_Event *event) {
    SDLKey sym = event->key.keysym.sym;
    if (sym <= SDLK_FIRST || sym >= SDLK_LAST) {
        return;
    }
    bool down = event->type == SDL_KEYDOWN;
    SDLKey key = BoundKey(sym);
    if (key == sym && !OthersHold(key)) {
        keyDown[sym] = down; // the documented path: the event as it came
        return;
    }
    bool was = Held(key);
    keyDown[sym] = down;
    bool is = Held(key);
    SDL_GetKeyState(nullptr)[key] = is ? 1 : 0;
    if (was == is) {
        event->type = SDL_NOEVENT;
        return;
    }
    event->key.keysym.sym = key;
}

// Back in focus, SDL has set its held keys from the keyboard without events
// (keys let go elsewhere are up). Every key takes SDL's word; a documented
// key another source holds counts as let go by the keyboard, since SDL's
// entry may be the one this code wrote: better let go once too early than
// hold an arrow nobody holds.
void KeyboardRefreshed() {
    Uint8 *keys = SDL_GetKeyState(nullptr);
    for (int k = SDLK_FIRST + 1; k < SDLK_LAST; ++k) {
        keyDown[k] = keys[k] != 0 && !OthersHold((SDLKey)k);
    }
    for (SDLKey key : kActionKeys) {
        keys[key] = Held(key) ? 1 : 0;
    }
}

void ControlKey(SDL_Event *event) {
    const SDL_keysym &key = event->key.keysym;
    if (key.sym == SDLK_m) {
        ToggleMute();
        ChangeSetting("mute", OnOff(Muted()));
    } else if (key.sym == SDLK_F11) {
        ChangeSetting("fullscreen", OnOff(ToggleWindowFullscreen()));
    } else if (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT) != 0) {
        ChangeSetting("fullscreen", OnOff(ToggleWindowFullscreen()));
        event->type = SDL_NOEVENT;
    }
}

} // namespace

void OpenGamepad() {
    Uint8 *keys = SDL_GetKeyState(nullptr);
    for (int d = 0; d < kDirectionCount; ++d) {
        if ((stickHeld[d] || hatHeld[d]) && !keyDown[kArrowKeys[d]]) {
            keys[kArrowKeys[d]] = 0; // let go of what the pad held
        }
        stickHeld[d] = false;
        hatHeld[d] = false;
    }
    for (bool &held : buttonHeld) {
        held = false;
    }
    for (bool &down : keyDown) {
        down = false;
    }
    quitSent = false;
    queuedCount = queuedNext = 0;
    ResolveKeyBindings(stderr);
    if (!settings.gamepad) {
        return;
    }
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 && SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
        return;
    }
    if (SDL_NumJoysticks() < 1) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return;
    }
    if (!SDL_JoystickOpened(0)) {
        SDL_JoystickOpen(0);
    }
    ApplyPadLayout();
    SDL_JoystickEventState(SDL_ENABLE);
}

bool GamepadThere() {
    return SDL_WasInit(SDL_INIT_JOYSTICK) != 0 && SDL_JoystickOpened(0);
}

void ApplyPadLayout() {
    if (settings.padLayout >= 0) {
        UsePadLayout((PadLayout)settings.padLayout);
    } else if (GamepadThere()) {
        UsePadLayout(LayoutOfPad(SDL_JoystickName(0)));
    }
}

void TranslateInput(SDL_Event *event) {
    KeyEvents keys;
    switch (event->type) {
    case SDL_KEYDOWN:
        ControlKey(event);
        if (event->type == SDL_KEYDOWN) {
            KeyChanged(event);
        }
        return;
    case SDL_KEYUP:
        KeyChanged(event);
        return;
    case SDL_ACTIVEEVENT:
        if ((event->active.state & SDL_APPINPUTFOCUS) != 0 && event->active.gain != 0) {
            KeyboardRefreshed();
        }
        return;
    case SDL_JOYAXISMOTION:
        if (event->jaxis.which == 0) {
            StickMoved(event->jaxis, keys);
        }
        break;
    case SDL_JOYHATMOTION:
        if (event->jhat.which == 0) {
            HatMoved(event->jhat, keys);
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (event->jbutton.which == 0) {
            ButtonChanged(event->jbutton, keys);
        }
        break;
    default:
        return;
    }
    if (keys.count == 0) {
        return; // a stick inside its dead zone, an unused button: ignored by the loops
    }
    *event = keys.events[0];
    for (int i = 1; i < keys.count && queuedCount < 8; ++i) {
        queued[queuedCount++] = keys.events[i];
    }
}

bool PendingInput(SDL_Event *event) {
    if (queuedNext < queuedCount) {
        *event = queued[queuedNext++];
        if (queuedNext == queuedCount) {
            queuedNext = queuedCount = 0;
        }
        return true;
    }
    if (quitSent) {
        return false;
    }
    bool held = false;
    for (int b = 0; b < kPadButtons; ++b) {
        held = held || (buttonHeld[b] && ButtonAction(b) == kActQuit);
    }
    if (!held || GetTicks() - quitPressedAt < kQuitHoldMs) {
        return false;
    }
    KeyEvents keys;
    Update(SDLK_ESCAPE, keys, [] { quitSent = true; });
    if (keys.count == 0) {
        return false;
    }
    *event = keys.events[0];
    return true;
}
