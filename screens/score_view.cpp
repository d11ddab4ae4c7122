#include "screens/score_view.h"

#include "files/level_set_in_play.h"
#include "files/score_keeping.h"
#include "files/scores.h"
#include "game/game.h"
#include "screens/title_panel.h"
#include "strings/text.h"
#include "text/font.h"

namespace {

constexpr int kPanelX = 60;
constexpr int kPanelY = 40;
constexpr int kPanelW = 520;
constexpr int kPanelH = 400;
constexpr Uint8 kPanelAlpha = 224; // dark enough to read over the picture
constexpr int kRowStep = 30;

// The open table: read once when H opens it, not at every frame.
struct ScoreView {
    bool open = false;
    ScoreTable table;
    bool unreadable = false;
};

ScoreView view;

// Draws the table of the difficulty into screen over the title picture.
void DrawScoreTable(SDL_Surface *screen, int difficulty) {
    DrawTitlePanel(screen, {kPanelX, kPanelY, kPanelW, kPanelH}, kPanelAlpha);
    // The table of the level set in play: its entries alone, ranked among them.
    const std::string &set = LevelSetInPlay();
    std::string title = std::string("High scores: ") + DifficultyName(difficulty) +
                        (set.empty() ? "" : ", " + set.substr(0, 24));
    DrawCentredText(screen, kPanelY + 14, title);
    std::vector<ScoreEntry> list;
    for (const ScoreEntry &e :
         view.table.entries[difficulty >= 0 && difficulty < kScoreDifficulties ? difficulty : 0]) {
        if (e.levels == set) {
            list.push_back(e);
        }
    }
    int y = kPanelY + 60;
    if (list.empty()) {
        DrawCentredText(screen, y, view.unreadable ? "The table cannot be read" : "No scores yet");
    }
    int rank = 0;
    for (const ScoreEntry &e : list) {
        std::string name = Printable(e.name).substr(0, 12);
        std::string when = e.when.substr(0, 10) + " " + e.when.substr(11, 5);
        DrawText(screen, font, kPanelX + 20, y, "%d.", ++rank);
        DrawText(screen, font, kPanelX + 130 - TextWidth(font, "%d", e.score), y, "%d", e.score);
        DrawText(screen, font, kPanelX + 150, y, "Level %d", e.level);
        DrawText(screen, font, kPanelX + 230, y, "%s", name.c_str());
        DrawText(screen, font, kPanelX + 360, y, "%s", when.c_str());
        y += kRowStep;
    }
    DrawCentredText(screen, kPanelY + kPanelH - 36, "Press any key");
}

// The keys the window acts on itself: they mute or change the window, and
// leave the table open as they leave the title as it is.
bool WindowKey(SDLKey key) {
    return key == SDLK_m || key == SDLK_F11;
}

} // namespace

bool ScoreTableTakes(const SDL_Event &event) {
    if (game.titleRunning == 0 || event.type == SDL_QUIT) {
        view.open = false;
        return false;
    }
    if (!view.open) {
        if (!ScoresOnTitleAllowed() || event.type != SDL_KEYDOWN ||
            event.key.keysym.sym != SDLK_h || screen == nullptr) {
            return false;
        }
        ScoreReadResult read;
        ReadScores(ScoreKeepingFolder(), view.table, read);
        view.unreadable = read.unreadable;
        view.open = true;
        return true;
    }
    if (event.type == SDL_KEYDOWN && !WindowKey(event.key.keysym.sym)) {
        view.open = false;
    }
    return true;
}

void PresentScoreTable(SDL_Surface *picture, void (*present)(SDL_Surface *picture)) {
    if (!view.open || game.titleRunning == 0 || picture == nullptr) {
        present(picture);
        return;
    }
    PresentOverFrame(
        picture, [](SDL_Surface *frame) { DrawScoreTable(frame, difficulty); }, present);
}

void CloseScoreTable() {
    view = ScoreView();
}
