#pragma once
// The playing-back side of the session (playback.cpp): the recorded seed,
// clock and events in place of the real ones, every iteration checked
// against the recording. The entry points (replay.cpp) call it; not for the
// game.
#include <SDL.h>

#include <string>

bool LoadRecording(const char *path, std::string &error);
Uint32 ReplayTicks();
int NextRecordedEvent(SDL_Event *event);
void CheckIteration(Uint16 digest, bool drewFrame);
void CheckPlay(int difficulty, const std::string &level);
// A recording cut where a game ended: the replay ends there, checking the
// score, level and difficulty it finds against the stop line.
void StopWhereRecorded();
void NoteDifference(const std::string &what);
void ClipHeadlessDrawing();
// The final state, the verdict and the exit status.
int FinishReplay();
