#pragma once
// Tells a listener which text data files (frame lists and level files) the
// game opens, with a hash of each file's bytes. Replays use it to record the
// data a game was played with and to notice different data when played back.
// With no listener (a normal game) nothing is read twice and nothing changes.
#include <SDL.h>

#include <cstdio>

using DataFileListener = void (*)(const char *path, Uint32 hash);

// Bytes of a file that count towards its hash; data files are far smaller.
constexpr long kMaxHashedBytes = 1L << 20;

void SetDataFileListener(DataFileListener listener); // null: stop telling

// A second listener, told only the path of each text data file opened (no
// hash, nothing read twice): live level reloading uses it to learn which
// level is in play. Independent of the listener above.
using DataFileOpenedListener = void (*)(const char *path);
void SetDataFileOpenedListener(DataFileOpenedListener listener); // null: stop telling

// Called by the loaders with a file they just opened for reading: hashes its
// bytes (up to kMaxHashedBytes) and puts the file back where it was.
void NoteDataFileOpened(const char *path, FILE *file);
