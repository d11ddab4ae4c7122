#include "levelsets/level_pack.h"

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "check/report.h"
#include "sprites/data_file.h"

namespace {

// Bytes read from a member at a time.
constexpr size_t kBlock = 64 * 1024;

// What libarchive says went wrong; it may say nothing, and a null string
// must never reach a message.
std::string ErrorOf(struct archive *a) {
    const char *said = archive_error_string(a);
    return said != nullptr ? said : "unknown";
}

// Checks a member's name and gives it in plain components; else says why.
bool PlainName(const char *raw, std::string &clean, std::string &why) {
    if (raw == nullptr) {
        why = "a member's name is not plain printable text";
        return false;
    }
    std::string name = raw;
    for (unsigned char c : name) {
        if (c < 0x20 || c > 0x7e || c == '\\') {
            why = "a member's name is not plain printable text: " + Quoted(name);
            return false;
        }
    }
    if (name.size() > kMaxPackNameLength) {
        why = "a member's name is longer than 1024 characters";
        return false;
    }
    if (name[0] == '/') {
        why = "a member has an absolute name: " + name;
        return false;
    }
    clean.clear();
    size_t at = 0;
    while (at < name.size()) {
        size_t slash = name.find('/', at);
        size_t end = slash == std::string::npos ? name.size() : slash;
        std::string part = name.substr(at, end - at);
        at = end + 1;
        if (part == "..") {
            why = "a member's name climbs out of the set with \"..\": " + name;
            return false;
        }
        if (part.empty() || part == ".") {
            continue;
        }
        clean += (clean.empty() ? "" : "/") + part;
    }
    if (clean.empty()) {
        why = "a member has an empty name";
        return false;
    }
    return true;
}

// Says why an entry of a kind other than a folder or regular file is refused.
bool PlainKind(struct archive_entry *entry, const std::string &name, bool &folder,
               std::string &why) {
    mode_t type = archive_entry_filetype(entry);
    folder = type == AE_IFDIR;
    if (archive_entry_hardlink(entry) != nullptr || archive_entry_symlink(entry) != nullptr ||
        type == AE_IFLNK) {
        why = "a member is a link: " + name;
    } else if (type == AE_IFCHR || type == AE_IFBLK) {
        why = "a member is a device: " + name;
    } else if (type != AE_IFREG && type != AE_IFDIR) {
        why = "a member is neither a file nor a folder: " + name;
    } else {
        return true;
    }
    return false;
}

// Reads the data of the member just opened into bytes, within the bounds:
// the member's own, the pack's running total, and the ratio to the
// compressed bytes read meanwhile.
bool ReadMemberData(struct archive *a, const std::string &name, long long &total,
                    std::string &bytes, std::string &why) {
    la_int64_t packedAtStart = archive_filter_bytes(a, -1);
    char block[kBlock];
    for (;;) {
        la_ssize_t got = archive_read_data(a, block, sizeof block);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            why = "the pack is damaged at " + name + ": " + ErrorOf(a);
            return false;
        }
        total += got;
        if (total > kMaxPackBytes) {
            why = "the pack unpacks to more than 256 MiB";
            return false;
        }
        if ((long long)bytes.size() + got > kMaxMemberBytes) {
            why = "a member unpacks to more than 32 MiB: " + name;
            return false;
        }
        bytes.append(block, (size_t)got);
        long long packed = archive_filter_bytes(a, -1) - packedAtStart;
        if ((long long)bytes.size() > kBombSlack + kMaxPackRatio * packed) {
            why = "a member unpacks far beyond its compressed size (an archive bomb): " + name;
            return false;
        }
    }
}

bool ReadOpenPack(struct archive *a, PackSink sink, void *context, std::string &why) {
    size_t entries = 0;
    long long total = 0;
    struct archive_entry *entry;
    for (;;) {
        int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF) {
            return entries > 0 || (why = "the pack is empty", false);
        }
        if (r < ARCHIVE_WARN) {
            why = std::string("not a .zip or .tar.gz pack, or a damaged one: ") + ErrorOf(a);
            return false;
        }
        if (++entries > kMaxPackEntries) {
            why = "the pack holds more than 10000 entries";
            return false;
        }
        PackMember member;
        if (!PlainName(archive_entry_pathname(entry), member.name, why) ||
            !PlainKind(entry, member.name, member.folder, why)) {
            return false;
        }
        if (!member.folder && !ReadMemberData(a, member.name, total, member.bytes, why)) {
            return false;
        }
        if (!sink(context, member, why)) {
            return false;
        }
    }
}

struct archive *NewReader() {
    struct archive *a = archive_read_new();
    if (a != nullptr) {
        archive_read_support_format_zip(a);
        archive_read_support_format_tar(a);
        archive_read_support_filter_gzip(a);
    }
    return a;
}

bool ReadPack(struct archive *a, int opened, PackSink sink, void *context, std::string &why) {
    bool read = false;
    if (opened != ARCHIVE_OK) {
        why = std::string("cannot be read: ") + ErrorOf(a);
    } else {
        read = ReadOpenPack(a, sink, context, why);
    }
    archive_read_free(a);
    return read;
}

// One file or folder of a set being packed.
struct SetFile {
    std::string path; // on disk
    std::string name; // in the pack
    bool folder = false;
};

