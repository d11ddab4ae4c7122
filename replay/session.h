#pragma once
// The state of the one recording or replay a run of the game makes, shared by
// the recording side (record.h), the playing-back side (playback.h) and the
// entry points the game's seams call (replay.cpp). Not for the game.
#include <SDL.h>
#include <signal.h>

#include <string>
#include <vector>

#include "replay/replay_file.h"

enum ReplayMode { kReplayOff, kRecording, kReplaying };

// The recorder's outputs: every line of the run goes to each one open.
enum RecorderOutput {
    kRecordFile, // the file --record names
    kKeptRun,    // the score keeper's copy of the run, in memory
    kRecorderOutputs
};

struct ReplaySession {
    ReplayMode mode = kReplayOff;
    bool finished = false;
    bool iterationOpen = false; // the game touched a hook since the last iteration ended
    bool clockFrozen = false;
    Uint32 frozenClock = 0;
    Uint32 iterations = 0; // iterations ended so far
    bool playSeen = false;
    std::vector<ReplayDataFile> filesSeen;
    std::string path;     // the recording's file, as named on the command line
    std::string file;     // the file to record into, absolute when it was relative
    std::string levelSet; // the installed level set played; empty: the shipped levels

    // Recording.
    ReplayWriter outputs[kRecorderOutputs];
    bool failureSaid[kRecorderOutputs] = {}; // an output's stop was said on standard error
    bool overwrite = false;                  // --overwrite: an existing file may be replaced
    bool writeFailed =
        false; // the record file is not whole: reported once; the exit status says so
    bool writeSignalsIgnored = false; // while the record file is written
    struct sigaction oldPipeAction = {};
    struct sigaction oldFileSizeAction = {};
    Uint32 lastClock = 0;                     // the clock value of the iteration before
    bool lineStarted = false;                 // this iteration's line has been begun
    Uint8 recordedHeld[kReplayKeyCount] = {}; // the key state the recorded events make

    // Replaying.
    Recording recording;
    bool headless = false;
    bool verify = false;
    bool stopped = false; // ended by the player (or a signal) before the recording's end
    bool stoppedBySignal = false;
    bool quitPending = false;
    Uint32 nextEvent = 0; // within the current iteration
    Uint8 held[kReplayKeyCount] = {};
    Uint32 lastDrawing = 0; // the last recorded iteration that drew a frame
    bool clipped = false;   // drawing is clipped away (headless, before lastDrawing)
    bool paceStarted = false;
    Uint32 paceRealStart = 0;
    Uint32 paceRecordedStart = 0;
    std::string difference; // the first difference from the recording, if any
    std::string otherSdl;   // the verdict when only the last frame differs, drawn by another SDL
    bool cutSaid = false;   // a recording cut before the data files the game reads was named
};

extern ReplaySession session;

// The game's state as an end line gives it: score, lives, level, the last
// frame's checksum and the iterations so far.
ReplayEnd CurrentEnd();
