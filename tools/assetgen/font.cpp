// The game's bitmap font, rendered from DejaVu Sans with FreeType.
//
// font/font.ini holds the sheet's side (256); font/font.raw the 256x256
// coverage bytes, row by row, as 16x16 cells of 16x16 pixels where code c
// sits in column c % 16 and row c / 16; font/font.dat one advance width per
// code. The game cuts each glyph out as a window widths[c] + 2 pixels wide
// starting at 8 - widths[c] / 2 inside the cell, and moves its pen by
// widths[c]; so each glyph is placed one pixel into that window and its ink
// is kept inside it.
#include "assets.h"
#include "draw.h"
#include "glyphs.h"
#include "output.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

constexpr int kSheet = 256, kCell = 16;
// 13 pixels keeps every capital and descender of the score line inside a
// 16-pixel cell and reads crisply on the play screen.
constexpr int kPixelSize = 13;
constexpr int kMaxWidth = kCell - 2; // the cut-out window must stay inside the cell
constexpr int kBaseline = 13;        // rows above the baseline: room for accents on capitals

bool Drawn(int code) {
    return (code >= 32 && code <= 126) || code >= 160;
}

} // namespace

void WriteFont(const std::string &out) {
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) != 0 || FT_New_Face(lib, kSansFont, 0, &face) != 0) {
        Fail(std::string("cannot open font ") + kSansFont);
    }
    FT_Set_Pixel_Sizes(face, 0, kPixelSize);
    std::string sheet(static_cast<size_t>(kSheet) * kSheet, '\0');
    std::string widths(256, '\0');
    for (int code = 0; code < 256; code++) {
        if (!Drawn(code)) {
            continue; // control codes: empty and zero width
        }
        // A no-break space draws like a space; codes 160-255 are Latin-1,
        // which FreeType reads as the same Unicode code points.
        FT_ULong ch = code == 160 ? 32 : static_cast<FT_ULong>(code);
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
            Fail("cannot render character " + std::to_string(code));
        }
        FT_GlyphSlot g = face->glyph;
        int width = std::min<int>(kMaxWidth, static_cast<int>((g->advance.x + 32) >> 6));
        widths[code] = static_cast<char>(width);
        // The window the game cuts out, in cell columns.
        int windowLeft = kCell / 2 - width / 2;
        int windowRight = std::min(kCell, windowLeft + width + 2);
        int left = windowLeft + 1 + g->bitmap_left;
        int inkW = static_cast<int>(g->bitmap.width);
        // Glyphs that overhang their advance (j, f, italics of accents) are
        // nudged back inside the window.
        left = std::min(left, windowRight - inkW);
        left = std::max(left, windowLeft);
        int cellX = (code % 16) * kCell, cellY = (code / 16) * kCell;
        for (unsigned r = 0; r < g->bitmap.rows; r++) {
            int y = kBaseline - g->bitmap_top + static_cast<int>(r);
            if (y < 0 || y >= kCell) {
                continue;
            }
            for (int c = 0; c < inkW; c++) {
                int x = left + c;
                if (x < windowLeft || x >= windowRight) {
                    continue;
                }
                sheet[static_cast<size_t>(cellY + y) * kSheet + cellX + x] =
                    static_cast<char>(g->bitmap.buffer[r * g->bitmap.pitch + c]);
            }
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    MakeDirs(out + "/font");
    WriteFile(out + "/font/font.ini", std::to_string(kSheet) + "\n");
    WriteFile(out + "/font/font.raw", sheet);
    WriteFile(out + "/font/font.dat", widths);
}
