#include "tests/game_fixtures.h"

namespace {

class PlayScreenTest : public PlayFixture {
  protected:
    // Draws one play frame with the scroll at offset o.
    void DrawAtOffset(float o) {
        game.scrollOffset = o;
        game.DrawPlay();
    }
    static bool White(Uint32 rgb) { return rgb == 0xffffffu || rgb == 0xfefefeu; }
};

TEST_F(PlayScreenTest, BackgroundPiecesFollowTheScrollOffset) {
    const int row = 300; // clear of texts, pictures and sprites
    DrawAtOffset(0);
    for (int x : {0, 1, 320, 638, 639}) {
        EXPECT_EQ(PixelAt(screen, x, row), ColumnColour(x)) << "o=0 x=" << x;
    }
    DrawAtOffset(1);
    EXPECT_EQ(PixelAt(screen, 0, row), ColumnColour(1));
    EXPECT_EQ(PixelAt(screen, 637, row), ColumnColour(638));
    EXPECT_EQ(PixelAt(screen, 638, row), ColumnColour(0)); // the second piece covers it
    EXPECT_EQ(PixelAt(screen, 639, row), 0u);              // the last column stays black
    DrawAtOffset(639);
    EXPECT_EQ(PixelAt(screen, 0, row), ColumnColour(0));
    EXPECT_EQ(PixelAt(screen, 638, row), ColumnColour(638));
    EXPECT_EQ(PixelAt(screen, 639, row), 0u);
    DrawAtOffset(100);
    EXPECT_EQ(PixelAt(screen, 539, row), ColumnColour(0)); // starts at 639 - o
    EXPECT_EQ(PixelAt(screen, 538, row), ColumnColour(638));
}

TEST_F(PlayScreenTest, EveryWrapOfTheBackgroundIsOneScreenOfDistance) {
    game.scrollOffset = 0;
    for (int frame = 1; frame <= 1920; ++frame) {
        game.DrawPlay();
        if (frame == 639) {
            EXPECT_EQ(ship.distance, 0);
        }
        if (frame == 640) {
            EXPECT_EQ(ship.distance, 1);
            EXPECT_EQ(game.scrollOffset, 0.0f);
        }
    }
    EXPECT_EQ(ship.distance, 3);
    // The scroll is kept across a new level.
    game.scrollOffset = 123;
    level.Setup();
    EXPECT_EQ(game.scrollOffset, 123.0f);
    EXPECT_EQ(ship.distance, 0);
}

TEST_F(PlayScreenTest, TextsStandAtTheirPlaces) {
    // The test font is a solid white block 8 px per character, 16 px high.
    DrawAtOffset(0);
    for (auto [x, y] :
         {std::pair{5, 10}, {40, 460}, {100, 10}, {580, 10}, {220, 460}, {400, 460}}) {
        EXPECT_TRUE(White(PixelAt(screen, x + 1, y + 1))) << x << "," << y;
        EXPECT_FALSE(White(PixelAt(screen, x - 1, y + 1))) << x << "," << y;
    }
    // "Score: 0" is 8 characters: 64 px with a 2-px glyph window overhang.
    EXPECT_TRUE(White(PixelAt(screen, 5 + 64, 12)));
    EXPECT_FALSE(White(PixelAt(screen, 5 + 67, 12)));
    ship.score = 12345; // two more characters
    DrawAtOffset(0);
    EXPECT_TRUE(White(PixelAt(screen, 5 + 80, 12)));
}

TEST_F(PlayScreenTest, DrawOrderLayersPicturesTextsAndSprites) {
    // Level picture over the background, under the texts and sprites.
    game.showLevelImage = 1;
    DrawAtOffset(0);
    EXPECT_EQ(PixelAt(screen, 250, 120), 0xfafafau);
    game.showLevelImage = 0;
    DrawAtOffset(0);
    EXPECT_EQ(PixelAt(screen, 250, 120), ColumnColour(250));

    // Boss over ship, enemies over shots, sprites over texts.
    boss.Appear();
    ship.sprite.SetPos(430, 120);
    shots.laneA[0].SetFrame(0);
    shots.activeA[0] = 1;
    shots.laneA[0].SetPos(20, 300);
    enemies.active[0] = 1;
    enemies.sprites[0].SetFrame(1);
    enemies.sprites[0].SetPos(10, 290);
    enemies.sprites[1].SetPos(0, 0);
    enemies.active[1] = 1;
    enemies.sprites[1].SetFrame(0);
    DrawAtOffset(0);
    Uint32 bossPixel = PixelAt(screen, 440, 130);
    EXPECT_TRUE(bossPixel == 0x285078u || bossPixel == 0x295078u);
    EXPECT_EQ(PixelAt(screen, 25, 302), 0x295078u); // enemy frame 1 over the shot
    EXPECT_EQ(PixelAt(screen, 6, 11), 0x285078u);   // enemy over "Score:"

    // The game-over picture lies over everything.
    game.gameOver = 1;
    DrawAtOffset(0);
    EXPECT_EQ(PixelAt(screen, 15, 35), 0x780078u);
    EXPECT_EQ(PixelAt(screen, 309, 79), 0x780078u);
}

TEST_F(PlayScreenTest, LastLifeLostShowsMinusOneAndTheGameOverPicture) {
    ship.lives = 0;
    PlaceEnemy(0, ship.sprite.GetX(), ship.sprite.GetY(), 1);
    StepAt(10);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(ship.lives, -1);
    EXPECT_EQ(PixelAt(screen, 15, 35), 0x780078u);
    EXPECT_FALSE(StepAt(20)); // no later frame until a new game
}

} // namespace
