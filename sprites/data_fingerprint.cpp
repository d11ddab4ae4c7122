#include "sprites/data_fingerprint.h"

namespace {
DataFileListener dataFileListener = nullptr;
DataFileOpenedListener openedListener = nullptr;
} // namespace

void SetDataFileOpenedListener(DataFileOpenedListener listener) {
    openedListener = listener;
}

void SetDataFileListener(DataFileListener listener) {
    dataFileListener = listener;
}

void NoteDataFileOpened(const char *path, FILE *file) {
    if (openedListener != nullptr && file != nullptr) {
        openedListener(path);
    }
    if (dataFileListener == nullptr || file == nullptr) {
        return;
    }
    long start = ftell(file);
    Uint32 hash = 2166136261u; // FNV-1a, 32 bits
    if (start >= 0) {
        long total = 0;
        int c;
        while (total < kMaxHashedBytes && (c = fgetc(file)) != EOF) {
            hash = (hash ^ (Uint8)c) * 16777619u;
            ++total;
        }
        clearerr(file);
        fseek(file, start, SEEK_SET);
    }
    dataFileListener(path, hash);
}
