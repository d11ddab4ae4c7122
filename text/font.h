#pragma once
// The proportional bitmap font: a square sheet of 16 x 16 glyph cells read as
// 8-bit coverage, turned into white pixels with per-pixel alpha, and a table
// of 256 advance widths.
#include <SDL.h>

// Sheet sides the loader accepts from "font.ini"; anything else is a broken
// file and would make the pixel buffer unbounded or the cells empty.
constexpr int kMinFontSize = 16;
constexpr int kMaxFontSize = 4096;

// Longest font file path (the folder, a slash and the file name, with NUL).
constexpr int kFontPathSize = 100;

// Longest formatted text (with NUL).
constexpr int kTextSize = 1024;

struct BitmapFont {
    SDL_Surface *image = nullptr;    // the sheet, display format with alpha
    int size = 0;                    // side of the sheet in pixels
    int cell = 0;                    // side of one glyph cell: size / 16
    int *widths = nullptr;           // 256 advance widths
    unsigned char *pixels = nullptr; // size * size * 4 bytes, red first
};

// Loads "font.ini", "font.raw" and "font.dat" from dir. Null when "font.ini"
// or "font.raw" cannot be opened or the sheet side is outside 16..4096.
// Without "font.dat" every code gets the cell side less 2, so each glyph
// window is exactly one cell wide and never shows a neighbouring glyph.
BitmapFont *LoadFont(const char *dir);
BitmapFont *LoadFont(const char *dir, float r, float g, float b, float a);

// Draws printf-formatted text with its top-left corner at (x, y). A null
// font or target draws nothing.
void DrawText(SDL_Surface *dest, BitmapFont *font, int x, int y, const char *format, ...)
    __attribute__((format(printf, 5, 6)));

// Width in pixels of the formatted text: the distance DrawText's pen moves.
int TextWidth(BitmapFont *font, const char *format, ...) __attribute__((format(printf, 2, 3)));

void FreeFont(BitmapFont *font);
