#include "screens/title_panel.h"

#include "game/game.h"
#include "text/font.h"

void DrawTitlePanel(SDL_Surface *target, SDL_Rect area, Uint8 alpha) {
    if (game.titleImage != nullptr) {
        SDL_BlitSurface(game.titleImage, nullptr, target, nullptr);
    }
    SDL_Surface *panel = SDL_CreateRGBSurface(SDL_SWSURFACE, area.w, area.h, 32, 0, 0, 0, 0);
    if (panel != nullptr) {
        SDL_FillRect(panel, nullptr, 0);
        SDL_SetAlpha(panel, SDL_SRCALPHA, alpha);
        SDL_BlitSurface(panel, nullptr, target, &area);
        SDL_FreeSurface(panel);
    }
}

void DrawCentredText(SDL_Surface *target, int y, const std::string &text) {
    DrawText(target, font, 320 - TextWidth(font, "%s", text.c_str()) / 2, y, "%s", text.c_str());
}

std::vector<std::string> WrappedText(const std::string &text, int width) {
    std::vector<std::string> pieces;
    std::string rest = text;
    while (!rest.empty()) {
        size_t fit = rest.size();
        while (fit > 1 && TextWidth(font, "%s", rest.substr(0, fit).c_str()) > width) {
            --fit;
        }
        size_t blank = fit < rest.size() ? rest.rfind(' ', fit) : std::string::npos;
        if (blank != std::string::npos && blank > fit / 2) {
            fit = blank + 1;
        }
        pieces.push_back(rest.substr(0, fit));
        rest.erase(0, fit);
    }
    return pieces;
}

void PresentOverFrame(SDL_Surface *picture, void (*draw)(SDL_Surface *picture),
                      void (*present)(SDL_Surface *picture)) {
    SDL_Surface *kept = SDL_ConvertSurface(picture, picture->format, SDL_SWSURFACE);
    draw(picture);
    present(picture);
    if (kept != nullptr) {
        SDL_BlitSurface(kept, nullptr, picture, nullptr);
        SDL_FreeSurface(kept);
    }
}
