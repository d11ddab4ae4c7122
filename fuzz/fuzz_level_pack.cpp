// Fuzzes the level pack reader: whatever the bytes, every member it gives
// has a plain relative name and stays inside the bounds, and a refusal says
// why in one line. After an odd first byte the input is read as a pack as
// it is; after an even one it lists members (name, NUL, bytes,
// NUL; a name "D:x" a folder, "L:x" a link) that are first written as a
// pack with libarchive, so names and kinds reach the checks past the
// archive's own checksums.
#include <archive.h>
#include <archive_entry.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "levelsets/level_pack.h"

namespace {

struct Taken {
    size_t entries = 0;
    long long bytes = 0;
};

bool PlainMemberName(const std::string &name) {
    if (name.empty() || name.size() > kMaxPackNameLength || name[0] == '/' || name.back() == '/') {
        return false;
    }
    for (unsigned char c : name) {
        if (c < 0x20 || c > 0x7e || c == '\\') {
            return false;
        }
    }
    size_t at = 0;
    while (at <= name.size()) {
        size_t slash = name.find('/', at);
        size_t end = slash == std::string::npos ? name.size() : slash;
        std::string part = name.substr(at, end - at);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        at = end + 1;
    }
    return true;
}

bool Take(void *context, const PackMember &member, std::string &why) {
    Taken &taken = *(Taken *)context;
    ++taken.entries;
    taken.bytes += (long long)member.bytes.size();
    if (!PlainMemberName(member.name) || taken.entries > kMaxPackEntries ||
        (long long)member.bytes.size() > kMaxMemberBytes || taken.bytes > kMaxPackBytes ||
        (member.folder && !member.bytes.empty())) {
        __builtin_trap();
    }
    (void)why;
    return true;
}

// Writes the members the input lists as a tar (byte 0 bit 1 clear) or zip,
// gzipped when bit 2 is set; empty when libarchive cannot write them.
std::string BuildPack(const uint8_t *data, size_t size) {
    std::vector<std::string> fields(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == '\0') {
            fields.emplace_back();
        } else {
            fields.back() += (char)data[i];
        }
    }
    static std::vector<char> out(1 << 20); // a pack the fuzzer writes fits well inside
    size_t used = 0;
    struct archive *a = archive_write_new();
    bool zip = (data[0] & 2) != 0;
    bool ok = (zip ? archive_write_set_format_zip(a)
                   : archive_write_set_format_pax_restricted(a)) == ARCHIVE_OK &&
              ((data[0] & 4) == 0 || archive_write_add_filter_gzip(a) == ARCHIVE_OK) &&
              archive_write_open_memory(a, out.data(), out.size(), &used) == ARCHIVE_OK;
    for (size_t i = 0; ok && i + 1 < fields.size(); i += 2) {
        std::string name = fields[i];
        const std::string &bytes = fields[i + 1];
        struct archive_entry *entry = archive_entry_new();
        bool folder = name.compare(0, 2, "D:") == 0;
        bool link = name.compare(0, 2, "L:") == 0;
        archive_entry_set_pathname(entry, (folder || link ? name.substr(2) : name).c_str());
        archive_entry_set_filetype(entry, folder ? AE_IFDIR : link ? AE_IFLNK : AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        if (link) {
            archive_entry_set_symlink(entry, bytes.c_str());
        }
        archive_entry_set_size(entry, folder || link ? 0 : (la_int64_t)bytes.size());
        ok = archive_write_header(a, entry) == ARCHIVE_OK &&
             (folder || link || bytes.empty() ||
              archive_write_data(a, bytes.data(), bytes.size()) == (la_ssize_t)bytes.size());
        archive_entry_free(entry);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok ? std::string(out.data(), used) : std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) {
        return 0;
    }
    std::string built;
    if ((data[0] & 1) == 0) {
        built = BuildPack(data, size);
        if (built.empty()) {
            return 0;
        }
        data = (const uint8_t *)built.data();
        size = built.size();
    } else {
        ++data;
        --size;
    }
    Taken taken;
    std::string why;
    bool read = ReadLevelPackBytes(data, size, Take, &taken, why);
    if (!read && (why.empty() || why.find('\n') != std::string::npos)) {
        __builtin_trap();
    }
    if (read && (!why.empty() || taken.entries == 0)) {
        __builtin_trap();
    }
    return 0;
}
