#include "check/check.h"

#include <sys/stat.h>

#include "check/font_check.h"
#include "check/level_chain.h"
#include "check/startup_files.h"

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
