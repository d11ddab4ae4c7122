#include "text/font.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <string>

#include "sprites/data_file.h"
#include "sprites/rect.h"

namespace {

// The path dir/name, or an empty path (which opens nothing) when it does not
// fit the font's path buffer.
std::string FontPath(const char *dir, const char *name) {
    char path[kFontPathSize];
    int n = JoinPath(path, sizeof path, dir, name);
    return n >= 0 && n < (int)sizeof path ? path : "";
}

// Opens dir/name in mode "rb"; null when it is missing, no regular file or
// the path does not fit the font's path buffer.
FILE *OpenFontFile(const char *dir, const char *name) {
    return OpenRegularFile(FontPath(dir, name).c_str(), "rb");
}

// A byte past the end of a short file counts as 255.
unsigned char NextByte(FILE *file) {
    int c = file != nullptr ? fgetc(file) : EOF;
    return c == EOF ? 255 : (unsigned char)c;
}

// A float factor truncated to a whole number, as the low 8 bits of an int.
unsigned char LowByte(double v) {
    return (unsigned char)(TruncToInt(v) & 0xff);
}

// The sheet's pixels, each the four bytes its byte of font.raw stands for.
// Out of line: the browser's engine optimises this loop alone sooner than the whole loader.
[[gnu::noinline]] void FillSheet(unsigned char *pixels, const unsigned char *bytes, long count,
                                 const unsigned char (&pixelOf)[256][4]) {
    for (long i = 0; i < count; ++i, pixels += 4) {
        memcpy(pixels, pixelOf[bytes[i]], 4);
    }
}

} // namespace

BitmapFont *LoadFont(const char *dir) {
    return LoadFont(dir, 1.0f, 1.0f, 1.0f, 1.0f);
}

BitmapFont *LoadFont(const char *dir, float r, float g, float b, float a) {
    // The number is scanned from the file's first kMaxTextFileBytes, as
    // fscanf would find it there.
    std::string text;
    FileRead ini = ReadRegularFile(FontPath(dir, "font.ini").c_str(), kMaxTextFileBytes, text);
    if (ini != FileRead::kRead && ini != FileRead::kTooLarge) {
        return nullptr;
    }
    int size = 0;
    int scanned = sscanf(text.c_str(), "%d", &size);
    if (scanned != 1 || size < kMinFontSize || size > kMaxFontSize) {
        return nullptr;
    }
    // The sheet's alpha bytes, one per pixel, read at once; a short file
    // leaves the rest of the sheet at 255.
    long pixels = (long)size * size;
    std::string raw;
    FileRead read = ReadRegularFile(FontPath(dir, "font.raw").c_str(), pixels, raw);
    if (read == FileRead::kCannotOpen || read == FileRead::kNotRegular) {
        return nullptr;
    }
    raw.resize((size_t)pixels, (char)255);
    // A pixel's four bytes depend on its byte of font.raw alone: each of the
    // 256 is worked out once.
    unsigned char red = LowByte((double)TruncToInt(r) * 255);
    unsigned char green = LowByte((double)TruncToInt(g) * 255);
    unsigned char blue = LowByte((double)TruncToInt(b) * 255);
    unsigned char pixelOf[256][4];
    for (int v = 0; v < 256; ++v) {
        pixelOf[v][0] = red;
        pixelOf[v][1] = green;
        pixelOf[v][2] = blue;
        pixelOf[v][3] = LowByte(v * (double)a);
    }

    BitmapFont *font = new BitmapFont;
    font->size = size;
    font->cell = size / 16;
    font->pixels = new unsigned char[(size_t)pixels * 4];
    FillSheet(font->pixels, (const unsigned char *)raw.data(), pixels, pixelOf);

    SDL_Surface *sheet = SDL_CreateRGBSurfaceFrom(font->pixels, size, size, 32, size * 4,
                                                  0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000);
    if (sheet != nullptr) {
        font->image = SDL_DisplayFormatAlpha(sheet);
        SDL_FreeSurface(sheet);
    }

    font->widths = new int[256];
    FILE *dat = OpenFontFile(dir, "font.dat");
    // Without font.dat every glyph is 2 pixels narrower than its cell; a cell
    // of 1 pixel (a sheet side below 32) gives width 0, never a pen moving left.
    int fallbackWidth = font->cell > 2 ? font->cell - 2 : 0;
    for (int c = 0; c < 256; ++c) {
        font->widths[c] = dat != nullptr ? NextByte(dat) : fallbackWidth;
    }
    if (dat != nullptr) {
        fclose(dat);
    }
    return font;
}

namespace {

void DrawFormatted(SDL_Surface *dest, BitmapFont *font, int x, int y, const char *text) {
    int pen = 0;
    for (const unsigned char *s = (const unsigned char *)text; *s != '\0'; ++s) {
        int c = *s;
        int width = font->widths[c];
        // The glyph window is width + 2 pixels wide, centred on the cell; the
        // pen moves by width alone, so neighbouring windows overlap by 2.
        SDL_Rect source = {ToRectCoord((c % 16) * font->cell + font->cell / 2 - width / 2),
                           ToRectCoord((c / 16) * font->cell), (Uint16)(width + 2),
                           (Uint16)font->cell};
        SDL_Rect place = {ToRectCoord(x + pen), ToRectCoord(y), 0, 0};
        if (x + pen > dest->w) {
            break; // the rest of the line lies right of the target
        }
        SDL_UpperBlit(font->image, &source, dest, &place);
        pen += width;
    }
}

} // namespace

void DrawText(SDL_Surface *dest, BitmapFont *font, int x, int y, const char *format, ...) {
    if (dest == nullptr || font == nullptr || font->image == nullptr || font->widths == nullptr) {
        return;
    }
    char text[kTextSize];
    va_list args;
    va_start(args, format);
    vsnprintf(text, kTextSize, format, args);
    va_end(args);
    DrawFormatted(dest, font, x, y, text);
}

int TextWidth(BitmapFont *font, const char *format, ...) {
    if (font == nullptr || font->widths == nullptr) {
        return 0;
    }
    char text[kTextSize];
    va_list args;
    va_start(args, format);
    vsnprintf(text, kTextSize, format, args);
    va_end(args);
    int width = 0;
    for (const unsigned char *s = (const unsigned char *)text; *s != '\0'; ++s) {
        width += font->widths[*s];
    }
    return width;
}

void FreeFont(BitmapFont *font) {
    if (font == nullptr) {
        return;
    }
    delete[] font->widths;
    delete[] font->pixels;
    if (font->image != nullptr) {
        SDL_FreeSurface(font->image);
    }
    delete font;
}
