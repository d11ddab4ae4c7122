#include "sound/wav_check.h"

#include <cstring>

namespace {

constexpr size_t kRiffHeaderBytes = 12; // "RIFF", size, "WAVE"
constexpr size_t kChunkHeaderBytes = 8; // id, size
constexpr size_t kPcmFormatBytes = 16;  // the "fmt " fields SDL reads
constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kLowestRate = 8000; // Hz
constexpr uint32_t kHighestRate = 96000;

uint16_t Le16(const uint8_t *p) {
    return (uint16_t)(p[0] | p[1] << 8);
}

uint32_t Le32(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

bool Is(const uint8_t *p, const char *id) {
    return memcmp(p, id, 4) == 0;
}

bool PlainPcmFormat(const uint8_t *f, uint32_t size) {
    if (size < kPcmFormatBytes) {
        return false;
    }
    uint16_t format = Le16(f);
    uint16_t channels = Le16(f + 2);
    uint32_t rate = Le32(f + 4);
    uint16_t blockAlign = Le16(f + 12);
    uint16_t bits = Le16(f + 14);
    return format == kFormatPcm && (channels == 1 || channels == 2) && rate >= kLowestRate &&
           rate <= kHighestRate && (bits == 8 || bits == 16) && blockAlign == channels * bits / 8;
}

} // namespace

bool PlainPcmWav(const uint8_t *bytes, size_t size) {
    if (bytes == nullptr || size < kRiffHeaderBytes || !Is(bytes, "RIFF") ||
        !Is(bytes + 8, "WAVE")) {
        return false;
    }
    bool formatSeen = false;
    size_t at = kRiffHeaderBytes;
    while (size - at >= kChunkHeaderBytes) {
        const uint8_t *chunk = bytes + at;
        uint32_t length = Le32(chunk + 4);
        size_t body = at + kChunkHeaderBytes;
        if (length > size - body) {
            return false; // the chunk runs past the end of the file
        }
        if (Is(chunk, "data")) {
            return formatSeen && length > 0;
        }
        if (Is(chunk, "fmt ")) {
            if (formatSeen || !PlainPcmFormat(bytes + body, length)) {
                return false;
            }
            formatSeen = true;
        } else if (!formatSeen && !Is(chunk, "fact") && !Is(chunk, "LIST")) {
            return false; // SDL takes only these before the format
        }
        if ((length & 1) != 0) {
            // Chunks are padded to even sizes, but SDL's reader does not
            // skip the pad byte after an odd-sized chunk before the format
            // or the data: it would read the next chunk one byte off.
            return false;
        }
        at = body + length;
        if (at > size) {
            return false;
        }
    }
    return false; // no data chunk
}
