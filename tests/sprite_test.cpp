#include <gtest/gtest.h>

#include "game/game.h"
#include "sprites/ticks.h"
#include "tests/support.h"

namespace {

class SpriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        OpenTestScreen();
        WriteSpriteSet(tmp / "three", 3, 10, 10, 100);
        WriteSpriteSet(tmp / "one", 1, 10, 10, 100);
        ASSERT_EQ(three.Load((tmp / "three").c_str()), 0);
        ASSERT_EQ(one.Load((tmp / "one").c_str()), 0);
    }
    void TearDown() override { ClearFakeTicks(); }

    // Draws at time t and returns the frame shown.
    int DrawAt(Sprite &s, Uint32 t) {
        SetFakeTicks(t);
        s.Draw();
        return s.frame;
    }

    TempDir tmp;
    SpriteSet three;
    SpriteSet one;
};

TEST_F(SpriteTest, InitStartsAnimationOnlyForSetsOfSeveralFrames) {
    Sprite a;
    a.frame = 2;
    a.SetPos(5, 6);
    a.Init(&three, screen);
    EXPECT_EQ(a.animating, 1);
    EXPECT_EQ(a.backSave, nullptr); // made by the first save, not by Init
    EXPECT_EQ(a.frame, 2);          // Init leaves the frame and position alone
    EXPECT_EQ(a.GetX(), 5.0f);
    a.SaveBackground();
    ASSERT_NE(a.backSave, nullptr);
    EXPECT_EQ(a.backSave->w, 10);

    Sprite b;
    b.Init(&one, screen);
    EXPECT_EQ(b.animating, 0);
    b.StartAnim();
    b.Init(&one, screen);
    EXPECT_EQ(b.animating, 1); // a one-frame set leaves the flag as it was

    SpriteSet never;
    Sprite c;
    c.Init(&never, screen);
    EXPECT_EQ(c.backSave, nullptr);
    EXPECT_EQ(c.animating, 0);
    c.Draw(); // a set that never loaded draws nothing and does not crash
    EXPECT_EQ(c.GetWidth(), 0.0);
}

TEST_F(SpriteTest, FrameChangesStrictlyAfterItsPause) {
    Sprite s;
    s.Init(&three, screen);
    s.SetSpeed(1.0f);
    s.lastFrameTick = 1000;
    EXPECT_EQ(DrawAt(s, 1100), 0); // exactly the pause: no change
    EXPECT_EQ(DrawAt(s, 1101), 1);
    EXPECT_EQ(s.lastFrameTick, 1101);
    // Drawing every 10 ms changes about every 110 ms.
    int changes = 0;
    int shown = s.frame;
    Uint32 lastChange = 1101;
    for (Uint32 t = 1111; t < 1500; t += 10) {
        if (DrawAt(s, t) != shown) {
            EXPECT_EQ(t - lastChange, 110u);
            lastChange = t;
            shown = s.frame;
            ++changes;
        }
    }
    EXPECT_EQ(changes, 3);

    // The change time is a 32-bit float: past 2^24 ms (about 4.7 hours of
    // uptime) the last change at 16777219 counts as 16777220, so the change
    // due at 16777319 comes only after 16777320.
    s.SetFrame(0);
    s.lastFrameTick = 16777219;
    EXPECT_EQ(DrawAt(s, 16777320), 0);
    EXPECT_EQ(DrawAt(s, 16777322), 1);
}

TEST_F(SpriteTest, OneChangePerDrawAndWrapToFrameZero) {
    Sprite s;
    s.Init(&three, screen);
    s.SetSpeed(1.0f);
    EXPECT_EQ(DrawAt(s, 100000), 1); // a long gap still advances once
    EXPECT_EQ(DrawAt(s, 100101), 2);
    EXPECT_EQ(DrawAt(s, 100202), 0);
    // Speed 0 changes on every draw at which the clock has moved on.
    s.SetSpeed(0.0f);
    EXPECT_EQ(DrawAt(s, 100202), 0);
    EXPECT_EQ(DrawAt(s, 100203), 1);

    Sprite single;
    single.Init(&one, screen);
    single.StartAnim();
    EXPECT_EQ(DrawAt(single, 5000), 0);
    EXPECT_EQ(DrawAt(single, 9000), 0);
}

TEST_F(SpriteTest, StopAndStartKeepTheFrameAndTheLastChange) {
    Sprite s;
    s.Init(&three, screen);
    s.SetSpeed(1.0f);
    DrawAt(s, 500);
    s.StopAnim();
    EXPECT_EQ(DrawAt(s, 5000), 1);
    s.StartAnim();
    EXPECT_EQ(s.lastFrameTick, 500);
    EXPECT_EQ(DrawAt(s, 5001), 2); // the change comes at once
}

TEST_F(SpriteTest, PositionsTruncateTowardZeroWhenDrawn) {
    Sprite s;
    s.Init(&one, screen);
    SDL_FillRect(screen, nullptr, 0);
    s.SetPos(-0.7f, 20.9f);
    s.Draw();
    EXPECT_EQ(PixelAt(screen, 0, 20), 0x285078u); // frame colour (40, 80, 120)
    EXPECT_EQ(PixelAt(screen, 9, 29), 0x285078u);
    EXPECT_EQ(PixelAt(screen, 10, 20), 0u);
    EXPECT_EQ(PixelAt(screen, 0, 19), 0u);

    SDL_FillRect(screen, nullptr, 0);
    s.SetPos(-1.5f, 0.0f);
    s.Draw();
    EXPECT_EQ(PixelAt(screen, 8, 0), 0x285078u);
    EXPECT_EQ(PixelAt(screen, 9, 0), 0u);
}

TEST_F(SpriteTest, FrameIndexBeyondAReloadedSetIsBroughtBackIntoRange) {
    Sprite s;
    s.Init(&three, screen);
    s.StopAnim();
    s.SetFrame(2);
    ASSERT_EQ(three.Load((tmp / "one").c_str()), 0);
    s.Draw();
    EXPECT_EQ(s.frame, 0);
}

TEST_F(SpriteTest, SaveAndRestoreBackground) {
    Sprite s;
    s.Init(&one, screen);
    s.RestoreBackground(); // never drawn: does nothing
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 7, 7, 7));
    s.SetPos(30, 40);
    s.SaveBackground();
    EXPECT_EQ(s.oldPos.x, 30.0f);
    s.Draw();
    EXPECT_EQ(PixelAt(screen, 35, 45), 0x285078u);
    s.SetPos(100, 100);
    s.RestoreBackground();
    EXPECT_EQ(PixelAt(screen, 35, 45), 0x070707u);
}

} // namespace
