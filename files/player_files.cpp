#include "files/player_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "strings/text.h"

int (*renameForAtomicWrite)(const char *from, const char *to) = rename;
int (*fsyncForAtomicWrite)(int fd) = fsync;

namespace {

// Links followed to reach a file, as the system itself allows.
constexpr int kMaxLinks = 40;

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

bool Failed(std::string &why, const char *what) {
    why = std::string(what) + ": " + strerror(errno);
    return false;
}

LockTaken Lock(const std::string &dir, FolderLock &lock, bool wait) {
    UnlockFolder(lock);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return LockTaken::kFailed;
    }
    int taken;
    while ((taken = flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB))) != 0 && errno == EINTR) {
    }
    if (taken != 0) {
        int saved = errno;
        close(fd);
        errno = saved;
        return saved == EWOULDBLOCK ? LockTaken::kBusy : LockTaken::kFailed;
    }
    lock.fd = fd;
    return LockTaken::kLocked;
}

} // namespace

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

bool MakeFolders(const std::string &dir) {
    struct stat st;
    if (dir.empty()) {
        return true;
    }
    if (stat(dir.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        return true;
    }
    size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) {
        return false;
    }
    return mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

LockTaken TryLockFolder(const std::string &dir, FolderLock &lock) {
    return Lock(dir, lock, false);
}

LockTaken LockFolder(const std::string &dir, FolderLock &lock) {
    return Lock(dir, lock, true);
}

void UnlockFolder(FolderLock &lock) {
    if (lock.fd >= 0) {
        close(lock.fd); // lets go of the lock
        lock.fd = -1;
    }
}

std::string LinkTarget(const std::string &path) {
    std::string at = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return at;
        }
        char target[4096];
        ssize_t n = readlink(at.c_str(), target, sizeof target - 1);
        if (n <= 0) {
            return at;
        }
        std::string next(target, (size_t)n);
        at = next[0] == '/' ? next : FolderOf(at) + "/" + next;
    }
    return at;
}

bool ReplaceFile(const std::string &path, const std::string &contents, std::string &why,
                 Links links) {
    // A dotfile manager's link stays a link: the file it leads to is replaced
    // beside itself, so the rename stays within one folder.
    std::string target = links == Links::kFollow ? LinkTarget(path) : path;
    std::string dir = FolderOf(target);
    if (!MakeFolders(dir)) {
        return Failed(why, "cannot make its folder");
    }
    struct stat st;
    bool kept = lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    mode_t mode = kept ? st.st_mode & 07777 : 0644;
    std::string temp = target + ".new-XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        return Failed(why, "cannot make a file beside it");
    }
    fchmod(fd, mode);
    bool written = WriteAll(fd, contents) && fsyncForAtomicWrite(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && written) {
        written = false;
        saved = errno;
    }
    if (!written) {
        unlink(temp.c_str());
        errno = saved;
        return Failed(why, "write failed");
    }
    if (renameForAtomicWrite(temp.c_str(), target.c_str()) != 0) {
        saved = errno;
        unlink(temp.c_str());
        errno = saved;
        return Failed(why, "rename failed");
    }
    // The rename itself reaches the disk with the folder's entry.
    int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsyncForAtomicWrite(dirFd);
        close(dirFd);
    }
    return true;
}

bool WriteFileAtomically(const std::string &path, const std::string &contents, FILE *err,
                         Links links) {
    std::string why;
    if (ReplaceFile(path, contents, why, links)) {
        return true;
    }
    fprintf(err, "quarndel: cannot write %s: %s\n", Printable(path).c_str(), why.c_str());
    return false;
}

PlayerRead ReadPlayerFile(const std::string &path, long maxBytes, Links links, std::string &text,
                          std::string &why) {
    text.clear();
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == Links::kRefuse ? O_NOFOLLOW : 0);
    int fd = open(path.c_str(), flags);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            why = strerror(errno);
            return PlayerRead::kMissing;
        }
        why = links == Links::kRefuse && errno == ELOOP
                  ? "a symbolic link, not a file of the folder"
                  : strerror(errno);
        return PlayerRead::kFailed;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        why = "not a regular file";
        return PlayerRead::kFailed;
    }
    // One byte past the bound tells a file over it from one exactly at it,
    // even when the file grows while it is read.
    char buffer[16384];
    bool failed = false;
    while ((long)text.size() <= maxBytes) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failed = true;
            why = strerror(errno);
        }
        if (n <= 0) {
            break;
        }
        text.append(buffer, (size_t)n);
    }
    close(fd);
    if (failed) {
        return PlayerRead::kFailed;
    }
    if ((long)text.size() > maxBytes) {
        text.clear();
        why = "larger than " + std::to_string(maxBytes) + " bytes";
        return PlayerRead::kFailed;
    }
    return PlayerRead::kRead;
}

