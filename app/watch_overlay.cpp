#include "app/watch_overlay.h"

#include "game/game.h"
#include "screens/title_panel.h"
#include "sprites/ticks.h"

namespace {

// Below the score, level and lives line at y 10; above the credits at 460.
constexpr int kTop = 34;
constexpr int kMargin = 8;
constexpr int kMaxLines = 12;
// The band's opacity: dark enough to read white text over any background,
// light enough to still see the level under it.
constexpr Uint8 kBandAlpha = 190;

std::vector<std::string> shownLines;
Uint32 shownSince = 0;
SDL_Surface *band = nullptr; // one black surface, blended with kBandAlpha

} // namespace

void ShowWatchReport(const std::vector<std::string> &lines) {
    shownLines = lines;
    shownSince = GetTicks();
}

const std::vector<std::string> &ShownWatchReport() {
    return shownLines;
}

void DrawWatchOverlay(SDL_Surface *target) {
    if (shownLines.empty() || font == nullptr || target == nullptr) {
        return;
    }
    if (GetTicks() - shownSince > kWatchReportShowMs) {
        shownLines.clear();
        return;
    }
    int width = target->w - 4 * kMargin;
    std::vector<std::string> rows;
    for (const std::string &line : shownLines) {
        for (const std::string &piece : WrappedText(line, width)) {
            rows.push_back(piece);
        }
    }
    if ((int)rows.size() > kMaxLines) {
        int more = (int)rows.size() - (kMaxLines - 1);
        rows.resize(kMaxLines - 1);
        rows.push_back("... and " + std::to_string(more) + " more lines on standard error");
    }
    int lineHeight = font->cell;
    int height = (int)rows.size() * lineHeight + 2 * kMargin;
    if (band == nullptr || band->h < height) {
        if (band != nullptr) {
            SDL_FreeSurface(band);
        }
        band = SDL_CreateRGBSurface(SDL_SWSURFACE, target->w - 2 * kMargin, height, 32, 0, 0, 0, 0);
        if (band == nullptr) {
            return;
        }
        SDL_FillRect(band, nullptr, 0);
        SDL_SetAlpha(band, SDL_SRCALPHA, kBandAlpha);
    }
    SDL_Rect part = {0, 0, (Uint16)band->w, (Uint16)height};
    SDL_Rect at = {(Sint16)kMargin, (Sint16)kTop, 0, 0};
    SDL_BlitSurface(band, &part, target, &at);
    for (size_t i = 0; i < rows.size(); ++i) {
        DrawText(target, font, 2 * kMargin, kTop + kMargin + (int)i * lineHeight, "%s",
                 rows[i].c_str());
    }
}
