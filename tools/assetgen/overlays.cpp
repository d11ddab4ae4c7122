// Pictures laid over the play screen with black as their transparent
// colour: the paused sign at (200, 100), the game-over sign at (10, 30) and
// each level's title at (200, 100). Their letters get a solid dark outline
// instead of a soft glow, since every pixel that is not pure black shows.
#include "assets.h"
#include "draw.h"
#include "glyphs.h"
#include "output.h"

namespace {

const Color kInk = Rgb(12, 16, 44); // outline colour of all overlay lettering

// Draws text centred on the picture's middle column.
void Centred(Picture &pic, const Lettering &l, const std::string &text, float baseline) {
    Draw(pic, l, text, (pic.w - TextWidth(l.style, text)) / 2, baseline);
}

Lettering Heading(int size, float top, float bottom, const std::vector<Color> &stops) {
    Lettering l;
    l.style = {kBoldFont, size, 2, 0.1f};
    l.fill = VerticalGradient(top, bottom, stops);
    l.outline = kInk;
    l.outlineWidth = 3;
    l.shadowOffset = 3;
    return l;
}

Lettering Caption(int size, Color c) {
    Lettering l;
    l.style = {kBoldFont, size, 0.5f, 0};
    l.fill = [c](float, float) { return Paint{c, 1}; };
    l.outline = kInk;
    l.outlineWidth = 2;
    return l;
}

Picture Paused() {
    Picture pic(240, 96);
    Centred(pic, Heading(46, 14, 56, {Rgb(255, 255, 255), Rgb(150, 215, 255), Rgb(50, 110, 220)}),
            "PAUSED", 56);
    Centred(pic, Caption(15, Rgb(210, 225, 255)), "Press P to continue", 84);
    return pic;
}

Picture GameOver() {
    // Drawn at (10, 30): 620 wide keeps it centred on the 640-pixel screen.
    Picture pic(620, 190);
    Centred(pic,
            Heading(72, 40, 100,
                    {Rgb(255, 250, 200), Rgb(255, 180, 70), Rgb(230, 60, 40), Rgb(120, 20, 30)}),
            "GAME OVER", 100);
    Centred(pic, Caption(20, Rgb(235, 235, 255)), "Press N for a new game", 142);
    Centred(pic, Caption(20, Rgb(235, 235, 255)), "or Escape to quit", 172);
    return pic;
}

Picture LevelTitle(int number, const char *name) {
    Picture pic(240, 100);
    Centred(pic, Heading(44, 14, 56, {Rgb(255, 255, 255), Rgb(255, 225, 140), Rgb(235, 140, 40)}),
            "Level " + std::to_string(number), 56);
    Centred(pic, Caption(18, Rgb(200, 220, 255)), name, 86);
    return pic;
}

} // namespace

void WriteOverlays(const std::string &out) {
    SaveBmp(Paused(), out + "/paused.bmp", Backdrop::BlackKey);
    SaveBmp(GameOver(), out + "/gameover.bmp", Backdrop::BlackKey);
    for (int i = 0; i < kLevelCount; i++) {
        std::string dir = out + "/level_" + std::to_string(i + 1);
        MakeDirs(dir);
        SaveBmp(LevelTitle(i + 1, kLevelNames[i]), dir + "/title.bmp", Backdrop::BlackKey);
    }
}
