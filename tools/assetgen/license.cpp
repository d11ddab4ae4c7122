// data/LICENSE: where every file of the data tree comes from. The font
// sheet and all lettering are rendered from the DejaVu fonts, so their
// licence travels with them; it is copied from the system's font package.
#include "assets.h"
#include "draw.h"
#include "output.h"

#include <fstream>
#include <sstream>

namespace {

const char *const kFontCopyright = "/usr/share/doc/fonts-dejavu-core/copyright";

// The "Files: *" paragraph of the Debian copyright file: the fonts' own
// copyright and licence, with its one-space indent and "." blank lines undone.
std::string DejaVuLicence() {
    std::ifstream in(kFontCopyright);
    if (!in) {
        Fail(std::string("cannot read ") + kFontCopyright);
    }
    std::string line, text;
    bool inFonts = false;
    while (std::getline(in, line)) {
        if (line.rfind("Files:", 0) == 0) {
            inFonts = line == "Files: *";
            continue;
        }
        if (!inFonts) {
            continue;
        }
        if (line == " .") {
            line.clear();
        } else if (!line.empty() && line[0] == ' ') {
            line.erase(0, 1);
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        text += line + "\n";
    }
    while (text.size() > 1 && text[text.size() - 2] == '\n') {
        text.pop_back(); // no trailing blank lines
    }
    if (text.empty()) {
        Fail(std::string("no font licence found in ") + kFontCopyright);
    }
    return text;
}

} // namespace

void WriteLicense(const std::string &out) {
    std::string s = "Quarndel game data\n"
                    "==================\n"
                    "\n"
                    "Every file in this folder is made by the program tools/assetgen of the\n"
                    "Quarndel source tree. Running it as `assetgen data` from the top of the\n"
                    "source tree writes the same files again, byte for byte.\n"
                    "\n"
                    "- Pictures and sprite sets (titlescreen.bmp, difficulty/, paused.bmp,\n"
                    "  gameover.bmp, cursor/, ship/, bullet/, enemy/, and the scene, title and\n"
                    "  boss of each level_n/): drawn by tools/assetgen for this game. Their\n"
                    "  lettering is rendered from DejaVu Sans and DejaVu Sans Bold.\n"
                    "- font/: the glyph sheet and advance widths, rendered by tools/assetgen with\n"
                    "  FreeType from DejaVu Sans.\n"
                    "- music/title_screen.mid: composed for this game and written by\n"
                    "  tools/assetgen.\n"
                    "- sounds/*.wav: the sound effects, synthesised by tools/assetgen for this\n"
                    "  game from sine waves, square waves and filtered noise.\n"
                    "- level_n/leveldata: written by tools/assetgen.\n"
                    "\n"
                    "Everything drawn, composed, synthesised or written by tools/assetgen is\n"
                    "part of the game and shares its licence. The rendered DejaVu glyphs (font/\n"
                    "and the lettering in the pictures) are covered by the DejaVu fonts'\n"
                    "licence, copied below from the fonts-dejavu-core package.\n"
                    "\n"
                    "DejaVu fonts\n"
                    "------------\n"
                    "\n";
    WriteFile(out + "/LICENSE", s + DejaVuLicence());
}
