#include "app/input.h"

#include "app/window.h"
#include "sound/effects.h"

namespace {

// The four directions the stick and the hat steer, as arrow keys.
enum Direction { kUp, kDown, kLeft, kRight, kDirectionCount };
const SDLKey kArrowKeys[kDirectionCount] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};

constexpr Uint8 kStickXAxis = 0;
constexpr Uint8 kStickYAxis = 1;

bool stickHeld[kDirectionCount] = {};
bool hatHeld[kDirectionCount] = {};

// The key events one gamepad event turns into: at most one per direction.
struct KeyEvents {
    SDL_Event events[kDirectionCount];
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

// Takes new positions for one source (stick or hat) and adds a key event for
// every arrow whose held state changes; the other source still holds its own.
void Steer(bool (&source)[kDirectionCount], const bool (&now)[kDirectionCount],
           const bool (&other)[kDirectionCount], KeyEvents &out) {
    for (int d = 0; d < kDirectionCount; ++d) {
        bool was = source[d] || other[d];
        source[d] = now[d];
        bool is = source[d] || other[d];
        if (was != is) {
            AddKey(out, kArrowKeys[d], is);
        }
    }
}

void StickMoved(const SDL_JoyAxisEvent &axis, KeyEvents &out) {
    bool now[kDirectionCount] = {stickHeld[kUp], stickHeld[kDown], stickHeld[kLeft],
                                 stickHeld[kRight]};
    if (axis.axis == kStickXAxis) {
        now[kLeft] = axis.value < -kStickDeadZone;
        now[kRight] = axis.value > kStickDeadZone;
    } else if (axis.axis == kStickYAxis) {
        now[kUp] = axis.value < -kStickDeadZone;
        now[kDown] = axis.value > kStickDeadZone;
    } else {
        return;
    }
    Steer(stickHeld, now, hatHeld, out);
}

void HatMoved(const SDL_JoyHatEvent &hat, KeyEvents &out) {
    if (hat.hat != 0) {
        return;
    }
    bool now[kDirectionCount] = {(hat.value & SDL_HAT_UP) != 0, (hat.value & SDL_HAT_DOWN) != 0,
                                 (hat.value & SDL_HAT_LEFT) != 0, (hat.value & SDL_HAT_RIGHT) != 0};
    Steer(hatHeld, now, stickHeld, out);
}

void ButtonChanged(const SDL_JoyButtonEvent &button, KeyEvents &out) {
    SDLKey key;
    switch (button.button) {
    case kButtonFire:
        key = SDLK_SPACE;
        break;
    case kButtonChoose:
        key = SDLK_RETURN;
        break;
    case kButtonNewGame:
        key = SDLK_n;
        break;
    case kButtonBack:
        key = SDLK_ESCAPE;
        break;
    case kButtonStart:
        key = SDLK_p;
        break;
    default:
        return;
    }
    AddKey(out, key, button.state == SDL_PRESSED);
}

void ControlKey(SDL_Event *event) {
    const SDL_keysym &key = event->key.keysym;
    if (key.sym == SDLK_m) {
        ToggleMute();
    } else if (key.sym == SDLK_F11) {
        ToggleWindowFullscreen();
    } else if (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT) != 0) {
        ToggleWindowFullscreen();
        event->type = SDL_NOEVENT;
    }
}

} // namespace

void OpenGamepad() {
    Uint8 *keys = SDL_GetKeyState(nullptr);
    for (int d = 0; d < kDirectionCount; ++d) {
        if (stickHeld[d] || hatHeld[d]) {
            keys[kArrowKeys[d]] = 0; // let go of what the pad held
        }
        stickHeld[d] = false;
        hatHeld[d] = false;
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
    SDL_JoystickEventState(SDL_ENABLE);
}

void TranslateInput(SDL_Event *event) {
    KeyEvents keys;
    switch (event->type) {
    case SDL_KEYDOWN:
        ControlKey(event);
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
    for (int i = 1; i < keys.count; ++i) {
        SDL_PushEvent(&keys.events[i]);
    }
}