bool ParseWholeNumber(const std::string &word, long max, long &value) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    long n = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        n = n * 10 + (c - '0');
    }
    if (n > max) {
        return false;
    }
    value = n;
    return true;
}

std::string MakeScratchFolder(const std::string &dir, const char *prefix, std::string &why) {
    std::string name = dir + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        Failed(why, "cannot make a folder");
        return "";
    }
    return buffer.data();
}

bool MakeOneFolder(const std::string &path, std::string &why) {
    struct stat st;
    if (mkdir(path.c_str(), 0755) == 0 ||
        (errno == EEXIST && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
        return true;
    }
    return Failed(why, "cannot make a folder");
}

bool WriteNewFile(const std::string &path, const std::string &contents, std::string &why) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Failed(why, "cannot create the file");
    }
    bool written = WriteAll(fd, contents) && fsyncForAtomicWrite(fd) == 0;
    int saved = errno;
    close(fd);
    errno = saved;
    return written || Failed(why, "write failed");
}

namespace {

int RemoveOne(const char *path, const struct stat *, int type, struct FTW *) {
    if (type == FTW_DP) {
        rmdir(path);
    } else {
        unlink(path);
    }
    return 0;
}

} // namespace

void RemoveFolderTree(const std::string &path) {
    // Depth first, links removed as links: nothing outside path is touched.
    nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

void RemoveScratchLeftovers(const std::string &dir, const char *prefix) {
    DIR *folder = opendir(dir.c_str());
    if (folder == nullptr) {
        return;
    }
    size_t length = strlen(prefix);
    time_t now = time(nullptr);
    while (struct dirent *e = readdir(folder)) {
        const char *name = e->d_name;
        bool scratchName = strncmp(name, prefix, length) == 0 && strlen(name) == length + 6;
        for (size_t i = length; scratchName && name[i] != '\0'; ++i) {
            scratchName = isalnum((unsigned char)name[i]) != 0;
        }
        std::string path = dir + "/" + name;
        struct stat info;
        if (!scratchName || lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != geteuid() || now - info.st_mtime <= kScratchLeftoverSeconds) {
            continue;
        }
        // A game still filling it holds its lock: a long install is not cut short.
        FolderLock lock;
        if (TryLockFolder(path, lock) == LockTaken::kLocked) {
            RemoveFolderTree(path);
            UnlockFolder(lock);
        }
    }
    closedir(folder);
}

bool PutFolderInPlace(const std::string &from, const std::string &to, bool replace,
                      std::string &why) {
    struct stat st;
    bool there = lstat(to.c_str(), &st) == 0;
    if (there && !replace) {
        why = "exists";
        return false;
    }
#if defined(RENAME_EXCHANGE) && defined(RENAME_NOREPLACE)
    int moved = there ? renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE)
                      : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
#else
    // Without the swap (the browser's file system, where one program runs
    // alone): the folder in place moves to from's name with ".replaced"
    // added, beside from, as the swap would have left it there, and goes
    // back should the new one not move in. rename(2) itself refuses a folder
    // that is not empty.
    std::string aside = from + ".replaced";
    int moved = there ? rename(to.c_str(), aside.c_str()) : 0;
    if (moved == 0 && (moved = rename(from.c_str(), to.c_str())) != 0 && there) {
        int error = errno;
        rename(aside.c_str(), to.c_str());
        errno = error;
    }
#endif
    if (moved != 0) {
        return Failed(why, "cannot put the folder in place");
    }
    std::string dir = FolderOf(to);
    int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsyncForAtomicWrite(dirFd);
        close(dirFd);
    }
    return true;
}
