#include "check/font_check.h"

#include <cstdio>

#include "check/pictures.h"
#include "sprites/data_file.h"
#include "text/font.h"

namespace {

// Size of a file in bytes, -1 when it cannot be opened.
long FileSize(const std::string &path) {
    FILE *file = OpenRegularFile(path.c_str(), "rb");
    if (file == nullptr) {
        return -1;
    }
    long size = ::FileSize(file);
    fclose(file);
    return size;
}

// Reads the sheet side as LoadFont does ("%d"); 0 when the file holds no
// number. *more is set when anything but blanks follows the number.
int ReadSheetSide(FILE *ini, bool *more) {
    int size = 0;
    if (fscanf(ini, "%d", &size) != 1) {
        return 0;
    }
    int c = 0;
    while ((c = fgetc(ini)) != EOF) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            *more = true;
        }
    }
    return size;
}

// Compares a file's size with the size the font needs. A short file is an
// error (the game fills in 255 for every missing byte), a long one a warning.
void CheckFileSize(const std::string &path, long expected, const std::string &need,
                   const std::string &missingEffect, const std::string &shortEffect,
                   Report &report) {
    long size = FileSize(path);
    if (size < 0) {
        report.Error(path, 0, "is missing: " + missingEffect);
    } else if (size < expected) {
        report.Error(path, 0,
                     "holds " + std::to_string(size) + " bytes but " + need + " needs " +
                         std::to_string(expected) + ": " + shortEffect);
    } else if (size > expected) {
        report.Warning(path, 0,
                       "holds " + std::to_string(size) + " bytes but " + need + " needs " +
                           std::to_string(expected) + ": the game never reads the last " +
                           std::to_string(size - expected));
    }
}

} // namespace

void CheckFont(const std::string &dir, Report &report) {
    std::string iniPath = dir + "/font.ini";
    FILE *ini = OpenRegularFile(iniPath.c_str(), "rb");
    if (ini == nullptr) {
        report.Error(iniPath, 0, "is missing: the game loads no font and writes no text");
        return;
    }
    bool more = false;
    int side = ReadSheetSide(ini, &more);
    fclose(ini);
    if (side < kMinFontSize || side > kMaxFontSize) {
        report.Error(iniPath, 0,
                     "must hold the sheet side, a whole number from " +
                         std::to_string(kMinFontSize) + " to " + std::to_string(kMaxFontSize) +
                         ": the game loads no font and writes no text");
        return;
    }
    if (more) {
        report.Warning(iniPath, 0,
                       "the game reads the sheet side as " + std::to_string(side) +
                           " and ignores what follows it");
    }
    if (side % 16 != 0) {
        report.Warning(iniPath, 0,
                       "the sheet side " + std::to_string(side) +
                           " is no multiple of 16: the glyph cells are " +
                           std::to_string(side / 16) + " pixels and the sheet's last " +
                           std::to_string(side % 16) + " rows and columns are never used");
    }
    int errors = report.Count(Severity::Error);
    CheckFileSize(dir + "/font.raw", (long)side * side, "a " + SizeText(side, side) + " sheet",
                  "the game loads no font and writes no text",
                  "the game draws every missing pixel fully covered, as solid blocks", report);
    CheckFileSize(dir + "/font.dat", kFontWidthCount, "the width table",
                  "every character gets the cell side less 2 as its width",
                  "the missing characters get a width of 255 pixels", report);

    BitmapFont *font = LoadFont(dir.c_str());
    if (font == nullptr && report.Count(Severity::Error) == errors) {
        report.Error(dir, 0, "the game cannot load this font");
    }
    FreeFont(font);
}
