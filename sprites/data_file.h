#pragma once
// Opening and reading the files of a data folder. A level pack comes from a
// stranger, so every file the game reads from it is opened the same careful
// way: opening never blocks, only regular files are read, and text files are
// read up to a fixed size.
#include <SDL.h>

#include <cstdio>
#include <string>

// Most bytes read from any one text file (frame lists, level files,
// font.ini). The largest sensible frame list, 4096 frame lines of 254
// characters, is about 1 MiB; the shipped files are under 1 KB. What lies
// beyond counts as absent, so a huge file cannot keep a loader reading.
constexpr long kMaxTextFileBytes = 1L << 20;

// Longest path the loaders build (including its NUL).
constexpr int kPathSize = 256;

// Where an installed level set is read from. Its levels name their files
// "data/NAME/..." as they did in the author's data folder; while a set is in
// play those paths open the same files under folder instead, and every other
// path (the shipped ship, shots, font) opens as written. An empty prefix
// (the default) leaves every path as written: the documented game.
void SetLevelSetPlace(const std::string &prefix, const std::string &folder);

// The set in play, as SetLevelSetPlace was last told.
void GetLevelSetPlace(std::string &prefix, std::string &folder);

// The path a data path opens: path itself, or the set's file in storage.
const char *LevelSetPath(const char *path, std::string &storage);

// Opens path for reading (mode "r" or "rb") when it names a regular file or
// a symbolic link to one. A FIFO, device, directory, missing file or empty
// path gives null, and the open never waits for a writer or a device.
FILE *OpenRegularFile(const char *path, const char *mode);

// What ReadRegularFile found.
enum class FileRead {
    kRead,       // the whole file is in bytes
    kCannotOpen, // missing or unreadable; errno tells why
    kNotRegular, // a FIFO, device or directory
    kTooLarge,   // over the bound: bytes holds its first maxBytes
    kFailed,     // a read error
};

// Reads up to maxBytes of the regular file path into bytes, opening it like
// OpenRegularFile.
FileRead ReadRegularFile(const char *path, long maxBytes, std::string &bytes);

// The same as an SDL stream that closes the file when it is closed; null
// where OpenRegularFile gives null. A buffer, when given, is the stream's
// read buffer until it is closed: a large one reads a picture in a few large
// reads instead of one per row, which the browser build's file system makes
// dear.
SDL_RWops *OpenRegularStream(const char *path, char *buffer = nullptr, size_t size = 0);

// The size in bytes of an open regular file; -1 when it cannot be told.
long FileSize(FILE *file);

// Reads one line like fgets (at most size - 1 characters, up to and including
// a line feed), but never past byte kMaxTextFileBytes of the file. Null when
// nothing is left to read.
char *ReadTextLine(char *line, int size, FILE *file);

// Writes dir/name into path with snprintf(path, size, "%s/%s", dir, name):
// as much as fits, always ended, and returns the whole path's length
// (negative beyond an int).
int JoinPath(char *path, size_t size, const char *dir, const char *name);

// Opens the text file dir/name (the path built in a buffer of kPathSize) in
// the given mode. When it cannot be opened, the path does not fit the buffer
// or dir is empty, prints the load-failure message with the whole path and
// returns null.
FILE *OpenDataFile(const char *dir, const char *name, const char *mode);
