#include "sprites/sprite.h"

#include "sprites/image.h"
#include "sprites/rect.h"
#include "sprites/ticks.h"

void Sprite::Init(SpriteSet *newSet, SDL_Surface *newTarget) {
    set = newSet;
    if (set != nullptr && set->built) {
        if (set->frameCount > 1) {
            animating = 1;
        }
        // The background copy is made from the new set when first needed:
        // the 113 sprites of a level would otherwise each hold a copy of
        // their set's first frame that no rule of the game ever uses.
        ReplaceSurface(&backSave, nullptr);
    }
    target = newTarget;
}

void Sprite::Draw() {
    if (set == nullptr || set->frameCount <= 0) {
        return; // nothing loaded to show or to animate
    }
    // A set loaded again may hold fewer frames than the index points at.
    if (frame < 0 || frame >= set->frameCount) {
        frame = 0;
    }
    if (animating == 1) {
        float changeTime = (float)lastFrameTick + (float)set->Pause(frame) * speed;
        // One change at most per draw, however long the gap; the next change
        // counts from this one.
        if ((float)GetTicks() > changeTime) {
            frame += 1;
            if (frame > set->frameCount - 1) {
                frame = 0;
            }
            lastFrameTick = (int)GetTicks();
        }
    }
    if (drawn == 0) {
        drawn = 1;
    }
    DrawStill();
}

void Sprite::DrawStill() {
    SDL_Surface *image = set != nullptr ? set->Image(frame) : nullptr;
    if (image == nullptr || target == nullptr) {
        return;
    }
    SDL_Rect dest = {ToRectCoord(pos.x), ToRectCoord(pos.y), 0, 0};
    SDL_UpperBlit(image, nullptr, target, &dest);
}

void Sprite::SaveBackground() {
    if (backSave == nullptr && set != nullptr && set->Image(0) != nullptr) {
        backSave = SDL_DisplayFormat(set->Image(0)); // the size and format of frame 0
    }
    if (backSave != nullptr && target != nullptr && set != nullptr) {
        SDL_Rect source = {ToRectCoord(pos.x), ToRectCoord(pos.y), (Uint16)set->w, (Uint16)set->h};
        SDL_Rect dest = {0, 0, 0, 0};
        SDL_UpperBlit(target, &source, backSave, &dest);
    }
    oldPos.Copy(pos);
}

void Sprite::RestoreBackground() {
    if (drawn != 1 || backSave == nullptr || target == nullptr) {
        return;
    }
    SDL_Rect dest = {ToRectCoord(oldPos.x), ToRectCoord(oldPos.y), 0, 0};
    SDL_UpperBlit(backSave, nullptr, target, &dest);
}
