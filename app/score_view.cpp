#include "app/score_view.h"

#include "app/game_scores.h"
#include "app/scores.h"
#include "game/game.h"
#include "game/seams.h"
#include "replay/replay_file.h"
#include "text/font.h"

namespace {

constexpr int kPanelX = 60;
constexpr int kPanelY = 40;
constexpr int kPanelW = 520;
constexpr int kPanelH = 400;
constexpr Uint8 kPanelAlpha = 224; // dark enough to read over the picture
constexpr int kRowStep = 30;
constexpr Uint32 kWaitNapMs = 10; // the wait for a key polls this often

void DrawCentred(SDL_Surface *screen, int y, const char *text) {
    DrawText(screen, font, 320 - TextWidth(font, "%s", text) / 2, y, "%s", text);
}

} // namespace

void DrawScoreTable(SDL_Surface *screen, int difficulty) {
    if (game.titleImage != nullptr) {
        SDL_BlitSurface(game.titleImage, nullptr, screen, nullptr);
    }
    SDL_Surface *panel = SDL_CreateRGBSurface(SDL_SWSURFACE, kPanelW, kPanelH, 32, 0, 0, 0, 0);
    if (panel != nullptr) {
        SDL_FillRect(panel, nullptr, 0);
        SDL_SetAlpha(panel, SDL_SRCALPHA, kPanelAlpha);
        SDL_Rect at = {kPanelX, kPanelY, 0, 0};
        SDL_BlitSurface(panel, nullptr, screen, &at);
        SDL_FreeSurface(panel);
    }
    ScoreTable table;
    ScoreReadResult read;
    ReadScores(ScoreKeepingFolder(), table, read);
    std::string title = std::string("High scores: ") + DifficultyName(difficulty);
    DrawCentred(screen, kPanelY + 14, title.c_str());
    const std::vector<ScoreEntry> &list =
        table.entries[difficulty >= 0 && difficulty < kScoreDifficulties ? difficulty : 0];
    int y = kPanelY + 60;
    if (list.empty()) {
        DrawCentred(screen, y, read.unreadable ? "The table cannot be read" : "No scores yet");
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
    DrawCentred(screen, kPanelY + kPanelH - 36, "Press any key");
}

int ShowScoresOnTitle(SDL_Event *event) {
    if (game.titleRunning == 0 || !ScoresOnTitleAllowed() || event->type != SDL_KEYDOWN ||
        event->key.keysym.sym != SDLK_h || screen == nullptr) {
        return 1;
    }
    DrawScoreTable(screen, difficulty);
    PresentFrame();
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) {
                *event = e;
                return 1;
            }
            if (e.type == SDL_KEYDOWN) {
                return 0;
            }
        }
        SDL_Delay(kWaitNapMs);
    }
}
