#include "app/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int (*renameForAtomicWrite)(const char *from, const char *to) = rename;

namespace {

// Makes dir and its parents; true when it exists as a folder afterwards.
bool MakeFolders(const std::string &dir) {
    struct stat st;
    if (dir.empty() || stat(dir.c_str(), &st) == 0) {
        return dir.empty() || S_ISDIR(st.st_mode);
    }
    size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) {
        return false;
    }
    return mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string &contents) {
    size_t done = 0;
    while (done < contents.size()) {
        ssize_t n = write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += (size_t)n;
    }
    return true;
}

bool Fail(FILE *err, const std::string &path, const char *what) {
    fprintf(err, "quarndel: cannot write %s: %s: %s\n", path.c_str(), what, strerror(errno));
    return false;
}

} // namespace

bool WriteFileAtomically(const std::string &path, const std::string &contents, FILE *err) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    if (!MakeFolders(dir)) {
        return Fail(err, path, "cannot make its folder");
    }
    std::string temp = path + ".new-XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        return Fail(err, path, "cannot make a file beside it");
    }
    fchmod(fd, 0644);
    bool written = WriteAll(fd, contents) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && written) {
        written = false;
        saved = errno;
    }
    if (!written) {
        unlink(temp.c_str());
        errno = saved;
        return Fail(err, path, "write failed");
    }
    if (renameForAtomicWrite(temp.c_str(), path.c_str()) != 0) {
        saved = errno;
        unlink(temp.c_str());
        errno = saved;
        return Fail(err, path, "rename failed");
    }
    // The rename itself reaches the disk with the folder's entry.
    int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

std::string PlayerFolder(const char *variable, const char *underHome) {
    const char *base = getenv(variable);
    if (base != nullptr && base[0] == '/') {
        return std::string(base) + "/quarndel";
    }
    const char *home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/" + underHome + "/quarndel";
    }
    return std::string();
}
