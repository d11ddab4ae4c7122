#include "game/game.h"

int main(int, char **) {
    game.Init();
    game.RunTitle();
    // The first level is loaded even when the title screen was left without
    // Start; the play loop then ends at once.
    game.EnterPlay();
    game.RunPlay();
    FreeFont(font);
    return 0;
}
