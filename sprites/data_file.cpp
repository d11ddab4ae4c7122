#include "sprites/data_file.h"

#include "sprites/data_fingerprint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

// The installed set in play: paths under setPrefix + "/" open under setFolder.
std::string setPrefix;
std::string setFolder;

// Opens path read-only and returns its descriptor when it is a regular file,
// else -1 with the reason in *why. O_NONBLOCK: opening a FIFO without a
// writer, or a terminal or other device, returns at once instead of waiting.
int OpenRegularDescriptor(const char *path, FileRead *why) {
    *why = FileRead::kCannotOpen;
    if (path == nullptr || path[0] == '\0') {
        return -1;
    }
    std::string storage;
    int fd = open(LevelSetPath(path, storage), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        *why = FileRead::kNotRegular;
        return -1;
    }
    // Reads from a regular file never block; plain blocking mode keeps the
    // stdio reads of the loaders as they are.
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    *why = FileRead::kRead;
    return fd;
}

} // namespace

void SetLevelSetPlace(const std::string &prefix, const std::string &folder) {
    setPrefix = prefix;
    setFolder = folder;
}

void GetLevelSetPlace(std::string &prefix, std::string &folder) {
    prefix = setPrefix;
    folder = setFolder;
}

const char *LevelSetPath(const char *path, std::string &storage) {
    size_t n = setPrefix.size();
    if (n == 0 || path == nullptr || strncmp(path, setPrefix.c_str(), n) != 0 ||
        (path[n] != '/' && path[n] != '\0')) {
        return path;
    }
    storage = setFolder + (path + n);
    return storage.c_str();
}

FILE *OpenRegularFile(const char *path, const char *mode) {
    FileRead why;
    int fd = OpenRegularDescriptor(path, &why);
    if (fd < 0) {
        return nullptr;
    }
    FILE *file = fdopen(fd, mode);
    if (file == nullptr) {
        close(fd);
    }
    return file;
}

FileRead ReadRegularFile(const char *path, long maxBytes, std::string &bytes) {
    bytes.clear();
    FileRead result;
    int fd = OpenRegularDescriptor(path, &result);
    if (fd < 0) {
        return result;
    }
    // One byte past the bound tells a file over it from one exactly at it.
    char buffer[65536];
    ssize_t got;
    while ((long)bytes.size() <= maxBytes && (got = read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            result = FileRead::kFailed;
            break;
        }
        bytes.append(buffer, (size_t)got);
    }
    close(fd);
    if (result == FileRead::kRead && (long)bytes.size() > maxBytes) {
        bytes.resize((size_t)maxBytes);
        result = FileRead::kTooLarge;
    }
    return result;
}

SDL_RWops *OpenRegularStream(const char *path, char *buffer, size_t size) {
    FILE *file = OpenRegularFile(path, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    if (buffer != nullptr) {
        setvbuf(file, buffer, _IOFBF, size);
    }
    SDL_RWops *rw = SDL_RWFromFP(file, 1);
    if (rw == nullptr) {
        fclose(file);
    }
    return rw;
}

long FileSize(FILE *file) {
    struct stat info;
    if (file == nullptr || fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return (long)info.st_size;
}

char *ReadTextLine(char *line, int size, FILE *file) {
    long at = ftell(file);
    if (at < 0 || size < 2) {
        return nullptr;
    }
    int n = 0;
    while (n < size - 1 && at + n < kMaxTextFileBytes) {
        int c = getc(file);
        if (c == EOF) {
            break;
        }
        line[n++] = (char)c;
        if (c == '\n') {
            break;
        }
    }
    if (n == 0) {
        return nullptr;
    }
    line[n] = '\0';
    return line;
}

int JoinPath(char *path, size_t size, const char *dir, const char *name) {
    return snprintf(path, size, "%s/%s", dir, name);
}

FILE *OpenDataFile(const char *dir, const char *name, const char *mode) {
    char path[kPathSize];
    int n = JoinPath(path, sizeof path, dir, name);
    bool fits = n >= 0 && n < (int)sizeof path;
    FILE *file = fits && dir[0] != '\0' ? OpenRegularFile(path, mode) : nullptr;
    if (file == nullptr) {
        printf("ERROR opening file %s/%s\n\n", dir, name);
        fflush(stdout);
    }
    NoteDataFileOpened(path, file);
    return file;
}
