#include "sprites/overlap.h"

namespace {

struct Box {
    double left, right, top, bottom;
};

// Only the middle 80 % of a sprite counts, so the transparent margins of the
// frames do not make hits.
Box HitBox(const Sprite &s) {
    double x = s.GetX();
    double y = s.GetY();
    double w = s.GetWidth();
    double h = s.GetHeight();
    return {x + w * 0.1, x + w * 0.9, y + h * 0.1, y + h * 0.9};
}

} // namespace

bool Overlaps(const Sprite &a, const Sprite &b) {
    if (!a.HasSize() || !b.HasSize()) {
        return false;
    }
    Box ba = HitBox(a);
    Box bb = HitBox(b);
    // Strict comparisons: boxes that share an edge overlap.
    if (ba.bottom < bb.top) {
        return false;
    }
    if (ba.top > bb.bottom) {
        return false;
    }
    if (ba.right < bb.left) {
        return false;
    }
    if (ba.left > bb.right) {
        return false;
    }
    return true;
}
