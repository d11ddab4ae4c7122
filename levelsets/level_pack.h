#pragma once
// A level pack: one .zip or .tar.gz file holding a level set's folder, read
// and written through libarchive. Packs come from strangers, so reading one
// refuses, with one line saying why, anything that could write outside the
// set's folder or exhaust the disk: climbing or absolute names, links,
// devices, names that are not plain text, too many entries, too many bytes,
// and members that unpack far beyond their compressed size.
#include <cstddef>
#include <string>

// Bounds on a pack, checked while it is read (the sizes its headers claim
// are never trusted).
constexpr size_t kMaxPackEntries = 10000;
constexpr long long kMaxPackBytes = 256LL << 20;  // unpacked, all members together
constexpr long long kMaxMemberBytes = 32LL << 20; // a picture of 2048x2048 is 16 MiB
constexpr size_t kMaxPackNameLength = 1024;
// An archive bomb: a member may unpack to kBombSlack bytes whatever its
// compressed size, and beyond that to at most kMaxPackRatio times the
// compressed bytes read for it. Pictures and level files compress far less.
constexpr long long kBombSlack = 4LL << 20;
constexpr long long kMaxPackRatio = 200;

// One member, given to the reader's sink once it is read whole: a folder,
// or a regular file with its bytes. name is relative, in plain components
// ("my_set/level_2/leveldata"), without "." components or trailing slashes.
struct PackMember {
    std::string name;
    bool folder = false;
    std::string bytes;
};

// Takes a member; returns false with why set to stop the reading.
using PackSink = bool (*)(void *context, const PackMember &member, std::string &why);

// Reads the pack in the file at path (zip, or tar with or without gzip),
// giving each member to sink. False with why set to one line on the first
// refusal: a hostile member, a bound crossed, a damaged file, or the sink's.
bool ReadLevelPack(const char *path, PackSink sink, void *context, std::string &why);

// The same from memory (for the fuzzer).
bool ReadLevelPackBytes(const void *bytes, size_t size, PackSink sink, void *context,
                        std::string &why);

// Whether path names a file this writer can write: ".zip", ".tar.gz" or ".tgz".
bool IsPackFileName(const std::string &path);

// Writes the set in folder into the pack file path, members named
// "NAME/..." with NAME the folder's last component. Only regular files and
// folders go in (names starting with '.' are left out); a link or a device
// in the set refuses the whole pack, as does a set beyond the reader's
// bounds. The pack is written beside path and renamed over it when whole.
bool WriteLevelPack(const std::string &folder, const std::string &name, const std::string &path,
                    std::string &why);