// Lists folder's files and folders below name, sorted so a pack's bytes
// follow from the set alone.
bool ListSet(const std::string &folder, const std::string &name, std::vector<SetFile> &files,
             long long &total, std::string &why) {
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr) {
        why = folder + ": " + strerror(errno);
        return false;
    }
    std::vector<std::string> names;
    while (struct dirent *e = readdir(dir)) {
        if (e->d_name[0] != '.') {
            names.push_back(e->d_name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string &n : names) {
        SetFile file{folder + "/" + n, name + "/" + n, false};
        struct stat info;
        std::string clean;
        if (lstat(file.path.c_str(), &info) != 0) {
            why = file.path + ": " + strerror(errno);
            return false;
        }
        if (!PlainName(file.name.c_str(), clean, why)) {
            return false;
        }
        if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
            why = file.path + " is a link or special file; a pack holds only files and folders";
            return false;
        }
        file.folder = S_ISDIR(info.st_mode);
        total += file.folder ? 0 : (long long)info.st_size;
        if (!file.folder && info.st_size > kMaxMemberBytes) {
            why = file.path + " is larger than 32 MiB";
            return false;
        }
        files.push_back(file);
        if (files.size() + 1 > kMaxPackEntries || total > kMaxPackBytes) {
            why = "the set is larger than a pack may be (10000 entries, 256 MiB)";
            return false;
        }
        if (file.folder && !ListSet(file.path, file.name, files, total, why)) {
            return false;
        }
    }
    return true;
}

bool EndsWith(const std::string &text, const char *end) {
    size_t n = strlen(end);
    return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

bool WriteMember(struct archive *a, const SetFile &file, std::string &why) {
    std::string bytes;
    if (!file.folder &&
        ReadRegularFile(file.path.c_str(), kMaxMemberBytes, bytes) != FileRead::kRead) {
        why = file.path + " cannot be read";
        return false;
    }
    struct archive_entry *entry = archive_entry_new();
    archive_entry_set_pathname(entry, file.name.c_str());
    archive_entry_set_filetype(entry, file.folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, file.folder ? 0755 : 0644);
    archive_entry_set_size(entry, (la_int64_t)bytes.size());
    bool written = archive_write_header(a, entry) == ARCHIVE_OK &&
                   (bytes.empty() ||
                    archive_write_data(a, bytes.data(), bytes.size()) == (la_ssize_t)bytes.size());
    archive_entry_free(entry);
    if (!written) {
        why = std::string("cannot write the pack: ") + ErrorOf(a);
    }
    return written;
}

} // namespace

bool ReadLevelPack(const char *path, PackSink sink, void *context, std::string &why) {
    struct archive *a = NewReader();
    if (a == nullptr) {
        why = "out of memory";
        return false;
    }
    // Opened like any data file: a FIFO or device is no pack.
    FILE *file = OpenRegularFile(path, "rb");
    if (file == nullptr) {
        archive_read_free(a);
        why = "cannot be read as a regular file";
        return false;
    }
    bool read = ReadPack(a, archive_read_open_fd(a, fileno(file), kBlock), sink, context, why);
    fclose(file);
    return read;
}

bool ReadLevelPackBytes(const void *bytes, size_t size, PackSink sink, void *context,
                        std::string &why) {
    struct archive *a = NewReader();
    if (a == nullptr) {
        why = "out of memory";
        return false;
    }
    return ReadPack(a, archive_read_open_memory(a, bytes, size), sink, context, why);
}

bool IsPackFileName(const std::string &path) {
    return EndsWith(path, ".zip") || EndsWith(path, ".tar.gz") || EndsWith(path, ".tgz");
}

bool WriteLevelPack(const std::string &folder, const std::string &name, const std::string &path,
                    std::string &why) {
    if (!IsPackFileName(path)) {
        why = path + ": a pack's name ends in .zip, .tar.gz or .tgz";
        return false;
    }
    std::vector<SetFile> files;
    long long total = 0;
    files.push_back({folder, name, true});
    if (!ListSet(folder, name, files, total, why)) {
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    std::vector<char> buffer(temporary.begin(), temporary.end());
    buffer.push_back('\0');
    int fd = mkstemp(buffer.data());
    if (fd < 0) {
        why = "cannot write beside " + path + ": " + strerror(errno);
        return false;
    }
    temporary = buffer.data();
    // mkstemp makes the file private; a pack is for sharing, as the umask allows.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    struct archive *a = archive_write_new();
    bool zip = EndsWith(path, ".zip");
    bool written = a != nullptr &&
                   (zip ? archive_write_set_format_zip(a)
                        : archive_write_set_format_pax_restricted(a)) == ARCHIVE_OK &&
                   (zip || archive_write_add_filter_gzip(a) == ARCHIVE_OK) &&
                   archive_write_open_fd(a, fd) == ARCHIVE_OK;
    if (!written && a != nullptr) {
        why = std::string("cannot write the pack: ") + ErrorOf(a);
    }
    for (size_t i = 0; written && i < files.size(); ++i) {
        written = WriteMember(a, files[i], why);
    }
    if (a != nullptr) {
        if (archive_write_close(a) != ARCHIVE_OK && written) {
            why = std::string("cannot write the pack: ") + ErrorOf(a);
            written = false;
        }
        archive_write_free(a);
    }
    written = written && fsync(fd) == 0;
    close(fd);
    if (written && rename(temporary.c_str(), path.c_str()) != 0) {
        why = "cannot write " + path + ": " + strerror(errno);
        written = false;
    }
    if (!written) {
        if (why.empty()) {
            why = "cannot write " + path;
        }
        unlink(temporary.c_str());
    }
    return written;
}
