#pragma once
// Checks the font folder: the sheet side in "font.ini", the coverage bytes in
// "font.raw" and the width table in "font.dat".
#include <string>

#include "check/report.h"

// One advance width per character code.
constexpr long kFontWidthCount = 256;

void CheckFont(const std::string &dir, Report &report);
