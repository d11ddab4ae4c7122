#include "game/seams.h"

LaunchChoices launch;
GameHooks hooks;

const char *FirstLevelFolder() {
    return launch.firstLevel != nullptr ? launch.firstLevel : "data/level_1";
}
