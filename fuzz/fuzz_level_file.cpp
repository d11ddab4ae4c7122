// Fuzzes the level description file "leveldata".
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "level/level_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &dir = FuzzScratchDir();
    WriteFuzzFile(dir + "/leveldata", data, size);
    LevelInfo info;
    info.Load(dir.c_str());
    // Every string field must still end inside its buffer.
    for (const char *field :
         {info.scene, info.nextLevel, info.levelImage, info.boss, info.ship, info.bullet}) {
        if (memchr(field, '\0', kLevelFieldSize) == nullptr) {
            __builtin_trap();
        }
    }
    return 0;
}
