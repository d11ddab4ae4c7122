// The browser's gamepads for the game: the page reads the first pad through
// the Gamepad API (its standard mapping) and hands its buttons, stick and
// d-pad here; they become SDL joystick events of pad 0, with the buttons
// numbered as SDL numbers that pad's buttons on Linux, so the desktop's
// layouts (told by the pad's name) and the settings file's button lines
// apply unchanged (window/input.cpp, files/bindings.cpp).
#include <emscripten.h>

#include <cstring>

#include <SDL.h>

#include "files/bindings.h"
#include "files/settings.h"
#include "web/shell.h"

namespace {

char padName[128];
PadLayout padLayout = kPadXbox;

// The standard mapping's buttons 0 to 11 (bottom, right, left and top face
// buttons, the shoulders, the triggers, select, start, the sticks) as SDL
// numbers them on Linux; -1 where that pad has no button (an Xbox pad's
// triggers are axes there).
constexpr int kStandardButtons = 12;
const int kLinuxButton[2][kStandardButtons] = {
    {0, 1, 2, 3, 4, 5, -1, -1, 6, 7, 9, 10}, // Xbox: A B X Y LB RB - - Back Start
    {0, 1, 3, 2, 4, 5, 6, 7, 8, 9, 11, 12},  // PlayStation: cross circle square triangle ...
};

void Push(SDL_Event &event) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && settings.gamepad) {
        SDL_PushEvent(&event);
    }
}

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE char *QuarndelPadName() {
    return padName;
}

extern "C" EMSCRIPTEN_KEEPALIVE void QuarndelPadConnected() {
    padName[sizeof padName - 1] = '\0';
    padLayout = LayoutOfPad(padName);
    UsePadLayout(padLayout);
}

extern "C" EMSCRIPTEN_KEEPALIVE void QuarndelPadButton(int standard, int down) {
    if (standard < 0 || standard >= kStandardButtons || kLinuxButton[padLayout][standard] < 0) {
        return;
    }
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.button = (Uint8)kLinuxButton[padLayout][standard];
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    Push(event);
}

extern "C" EMSCRIPTEN_KEEPALIVE void QuarndelPadAxis(int axis, int value) {
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.axis = (Uint8)axis;
    event.jaxis.value = (Sint16)(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
    Push(event);
}

extern "C" EMSCRIPTEN_KEEPALIVE void QuarndelPadHat(int value) {
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = SDL_JOYHATMOTION;
    event.jhat.value = (Uint8)value;
    Push(event);
}
