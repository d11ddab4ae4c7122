// Fuzzes the three font files. The input's first line is "font.ini"; of the
// rest, the first 256 bytes are "font.dat" and what follows is "font.raw".
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "game/game.h"
#include "text/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &dir = FuzzScratchDir();
    const uint8_t *newline = (const uint8_t *)memchr(data, '\n', size);
    size_t iniSize = newline != nullptr ? (size_t)(newline - data) + 1 : size;
    size_t datSize = size - iniSize < 256 ? size - iniSize : 256;
    WriteFuzzFile(dir + "/font.ini", data, iniSize);
    WriteFuzzFile(dir + "/font.dat", data + iniSize, datSize);
    WriteFuzzFile(dir + "/font.raw", data + iniSize + datSize, size - iniSize - datSize);
    BitmapFont *font = LoadFont(dir.c_str());
    char text[257];
    for (int i = 0; i < 256; ++i) {
        text[i] = (char)(i == 0 ? 1 : i);
    }
    text[256] = '\0';
    DrawText(screen, font, -10, 470, "%s", text);
    TextWidth(font, "%s", text);
    FreeFont(font);
    return 0;
}
