#include "screens/title_screens.h"

#include "screens/level_set_view.h"
#include "screens/muted_mark.h"
#include "screens/options_screen.h"
#include "screens/score_view.h"

namespace {

// The present hook of the frame being shown, for the chain below.
void (*shown)(SDL_Surface *picture) = nullptr;

void PresentMarked(SDL_Surface *picture) {
    PresentMutedMark(picture, shown);
}
void PresentOptions(SDL_Surface *picture) {
    PresentOptionsScreen(picture, PresentMarked);
}
void PresentScores(SDL_Surface *picture) {
    PresentScoreTable(picture, PresentOptions);
}

} // namespace

bool TitleScreensTakeRaw(const SDL_Event &event) {
    return OptionsScreenTakesRaw(event);
}

bool TitleScreensTake(const SDL_Event &event) {
    if (LevelSetViewOpen()) {
        return LevelSetViewTakes(event);
    }
    if (OptionsScreenOpen()) {
        return OptionsScreenTakes(event);
    }
    return ScoreTableTakes(event) || OptionsScreenTakes(event) || LevelSetViewTakes(event);
}

void PresentTitleScreens(SDL_Surface *picture, void (*present)(SDL_Surface *picture)) {
    shown = present;
    PresentLevelSetView(picture, PresentScores);
}
