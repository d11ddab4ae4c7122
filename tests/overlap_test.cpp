#include <gtest/gtest.h>

#include "game/game.h"
#include "sprites/overlap.h"
#include "tests/support.h"

namespace {

class OverlapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        OpenTestScreen();
        WriteSpriteSet(tmp / "hundred", 1, 100, 100);
        ASSERT_EQ(set.Load((tmp / "hundred").c_str()), 0);
        a.Init(&set, screen);
        b.Init(&set, screen);
    }
    bool Both(float ax, float ay, float bx, float by) {
        a.SetPos(ax, ay);
        b.SetPos(bx, by);
        bool ab = Overlaps(a, b);
        EXPECT_EQ(ab, Overlaps(b, a)) << "not symmetric";
        return ab;
    }
    TempDir tmp;
    SpriteSet set;
    Sprite a, b;
};

TEST_F(OverlapTest, OnlyTheMiddleEightyPercentCounts) {
    EXPECT_TRUE(Both(0, 0, 80, 0));     // edges meet at 90.0: touching overlaps
    EXPECT_FALSE(Both(0, 0, 80.5f, 0)); // just apart
    EXPECT_TRUE(Both(0, 0, 0, 80));
    EXPECT_FALSE(Both(0, 0, 0, 80.5f));
    EXPECT_FALSE(Both(0, 0, 85, 85)); // pictures overlap only in their margins
    EXPECT_TRUE(Both(0, 0, 10, 10));  // well inside
    EXPECT_TRUE(Both(0, 0, 0, 0));
    // 0.000003 px apart: edges at 90.3000000119 and 90.3000030518 only look
    // equal in single precision.
    EXPECT_FALSE(Both(0.3f, 0, 80.3f, 0));
    EXPECT_FALSE(Both(0, 0.3f, 0, 80.3f));
}

TEST_F(OverlapTest, SpritesWithoutFramesNeverCollide) {
    SpriteSet never;
    Sprite ghost;
    ghost.Init(&never, screen);
    a.SetPos(0, 0);
    EXPECT_FALSE(Overlaps(ghost, a));
    EXPECT_FALSE(Overlaps(a, ghost));
    Sprite unbound;
    EXPECT_FALSE(Overlaps(unbound, a));
}

} // namespace
