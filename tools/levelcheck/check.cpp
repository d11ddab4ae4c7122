#include "tools/levelcheck/check.h"

#include <sys/stat.h>

#include "tools/levelcheck/font_check.h"
#include "tools/levelcheck/level_chain.h"
#include "tools/levelcheck/startup_files.h"

void CheckGameData(const std::string &firstLevel, Report &report) {
    struct stat info;
    if (stat("data", &info) != 0 || !S_ISDIR(info.st_mode)) {
        report.Error("data", 0,
                     "no data folder here: run quarndel-check from the folder the game runs in");
        return;
    }
    // The order the game loads things in: start-up, font, then the levels.
    CheckStartupFiles(report);
    CheckFont("data/font", report);
    CheckLevelChain(firstLevel, report);
}
