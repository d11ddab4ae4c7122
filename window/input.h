#pragma once
// Input around the game's own keys: the gamepad, the keys the player bound,
// the mute key and the fullscreen keys. The gamepad and bound keys become
// the keyboard the game already reads: they turn into the key events and
// held-key entries of the documented keys they stand for, so the title and
// play loops never change. Every source holds a key on its own: letting go
// of the stick does not let go of an arrow the keyboard still holds.
#include <SDL.h>

// A stick moved further from the centre than this (of 32767) steers; once
// steering, it lets go only when back nearer the centre than
// kStickRelease, so a stick resting near the edge does not chatter.
constexpr Sint16 kStickDeadZone = 8000;
constexpr Sint16 kStickRelease = 6000;

// Gamepad buttons as SDL numbers them for Xbox-layout pads: the face
// buttons A, B, X, then Back and Start. PlayStation pads have their own map
// (files/bindings.h).
constexpr Uint8 kButtonFire = 0;    // A: Space, fire
constexpr Uint8 kButtonChoose = 1;  // B: Enter, choose on the title screen
constexpr Uint8 kButtonNewGame = 2; // X: N, a new game after a game over
constexpr Uint8 kButtonBack = 6;    // Back / Select, held: Escape
constexpr Uint8 kButtonStart = 7;   // Start: P, pause

// The quit button must be held this long (ms) before it acts as Escape, so
// a brush of it never ends the game.
constexpr Uint32 kQuitHoldMs = 1000;

// Starts SDL's joystick subsystem on its own and opens the first joystick it
// finds, with the button map of its layout; without one, when the settings
// turn the gamepad off, or when the subsystem does not start, nothing
// changes. Also forgets everything the pad held.
void OpenGamepad();

// Turns an event just taken from SDL's queue into what the game should see:
// bound keys and gamepad events of the first joystick become the key events
// of the documented keys they stand for (any further key events one event
// makes wait in PendingInput) and update SDL's held-key array; a change that
// leaves a key held by another source becomes no event. M toggles mute, F11
// and Alt+Enter toggle fullscreen, and both are kept in the settings file.
// Alt+Enter reaches the game as no event, so the title menu does not take
// it for Enter. Everything else passes unchanged.
void TranslateInput(SDL_Event *event);

// An event made by the translation and not handed out yet: the further key
// events of one gamepad event, or the Escape press of a quit button held
// for kQuitHoldMs (once per hold). True with the event filled in.
bool PendingInput(SDL_Event *event);

// Whether OpenGamepad opened a pad.
bool GamepadThere();

// Uses the settings' pad layout, else the one the pad's name tells.
void ApplyPadLayout();
