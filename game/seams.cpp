#include "game/seams.h"

#include "game/game.h"
#include "game/report.h"

LaunchChoices launch;
GameHooks hooks;

const char *FirstLevelFolder() {
    return launch.firstLevel != nullptr ? launch.firstLevel : kShippedFirstLevel;
}

void PresentFrame() {
    if (hooks.present != nullptr) {
        hooks.present(screen);
    } else {
        SDL_Flip(screen);
    }
}

void ReportEvent(GameEvent event) {
    if (hooks.eventReported != nullptr) {
        hooks.eventReported(event);
    }
}
