// Text drawn with FreeType from the DejaVu fonts that ship with the system:
// the logo, menu words and captions become coverage masks that the drawing
// layer fills like any other shape.
#pragma once

#include "draw.h"

#include <string>

extern const char *const kSansFont;
extern const char *const kBoldFont;

struct TextStyle {
    const char *fontFile = kBoldFont;
    int pixelSize = 24;
    float tracking = 0; // extra pixels between letters
    float slant = 0;    // horizontal shear: x moves by slant * height above the baseline
};

// Width in pixels of the text's pen travel.
float TextWidth(const TextStyle &style, const std::string &text);
// Height above the baseline of a capital letter, for centring words.
float CapHeight(const TextStyle &style);
// The text's coverage with its pen starting at x and its baseline at y.
Mask TextMask(const TextStyle &style, const std::string &text, float x, float baseline);

// Display lettering: filled text with an optional dark outline, drop shadow
// and soft halo. Halos suit only opaque pictures: on a black-keyed overlay
// every faint halo pixel would show as a dark box.
struct Lettering {
    TextStyle style;
    Shader fill;
    Color outline = Rgb(10, 14, 40);
    int outlineWidth = 0;
    int shadowOffset = 0; // shadow down and right, in the outline colour
    Color glow;
    int glowRadius = 0;
};

// Draws the text with its pen starting at x and its baseline at y.
void Draw(Picture &pic, const Lettering &l, const std::string &text, float x, float baseline);
// A vertical gradient through the given colours between two rows.
Shader VerticalGradient(float top, float bottom, const std::vector<Color> &stops);
