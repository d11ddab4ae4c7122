#include "glyphs.h"
#include "output.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

const char *const kSansFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char *const kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

namespace {

// One FreeType face at the style's size, closed when it goes out of scope.
class Face {
  public:
    explicit Face(const TextStyle &style) {
        if (FT_Init_FreeType(&lib_) != 0) {
            Fail("cannot start FreeType");
        }
        if (FT_New_Face(lib_, style.fontFile, 0, &face_) != 0) {
            Fail(std::string("cannot open font ") + style.fontFile);
        }
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(style.pixelSize));
        FT_Matrix shear{0x10000, static_cast<FT_Fixed>(std::lround(style.slant * 0x10000)), 0,
                        0x10000};
        FT_Set_Transform(face_, &shear, nullptr);
    }
    ~Face() {
        FT_Done_Face(face_);
        FT_Done_FreeType(lib_);
    }
    Face(const Face &) = delete;
    Face &operator=(const Face &) = delete;

    FT_Face Get() const { return face_; }

  private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

// Calls visit(glyph slot, pen x) for each character, advancing with kerning.
template <class Visit>
float Walk(const Face &face, const TextStyle &style, const std::string &text, Visit visit) {
    FT_Face f = face.Get();
    float pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(f, ch);
        if (previous && index && FT_HAS_KERNING(f)) {
            FT_Vector kern;
            FT_Get_Kerning(f, previous, index, FT_KERNING_DEFAULT, &kern);
            pen += kern.x / 64.0f;
        }
        if (FT_Load_Glyph(f, index, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) {
            Fail("cannot render a glyph");
        }
        visit(f->glyph, pen);
        pen += f->glyph->advance.x / 64.0f + style.tracking;
        previous = index;
    }
    return pen - (text.empty() ? 0 : style.tracking);
}

} // namespace

float TextWidth(const TextStyle &style, const std::string &text) {
    Face face(style);
    return Walk(face, style, text, [](FT_GlyphSlot, float) {});
}

float CapHeight(const TextStyle &style) {
    Face face(style);
    float top = 0;
    Walk(face, style, "H", [&](FT_GlyphSlot g, float) { top = static_cast<float>(g->bitmap_top); });
    return top;
}

Mask TextMask(const TextStyle &style, const std::string &text, float x, float baseline) {
    Face face(style);
    // First pass finds the ink's extent, the second copies the coverage.
    int left = 1 << 30, top = 1 << 30, right = -(1 << 30), bottom = -(1 << 30);
    int ox = static_cast<int>(std::floor(x)), oy = static_cast<int>(std::lround(baseline));
    float frac = x - ox;
    auto place = [&](FT_GlyphSlot g, float pen, int &gx, int &gy) {
        gx = ox + static_cast<int>(std::lround(pen + frac)) + g->bitmap_left;
        gy = oy - g->bitmap_top;
    };
    Walk(face, style, text, [&](FT_GlyphSlot g, float pen) {
        int gx, gy;
        place(g, pen, gx, gy);
        left = std::min(left, gx);
        top = std::min(top, gy);
        right = std::max(right, gx + static_cast<int>(g->bitmap.width));
        bottom = std::max(bottom, gy + static_cast<int>(g->bitmap.rows));
    });
    if (right <= left) {
        return Mask(ox, oy, 0, 0);
    }
    Mask m(left, top, right - left, bottom - top);
    Walk(face, style, text, [&](FT_GlyphSlot g, float pen) {
        int gx, gy;
        place(g, pen, gx, gy);
        for (unsigned r = 0; r < g->bitmap.rows; r++) {
            for (unsigned c = 0; c < g->bitmap.width; c++) {
                float cov = g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f;
                float &cell = m.Cell(gx + static_cast<int>(c), gy + static_cast<int>(r));
                cell = std::max(cell, cov);
            }
        }
    });
    return m;
}

void Draw(Picture &pic, const Lettering &l, const std::string &text, float x, float baseline) {
    Mask letters = TextMask(l.style, text, x, baseline);
    if (l.glowRadius > 0) {
        Light(pic, Blur(Dilate(letters, 1), l.glowRadius), l.glow);
    }
    if (l.outlineWidth > 0) {
        Mask rim = Dilate(letters, l.outlineWidth);
        if (l.shadowOffset > 0) {
            Fill(pic, Shift(rim, l.shadowOffset, l.shadowOffset), l.outline, 0.8f);
        }
        Fill(pic, rim, l.outline);
    }
    Fill(pic, letters, l.fill);
}

Shader VerticalGradient(float top, float bottom, const std::vector<Color> &stops) {
    return [=](float, float y) { return Paint{Ramp(stops, (y - top) / (bottom - top)), 1}; };
}
