/* The picture conversion the browser build meets at start-up and at every
 * level: a 24-bit BMP as loaded (blue, green, red bytes) to the 32-bit screen
 * (red, green and blue at 16, 8 and 0). SDL's own choice for it is its
 * catch-all per-pixel converter, which decodes and encodes every pixel through
 * the formats' masks and shifts; this gives the same pixels with three byte
 * reads and one store, and is plain enough for the browser's engine to compile
 * and run fast while the pictures load. The build's copy of SDL_blit_N.c
 * (web/build.sh) picks it where it would pick the catch-all. */
#include "SDL_video.h"

/* SDL's private blitter records, which need SDL_video.h first */
#include "SDL_blit.h"

int SDL_WebBlit24to32Fits(SDL_PixelFormat *srcfmt, SDL_PixelFormat *dstfmt) {
    return srcfmt->BytesPerPixel == 3 && srcfmt->Rmask == 0x00FF0000 &&
           srcfmt->Gmask == 0x0000FF00 && srcfmt->Bmask == 0x000000FF && srcfmt->Amask == 0 &&
           dstfmt->BytesPerPixel == 4 && dstfmt->Rmask == 0x00FF0000 &&
           dstfmt->Gmask == 0x0000FF00 && dstfmt->Bmask == 0x000000FF;
}

void SDL_WebBlit24to32(SDL_BlitInfo *info) {
    int width = info->d_width;
    int height = info->d_height;
    const Uint8 *src = info->s_pixels;
    Uint8 *dst = info->d_pixels;
    SDL_PixelFormat *dstfmt = info->dst;
    /* As the catch-all: the source's surface alpha where the screen has an
     * alpha channel, nothing where it has none. */
    unsigned alpha = dstfmt->Amask ? info->src->alpha : 0;
    Uint32 alphaBits = (Uint32)((alpha >> dstfmt->Aloss) << dstfmt->Ashift);
    int x;

    while (height--) {
        Uint32 *out = (Uint32 *)dst;
        for (x = 0; x < width; ++x) {
            out[x] = ((Uint32)src[2] << 16) | ((Uint32)src[1] << 8) | src[0] | alphaBits;
            src += 3;
        }
        src += info->s_skip;
        dst += width * 4 + info->d_skip;
    }
}
