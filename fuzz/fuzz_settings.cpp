// Fuzzes the settings file: reading it (with the key bindings) and
// rewriting one changed value, which must keep every other line.
#include <cstdint>
#include <cstdio>

#include "files/bindings.h"
#include "files/settings.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string path = FuzzScratchDir() + "/settings.ini";
    WriteFuzzFile(path, data, size);
    static FILE *quiet = fopen("/dev/null", "w");
    LoadSettings(path, quiet);
    ResolveKeyBindings(quiet);
    if (settings.scale < 0 || settings.scale > 4 || settings.musicVolume < 0 ||
        settings.musicVolume > 100 || settings.effectsVolume < 0 || settings.effectsVolume > 100) {
        __builtin_trap();
    }
    size_t lines = 0;
    for (size_t i = 0; i < size; ++i) {
        lines += data[i] == '\n';
    }
    if (ChangeSetting("mute", settings.mute ? "off" : "on") &&
        WritePendingSettings(quiet, 1) == SettingsWrite::kWritten) {
        // The file now has every line it had, and at most one more.
        FILE *f = fopen(path.c_str(), "rb");
        size_t after = 0;
        for (int c; f != nullptr && (c = fgetc(f)) != EOF;) {
            after += c == '\n';
        }
        if (f != nullptr) {
            fclose(f);
        }
        if (size <= 64 * 1024 && (after + 1 < lines || after > lines + 2)) {
            __builtin_trap();
        }
    }
    return 0;
}
