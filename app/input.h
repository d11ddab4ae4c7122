#pragma once
// Input around the game's own keys: the gamepad, the mute key and the
// fullscreen keys. The gamepad becomes the keyboard the game already reads:
// its stick, hat and buttons turn into the key events and held-key entries
// of the keys they stand for, so the title and play loops never change.
#include <SDL.h>

// Stick positions closer to the centre than this (of 32767) count as
// centred, so a worn stick resting off-centre does not steer.
constexpr Sint16 kStickDeadZone = 8000;

// Gamepad buttons as SDL numbers them for the common pads: the face
// buttons A, B, X, then Back and Start.
constexpr Uint8 kButtonFire = 0;    // A: Space, fire
constexpr Uint8 kButtonChoose = 1;  // B: Enter, choose on the title screen
constexpr Uint8 kButtonNewGame = 2; // X: N, a new game after a game over
constexpr Uint8 kButtonBack = 6;    // Back / Select: Escape
constexpr Uint8 kButtonStart = 7;   // Start: P, pause

// Starts SDL's joystick subsystem on its own and opens the first joystick it
// finds; without one, or when the subsystem does not start, nothing changes.
// Also forgets the stick and hat positions seen so far.
void OpenGamepad();

// Turns an event just taken from SDL's queue into what the game should see:
// gamepad events of the first joystick become the key events they stand for
// (any further key events one gamepad event makes are queued behind it) and
// update SDL's held-key array; M toggles mute, F11 and Alt+Enter toggle
// fullscreen. Alt+Enter reaches the game as no event, so the title menu does
// not take it for Enter. Everything else passes unchanged.
void TranslateInput(SDL_Event *event);
