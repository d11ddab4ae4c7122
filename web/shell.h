#pragma once
// The browser program around the game: the loop shell (app/loop_shell.h)
// with the page's parts: every shown frame goes to the page's canvas, what
// the game writes goes to the browser's storage, and the page's keys reach
// SDL's own queue and held-key array.

// Sets the game's hooks to the browser program's; when the play loop has
// ended (FinishShell), the settings changed last are written and the page
// stores them with the scores.
void InstallWebHooks();

extern "C" {
// The milliseconds the game asked to wait (SDL_Delay) since the last call:
// the browser calls the next loop iteration that much later.
unsigned WebTakeDelay(void);
// The page's keyboard: a key (an SDLKey number) went down (down = 1) or up.
// Keys before SDL has started are dropped.
void QuarndelKey(int sym, int down);
// The game's state as the page and its tests read it, one field a call:
// whether the title screen runs (1) or play has begun (0), the ship's x and
// y, the score, the lives, the level number, whether the game is paused and
// whether it is over.
int QuarndelTitleRunning(void);
int QuarndelShipX(void);
int QuarndelShipY(void);
int QuarndelScore(void);
int QuarndelLives(void);
int QuarndelLevelNumber(void);
int QuarndelPaused(void);
int QuarndelGameOver(void);
// The page's fit button: whole factors or filled, as the options' fit item
// steps it (kept in the settings); the page hears the new fit.
void QuarndelStepFit();

// The page's gamepad (web/pad.cpp): the buffer the page writes the pad's
// name into before QuarndelPadConnected; a button of the standard mapping
// (0 to 11) went down or up; the left stick's axis 0 (x) or 1 (y) moved
// (-32768 to 32767); the d-pad, as SDL's hat bits.
char *QuarndelPadName();
void QuarndelPadConnected();
void QuarndelPadButton(int standard, int down);
void QuarndelPadAxis(int axis, int value);
void QuarndelPadHat(int value);

// Installs the level pack the page wrote at path into the level sets folder,
// as --install-levels does (replacing a set of that name when overwrite is
// 1), while the game runs; returns the outcome's line. The page then stores
// the folder.
const char *QuarndelInstallPack(const char *path, int overwrite);
}
