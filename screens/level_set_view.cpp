#include "screens/level_set_view.h"

#include <string>
#include <vector>

#include "files/settings.h"
#include "game/game.h"
#include "game/seams.h"
#include "levelsets/level_sets.h"
#include "replay/replay.h"
#include "screens/title_panel.h"
#include "strings/text.h"
#include "text/font.h"

namespace {

constexpr int kPanelX = 20;
constexpr int kPanelY = 40;
constexpr int kPanelW = 600;
constexpr int kPanelH = 400;
constexpr Uint8 kPanelAlpha = 224; // dark enough to read over the picture
constexpr int kRowStep = 30;
constexpr int kRowsShown = 9; // rows between the heading and the hint

// The open list: read and checked once when L opens it, not at every frame.
struct LevelSetView {
    bool open = false;
    InstalledSet shipped;           // row 0
    std::vector<InstalledSet> sets; // the installed ones, rows 1 on
    int mark = 0;                   // the marked row
};

LevelSetView view;

std::string Verdict(const InstalledSet &s) {
    if (s.errors > 0) {
        return std::to_string(s.errors) + (s.errors == 1 ? " error" : " errors");
    }
    return s.warnings > 0 ? "checked, warnings" : "checked";
}

void DrawList(SDL_Surface *screen) {
    DrawTitlePanel(screen, {kPanelX, kPanelY, kPanelW, kPanelH}, kPanelAlpha);
    DrawCentredText(screen, kPanelY + 14, "Level sets");
    int rows = 1 + (int)view.sets.size();
    int first = view.mark >= kRowsShown ? view.mark - kRowsShown + 1 : 0;
    int y = kPanelY + 60;
    for (int row = first; row < rows && row < first + kRowsShown; ++row, y += kRowStep) {
        if (row == view.mark) {
            DrawText(screen, font, kPanelX + 10, y, ">");
        }
        const InstalledSet &s = row == 0 ? view.shipped : view.sets[(size_t)row - 1];
        std::string name = row == 0 ? "Shipped levels" : Printable(s.set.name).substr(0, 20);
        std::string author = s.set.author.empty() ? "" : "by " + s.set.author.substr(0, 16);
        DrawText(screen, font, kPanelX + 30, y, "%s", name.c_str());
        DrawText(screen, font, kPanelX + 220, y, "%s", author.c_str());
        DrawText(screen, font, kPanelX + 390, y, "%d", s.levels);
        DrawText(screen, font, kPanelX + 430, y, "%s", Verdict(s).c_str());
    }
    DrawCentredText(screen, kPanelY + kPanelH - 36, "Up, Down, Enter to play, Escape");
}

// Plays the marked set from the next game on and keeps the pick.
void Pick() {
    std::string name = view.mark == 0 ? "" : view.sets[(size_t)view.mark - 1].set.name;
    std::string why;
    if (!PlayLevelSet(name, why)) {
        fprintf(stderr, "quarndel: %s\n", why.c_str());
        return;
    }
    // --level names the first level itself; otherwise each game starts at
    // the set's first level (null: the shipped data/level_1).
    if (options.level == nullptr) {
        launch.firstLevel = LevelSetFirstLevel();
    }
    if (settings.levels != name) {
        settings.levels = name;
        ChangeSetting("levels", name.c_str());
    }
}

} // namespace

bool LevelSetViewTakes(const SDL_Event &event) {
    if (game.titleRunning == 0 || event.type == SDL_QUIT) {
        view.open = false;
        return false;
    }
    if (event.type != SDL_KEYDOWN) {
        return view.open;
    }
    SDLKey key = event.key.keysym.sym;
    if (!view.open) {
        if (key != SDLK_l || screen == nullptr || ReplayLevelSet() != nullptr) {
            return false;
        }
        view.shipped = ShippedLevels();
        view.sets = ListInstalledSets(LevelSetsFolder());
        view.mark = 0;
        for (size_t i = 0; i < view.sets.size(); ++i) {
            if (view.sets[i].set.name == LevelSetInPlay()) {
                view.mark = (int)i + 1;
            }
        }
        view.open = true;
        return true;
    }
    int rows = 1 + (int)view.sets.size();
    if (key == SDLK_m || key == SDLK_F11 ||
        (key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0)) {
        return false; // the window's own: mute and fullscreen work as on the title
    }
    if (key == SDLK_UP) {
        view.mark = (view.mark + rows - 1) % rows;
    } else if (key == SDLK_DOWN) {
        view.mark = (view.mark + 1) % rows;
    } else if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
        Pick();
        view.open = false;
    } else if (key == SDLK_ESCAPE) {
        view.open = false;
    }
    return true;
}

void PresentLevelSetView(SDL_Surface *picture, void (*present)(SDL_Surface *picture)) {
    if (!view.open || game.titleRunning == 0 || picture == nullptr) {
        present(picture);
        return;
    }
    PresentOverFrame(picture, DrawList, present);
}

bool LevelSetViewOpen() {
    return view.open;
}

void CloseLevelSetView() {
    view = LevelSetView();
}
