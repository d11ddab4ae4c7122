#pragma once
// The check an effect file passes before SDL decodes it: SDL's WAV reader
// is trusted only with the plain form the game ships, so a compressed or
// damaged file is refused like a missing one instead of reaching it.
#include <cstddef>
#include <cstdint>

// True when bytes hold a RIFF WAVE file of plain PCM: 1 or 2 channels of 8
// or 16 bits at 8000 to 96000 Hz, a "fmt " chunk (after at most "fact" and
// "LIST" chunks, as SDL reads them) and then a non-empty "data" chunk, every
// chunk lying wholly inside the file.
bool PlainPcmWav(const uint8_t *bytes, size_t size);
