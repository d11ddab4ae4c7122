#include "screens/options_screen.h"

#include <string>
#include <vector>

#include "files/settings.h"
#include "game/game.h"
#include "screens/options_items.h"
#include "screens/title_panel.h"
#include "sound/effects.h"
#include "text/font.h"
#include "window/input.h"

namespace {

constexpr int kPanelX = 20;
constexpr int kPanelY = 10;
constexpr int kPanelW = 600;
constexpr int kPanelH = 460;
constexpr Uint8 kPanelAlpha = 232; // dark enough to read over the picture
constexpr int kRowStep = 18;       // the font's 16-pixel cells and a little room
constexpr int kValueX = kPanelX + 260;
constexpr int kMaxProblemRows = 4;

enum class Waiting { kNothing, kKey, kButton };

struct OptionsScreen {
    bool allowed = true;
    bool open = false;
    int cursor = 0;
    int top = 0; // the first item row shown when they do not all fit
    Waiting waiting = Waiting::kNothing;
    std::string said; // the line under the items: what the last change did
};

OptionsScreen view;

std::vector<OptionItem> Items() {
    return OptionItems(GamepadThere());
}

void DrawOptions(SDL_Surface *target) {
    DrawTitlePanel(target, {kPanelX, kPanelY, kPanelW, kPanelH}, kPanelAlpha);
    DrawCentredText(target, kPanelY + 8, "Options");
    int y = kPanelY + 32;
    // The settings file's problems first, until the game's changes fix them.
    std::vector<std::string> rows;
    for (const std::string &problem : SettingsProblems()) {
        for (const std::string &piece : WrappedText(problem, kPanelW - 40)) {
            rows.push_back(piece);
        }
    }
    if ((int)rows.size() > kMaxProblemRows) {
        int more = (int)rows.size() - (kMaxProblemRows - 1);
        rows.resize(kMaxProblemRows - 1);
        rows.push_back("... and " + std::to_string(more) + " more lines on standard error");
    }
    for (const std::string &row : rows) {
        DrawText(target, font, kPanelX + 20, y, "%s", row.c_str());
        y += kRowStep - 2;
    }
    if (!rows.empty()) {
        y += 6;
    }
    std::vector<OptionItem> items = Items();
    int bottom = kPanelY + kPanelH - 2 * kRowStep - 8;
    int shown = (bottom - y) / kRowStep;
    if (view.cursor < view.top) {
        view.top = view.cursor;
    } else if (view.cursor >= view.top + shown) {
        view.top = view.cursor - shown + 1;
    }
    for (int i = view.top; i < (int)items.size() && i < view.top + shown; ++i, y += kRowStep) {
        if (i == view.cursor) {
            DrawText(target, font, kPanelX + 8, y, ">");
        }
        DrawText(target, font, kPanelX + 24, y, "%s", OptionLabel(items[i]).c_str());
        std::string value = OptionValue(items[i]);
        if (i == view.cursor && view.waiting != Waiting::kNothing) {
            value = view.waiting == Waiting::kKey ? "press a key (Escape: keep)"
                                                  : "press a button (Escape: keep)";
        }
        DrawText(target, font, kValueX, y, "%s", value.c_str());
    }
    DrawCentredText(target, bottom + 4, view.said);
    DrawCentredText(target, bottom + 4 + kRowStep,
                    "Up, Down: choose   Left, Right, Enter: change   Escape: back");
}

void Move(int by) {
    int count = (int)Items().size();
    view.cursor = ((view.cursor + by) % count + count) % count;
    view.said.clear();
    PlayEffect(GameEvent::MenuMove);
}

void Change(int step, bool enter) {
    std::vector<OptionItem> items = Items();
    if (view.cursor >= (int)items.size()) {
        view.cursor = 0;
    }
    const OptionItem &item = items[view.cursor];
    view.said.clear();
    if (item.kind == OptionKind::kKey || item.kind == OptionKind::kButton) {
        if (enter) {
            view.waiting = item.kind == OptionKind::kKey ? Waiting::kKey : Waiting::kButton;
        }
        return;
    }
    if (!StepOption(item, step)) {
        view.said = "Not kept: the settings file cannot be written";
    }
}

// A key or button item waiting: the next key or button pressed. Escape
// always keeps the item as it was; a refused key leaves it waiting.
bool TakeWaited(const SDL_Event &event) {
    int action = Items()[view.cursor].action;
    if (event.type == SDL_KEYDOWN) {
        SDLKey key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE) {
            view.said = "Kept as it was";
            view.waiting = Waiting::kNothing;
        } else if (view.waiting == Waiting::kKey && BindOptionKey(action, key, view.said)) {
            view.waiting = Waiting::kNothing;
        }
        return true; // a refused key: the item waits on for another
    }
    if (event.type == SDL_JOYBUTTONDOWN && view.waiting == Waiting::kButton &&
        event.jbutton.which == 0) {
        if (BindOptionButton(action, event.jbutton.button, view.said)) {
            view.waiting = Waiting::kNothing;
        }
        return true;
    }
    return false; // releases and the stick go on to be translated, then eaten
}

} // namespace

void AllowOptionsScreen(bool allowed) {
    view.allowed = allowed;
}

bool OptionsScreenTakesRaw(const SDL_Event &event) {
    if (!view.open || view.waiting == Waiting::kNothing || game.titleRunning == 0) {
        return false;
    }
    return TakeWaited(event);
}

bool OptionsScreenTakes(const SDL_Event &event) {
    if (game.titleRunning == 0 || event.type == SDL_QUIT) {
        view.open = false;
        view.waiting = Waiting::kNothing;
        return false;
    }
    if (!view.open) {
        if (!view.allowed || event.type != SDL_KEYDOWN || event.key.keysym.sym != SDLK_o ||
            screen == nullptr) {
            return false;
        }
        view = OptionsScreen();
        view.open = true;
        return true;
    }
    if (event.type != SDL_KEYDOWN) {
        return true;
    }
    switch (event.key.keysym.sym) {
    case SDLK_UP:
        Move(-1);
        break;
    case SDLK_DOWN:
        Move(1);
        break;
    case SDLK_LEFT:
        Change(-1, false);
        break;
    case SDLK_RIGHT:
        Change(1, false);
        break;
    case SDLK_RETURN:
        Change(1, true);
        break;
    case SDLK_ESCAPE:
        view.open = false;
        break;
    default:
        break;
    }
    return true;
}

void PresentOptionsScreen(SDL_Surface *picture, void (*present)(SDL_Surface *picture)) {
    if (!view.open || game.titleRunning == 0 || picture == nullptr) {
        present(picture);
        return;
    }
    PresentOverFrame(picture, DrawOptions, present);
}

bool OptionsScreenOpen() {
    return view.open;
}

void CloseOptionsScreen() {
    bool allowed = view.allowed;
    view = OptionsScreen();
    view.allowed = allowed;
}
