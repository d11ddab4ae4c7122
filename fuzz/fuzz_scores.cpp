// Fuzzes the high score table: reading it, and writing back what was read,
// which must read again as the same table with nothing left out.
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/scores.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ScoreTable table;
    ScoreReadResult result;
    ParseScores(std::string((const char *)data, size), table, result);
    for (const std::vector<ScoreEntry> &list : table.entries) {
        if (list.size() > (size_t)kScoresPerTable) {
            __builtin_trap();
        }
    }
    std::string written = FormatScores(table);
    ScoreTable again;
    ScoreReadResult reread;
    ParseScores(written, again, reread);
    if (reread.unreadable || !reread.badLines.empty() || FormatScores(again) != written) {
        __builtin_trap();
    }
    return 0;
}
