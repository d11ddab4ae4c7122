#pragma once
// The files the game keeps for the player (the settings file, the score table
// and its recordings): where their folders are, making them, the folder's
// lock, replacing a file atomically, and reading one back with a bound.
// Nothing else in the game makes, locks or writes the player's files.
#include <cstdio>
#include <string>

// The game's own folder among the player's: $VARIABLE/quarndel when the
// variable holds an absolute path (XDG_CONFIG_HOME, XDG_DATA_HOME; a relative
// one is ignored), else $HOME/underHome/quarndel (".config", ".local/share");
// empty when neither is known.
std::string PlayerFolder(const char *variable, const char *underHome);

// Makes dir and its missing parents; true when it is a folder afterwards.
bool MakeFolders(const std::string &dir);

// The advisory lock of a folder: two games changing the same file hold it
// from reading the file as it is now to renaming the new one into place.
struct FolderLock {
    int fd = -1;
};

enum class LockTaken {
    kLocked, // held until UnlockFolder
    kBusy,   // another process holds it: try again later
    kFailed, // the folder cannot be opened or locked; errno tells why
};

// Takes the folder's lock without waiting: a loop iteration never blocks on
// another game. kBusy leaves lock unheld.
LockTaken TryLockFolder(const std::string &dir, FolderLock &lock);

// Takes the folder's lock, waiting for another holder: for tools and the
// end of a run, which may wait.
LockTaken LockFolder(const std::string &dir, FolderLock &lock);

// Lets go of a lock taken above; harmless on an unheld lock.
void UnlockFolder(FolderLock &lock);

// How a player's file may be reached.
enum class Links {
    kFollow, // a symbolic link to a regular file is read (the settings file)
    kRefuse, // only a regular file in the folder itself (score recordings)
};

// Replaces path with contents so that a crash, a kill or a full disk leaves
// the old file or the new one, never half of one: a temporary file beside
// it, fsync, rename over it, fsync of the folder. A path that is a symbolic
// link stays one: the file it leads to is replaced, keeping its mode (a new
// file gets 0644); with Links::kRefuse a link is replaced by the file
// itself. The folder is made when missing. On failure the temporary
// file is removed, the file is left as it was, why says what failed and the
// result is false.
bool ReplaceFile(const std::string &path, const std::string &contents, std::string &why,
                 Links links = Links::kFollow);

// ReplaceFile, telling a failure as one line naming path on err.
bool WriteFileAtomically(const std::string &path, const std::string &contents, FILE *err,
                         Links links = Links::kFollow);

// The file a path leads to through symbolic links (at most 40 of them), or
// path itself when it is no link.
std::string LinkTarget(const std::string &path);

// The calls the writer makes: rename(2) and fsync(2), or a test's stand-ins.
// Moving an unreadable file aside renames through the same call.
extern int (*renameForAtomicWrite)(const char *from, const char *to);
extern int (*fsyncForAtomicWrite)(int fd);

enum class PlayerRead {
    kRead,    // the whole file is in text
    kMissing, // no such file (or a folder on the way is missing)
    kFailed,  // why says: unreadable, not a regular file, a link, too large
};

// Reads a regular file of at most maxBytes. Opening never blocks: a FIFO or
// device fails like any file that is not a regular one.
PlayerRead ReadPlayerFile(const std::string &path, long maxBytes, Links links, std::string &text,
                          std::string &why);

// A whole number from 0 to max written as digits only (at most ten of them):
// the one reader of numbers in the player's files.
bool ParseWholeNumber(const std::string &word, long max, long &value);

// Installing a level set: a folder is filled out of sight, beside where it
// goes, then put in place whole with one rename.

// Makes a new, empty folder dir/prefixXXXXXX; empty (why set) on failure.
// Its maker holds the folder's lock (TryLockFolder) while it fills it.
std::string MakeScratchFolder(const std::string &dir, const char *prefix, std::string &why);

// How long a scratch folder nobody holds may stand untouched before it
// counts as left over by a game killed while filling it.
constexpr long kScratchLeftoverSeconds = 60;

// Removes the leftovers among dir's entries: folders (not links) named
// prefix and six letters or digits as MakeScratchFolder names them, the
// player's own, untouched for more than kScratchLeftoverSeconds and not
// locked by a game still filling them. Nothing else is touched.
void RemoveScratchLeftovers(const std::string &dir, const char *prefix);

// Makes the folder path (its parent exists), or finds it already made.
bool MakeOneFolder(const std::string &path, std::string &why);

// Writes a new regular file path (mode 0644) that must not exist yet, not
// even as a link, and syncs it to the disk.
bool WriteNewFile(const std::string &path, const std::string &contents, std::string &why);

// Removes path and everything below it, never following a link.
void RemoveFolderTree(const std::string &path);

// Puts the folder from at to with one rename: when to exists it is left
// alone (false, why says so) unless replace, in which case the two are
// swapped in one step (the old one is then at from, to be removed; where
// no swap is offered, the browser's, in two steps at from + ".replaced").
bool PutFolderInPlace(const std::string &from, const std::string &to, bool replace,
                      std::string &why);
