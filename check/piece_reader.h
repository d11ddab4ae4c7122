#pragma once
// Reads a text data file in the pieces the game's loaders see: fgets into a
// buffer of kLineSize, so a line of more than 254 characters arrives as
// several pieces, and every piece after the first is scanned by the game as a
// line of its own. Each piece keeps the number of the line it came from, so
// the checker can name lines the way an editor counts them.
#include <cstdio>
#include <string>

#include "sprites/sprite.h"

struct LinePiece {
    char text[kLineSize] = {};
    int line = 0;   // 1-based line of the file the piece belongs to
    int column = 1; // 1-based column of the line where the piece starts
};

class PieceReader {
  public:
    FILE *file = nullptr;
    int line = 1;
    int column = 1;

    PieceReader() = default;
    PieceReader(const PieceReader &) = delete;
    PieceReader &operator=(const PieceReader &) = delete;
    ~PieceReader();

    // Opens the file in the mode the game uses for it; false when it cannot.
    bool Open(const std::string &path, const char *mode);
    // The next piece, or false at the end of the file or on a read error.
    bool Next(LinePiece &piece);
};

// True for a piece that holds nothing but line-end characters: what a
// line of exactly 254 characters leaves over, and harmless.
bool IsOnlyLineEnd(const char *text);

// The warning text for a piece that starts past column 254 of its line.
std::string TailPieceMessage(const LinePiece &piece);

// The piece without its line end, for quoting in messages.
std::string WithoutLineEnd(const char *text);
