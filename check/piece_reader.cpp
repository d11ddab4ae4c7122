#include "check/piece_reader.h"

#include <cstring>

#include "sprites/data_file.h"

PieceReader::~PieceReader() {
    if (file != nullptr) {
        fclose(file);
    }
}

bool PieceReader::Open(const std::string &path, const char *mode) {
    file = OpenRegularFile(path.c_str(), mode);
    return file != nullptr;
}

bool PieceReader::Next(LinePiece &piece) {
    long before = ftell(file);
    if (ReadTextLine(piece.text, sizeof piece.text, file) == nullptr) {
        return false;
    }
    // The file position tells how many bytes fgets took even when the line
    // holds a NUL byte, so the line count stays right.
    long after = ftell(file);
    long taken = (before >= 0 && after > before) ? after - before : (long)strlen(piece.text);
    piece.line = line;
    piece.column = column;
    if (taken > 0 && piece.text[taken - 1] == '\n') {
        ++line;
        column = 1;
    } else {
        column += (int)taken;
    }
    return true;
}

bool IsOnlyLineEnd(const char *text) {
    for (const char *c = text; *c != '\0'; ++c) {
        if (*c != '\r' && *c != '\n') {
            return false;
        }
    }
    return true;
}

std::string TailPieceMessage(const LinePiece &piece) {
    return "the line is longer than " + std::to_string(kLineSize - 1) +
           " characters: the game cuts it and reads the text from column " +
           std::to_string(piece.column) + " on as a line of its own";
}

std::string WithoutLineEnd(const char *text) {
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) {
        s.pop_back();
    }
    return s;
}
