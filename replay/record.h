#pragma once
// The recording side of the session (record.cpp): the seed, the clock and
// the events written as they happen, to the record file and the score
// keeper's copy. The entry points (replay.cpp) call it; not for the game.
#include <SDL.h>

#include <string>

bool CheckRecordingTarget(const char *path, bool overwrite, std::string &error);
void OpenRecording(Uint32 seed);
Uint32 RecordingTicks();
void RecordEvent(const SDL_Event &event);
void RecordHeldChanges();
void RecordIterationEnd(Uint16 digest, bool drewFrame);
void RecordDataFile(const char *path, Uint32 hash);
void RecordPlay(int difficulty, const char *level);
// Writes the end line and closes the file; the exit status tells whether
// the whole run is in it.
int FinishRecording();
// Closes the record file without a word and gives SIGPIPE and SIGXFSZ back
// their handlers, for a reset.
void CloseRecorder();
