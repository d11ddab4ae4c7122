#pragma once
// The words of one line of a replay file and the number formats its lines
// use: what every part of the reader (replay_reader.cpp, iteration_lines.cpp)
// reads a line with. Not for the game.
#include <SDL.h>

#include <string>

// A cursor over one line's words, with the line number for messages.
struct LineReader {
    const char *p;
    const char *end;
    size_t number;
    std::string *error;

    // Sets the error to the line number and what is wrong; returns false.
    bool Fail(const std::string &what);
    bool AtEnd() const { return p == end; }
    // The rest of the line after the blanks that follow the last word.
    std::string Rest();
    // The next blank-separated word; false at the end of the line.
    bool Word(const char *&start, size_t &length);
};

// Decimal digits only, no sign, at most max. Ten digits are enough for any
// 32-bit value; more is a number no recording holds.
bool ParseUnsigned(const char *s, size_t n, Uint32 max, Uint32 &value);

// An int written in decimal, with a minus sign when negative.
bool ParseSigned(const char *s, size_t n, int &value);

// Exactly digits lower-case hex digits.
bool ParseHex(const char *s, size_t n, size_t digits, Uint32 &value);
