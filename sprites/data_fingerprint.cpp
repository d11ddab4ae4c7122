#include "sprites/data_fingerprint.h"

namespace {
DataFileListener dataFileListener = nullptr;
} // namespace

void SetDataFileListener(DataFileListener listener) {
    dataFileListener = listener;
}

void NoteDataFileOpened(const char *path, FILE *file) {
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
