#pragma once
// Reading the lines that make up a recorded game: iteration lines with their
// events and digest, and "*N" repeats of the idle line before. Part of the
// reader (replay_reader.cpp reads the other lines); not for the game.
#include "replay/line_reader.h"
#include "replay/replay_file.h"

// What the lines read so far leave behind, for the lines that follow.
struct ParseState {
    Recording &out;
    bool held[kReplayKeyCount] = {}; // the keys the events so far leave held
    Uint32 clock = 0;                // the clock of the last iteration
    bool lastLine = false;           // the line is the file's last, cut before its end

    explicit ParseState(Recording &recording) : out(recording) {}
};

// "16 +274 =5b0e": the clock step (first, already read), the events, the
// state digest. The last line of a killed game's recording may stop before
// its digest.
bool ParseIteration(ParseState &state, LineReader &line, const char *first, size_t firstLength);

// "*12": the iteration line before, 12 more times, each a clock step later.
bool ParseRepeat(ParseState &state, LineReader &line, const char *word, size_t length);
