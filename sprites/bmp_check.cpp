#include "sprites/bmp_check.h"

#include <cstdlib>

namespace {

constexpr Uint32 kCompressionNone = 0;      // BI_RGB
constexpr Uint32 kCompressionBitFields = 3; // BI_BITFIELDS
constexpr long kFileHeaderSize = 14;
constexpr int kMaskCount = 3;      // red, green, blue; SDL reads no alpha mask
constexpr int kMaxChannelBits = 8; // SDL keeps 8 - width as an unsigned shift

Uint32 ReadLe32(const Uint8 *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((Uint32)p[3] << 24);
}
Uint16 ReadLe16(const Uint8 *p) {
    return (Uint16)(p[0] | (p[1] << 8));
}

// One run of at most kMaxChannelBits set bits inside the low `depth` bits.
bool IsSoundChannelMask(Uint32 mask, int depth) {
    if (mask == 0 || (depth < 32 && (mask >> depth) != 0)) {
        return false;
    }
    while ((mask & 1u) == 0) {
        mask >>= 1;
    }
    int width = 0;
    while ((mask & 1u) != 0) {
        mask >>= 1;
        ++width;
    }
    return mask == 0 && width <= kMaxChannelBits;
}

bool MasksAreSound(const Uint8 *p, int depth) {
    Uint32 masks[kMaskCount];
    for (int i = 0; i < kMaskCount; ++i) {
        masks[i] = ReadLe32(p + 4 * i);
        if (!IsSoundChannelMask(masks[i], depth)) {
            return false;
        }
    }
    return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
}

} // namespace

long CheckedBmpPixels(const Uint8 *head, long headBytes, long fileSize) {
    if (headBytes < 26 || head[0] != 'B' || head[1] != 'M') {
        return -1;
    }
    Uint32 offBits = ReadLe32(head + 10);
    Uint32 infoSize = ReadLe32(head + 14);
    long headerEnd = 0; // where SDL stops reading the header
    long entrySize = 0; // bytes of one palette entry
    long width = 0;
    long height = 0;
    int bitCount = 0;
    Uint32 compression = kCompressionNone;
    Uint32 colorsUsed = 0;
    if (infoSize == 12) {
        headerEnd = 26;
        entrySize = 3;
        width = ReadLe16(head + 18);
        height = ReadLe16(head + 20);
        bitCount = ReadLe16(head + 24);
    } else if (infoSize >= 40 && headBytes >= 54) {
        headerEnd = 54;
        entrySize = 4;
        width = (Sint32)ReadLe32(head + 18);
        height = (Sint32)ReadLe32(head + 22);
        bitCount = ReadLe16(head + 28);
        compression = ReadLe32(head + 30);
        colorsUsed = ReadLe32(head + 46);
    } else {
        return -1;
    }
    if (width <= 0 || width > kMaxImageSide || height == 0 || std::labs(height) > kMaxImageSide) {
        return -1;
    }
    if (compression != kCompressionNone && compression != kCompressionBitFields) {
        return -1;
    }
    long tablesEnd = headerEnd; // end of the masks or palette SDL reads
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        // A palette larger than the pixel depth can index has no meaning
        // and would run past the palette SDL makes.
        if (colorsUsed > (1u << bitCount)) {
            return -1;
        }
        tablesEnd += (colorsUsed != 0 ? (long)colorsUsed : 1L << bitCount) * entrySize;
        break;
    case 16:
    case 32:
        // SDL reads masks for bit fields, and also for uncompressed files
        // whose pixels do not follow the header directly.
        if (compression == kCompressionBitFields ||
            offBits != (Uint32)(kFileHeaderSize + infoSize)) {
            tablesEnd += 4 * kMaskCount;
            if (headBytes < tablesEnd || !MasksAreSound(head + headerEnd, bitCount)) {
                return -1;
            }
        }
        break;
    case 24:
        break;
    default:
        return -1;
    }
    long rows = std::labs(height);
    long pitch = (width * bitCount + 31) / 32 * 4; // rows are padded to 4 bytes
    if (fileSize < tablesEnd || (long)offBits > fileSize ||
        rows * pitch > fileSize - (long)offBits) {
        return -1;
    }
    return width * rows;
}
