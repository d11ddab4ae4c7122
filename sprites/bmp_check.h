#pragma once
// The check a Windows BMP file passes before SDL decodes it. SDL 1.2's
// decoder trusts its header: it allocates what the sides announce, reads
// colour masks and palette entries past the end of a short file as
// uninitialised memory, and its blitters shift by amounts taken from the
// masks. A file that passes this check is one SDL handles soundly.
#include <SDL.h>

// Largest picture side the game accepts from a BMP header. Anything larger is
// a broken or hostile file; refusing it keeps a bad header from making SDL
// allocate gigabytes.
constexpr int kMaxImageSide = 8192;

// Bytes of a file the check looks at: the 14-byte file header, the 40 bytes
// of the info header SDL reads and the three 4-byte colour masks after them.
constexpr int kBmpCheckedHeadSize = 66;

// head holds the first headBytes bytes of a file of fileSize bytes. Returns
// the number of pixels the picture holds (width x height), or -1 when SDL
// must not see the file: no "BM" signature; an info header other than 12 or
// 40 bytes and more; a side of 0, below 0 (height may be negative for a
// top-down file) or beyond 8192; a depth other than 1, 4, 8, 16, 24 or 32; a
// compression other than none or bit fields; a palette larger than the depth
// can index; colour masks (read by SDL for 16- and 32-bit files with bit
// fields, or whose pixels do not start right after the header) that are zero,
// not one run of bits, wider than 8 bits, overlapping or beyond the depth; or
// a file too short for its header, masks, palette or pixel rows.
long CheckedBmpPixels(const Uint8 *head, long headBytes, long fileSize);
