#include "files/bindings.h"
#include "files/settings.h"
#include "tests/game_fixtures.h"
#include "window/input.h"

#include "game/seams.h"

#include <cstring>
#include <vector>

namespace {

using PlayLoopTest = PlayFixture;

TEST_F(PlayLoopTest, TimeStepRunsWhilePausedButTheClockStandsStill) {
    StepAt(1000);
    EXPECT_FLOAT_EQ(game.dt, 100.0f); // the first step covers all time since start
    EXPECT_FLOAT_EQ(game.clock, 1000.0f);
    PushKey(SDLK_p);
    StepAt(1100);
    EXPECT_EQ(game.paused, 1);
    EXPECT_FLOAT_EQ(game.clock, 1100.0f);
    StepAt(2000);
    EXPECT_FLOAT_EQ(game.dt, 90.0f);
    EXPECT_FLOAT_EQ(game.clock, 1100.0f);
    PushKey(SDLK_p);
    StepAt(2100);
    EXPECT_EQ(game.paused, 0);
    EXPECT_FLOAT_EQ(game.clock, 1100.0f);
    StepAt(2110);
    EXPECT_FLOAT_EQ(game.dt, 1.0f); // no jump after the pause
    EXPECT_FLOAT_EQ(game.clock, 1110.0f);
}

TEST_F(PlayLoopTest, FrameCounterFillsTheCaptionOncePerSecond) {
    char *caption = nullptr;
    StepAt(500);
    SDL_WM_GetCaption(&caption, nullptr);
    EXPECT_STREQ(caption, "Quarndel: 0");
    // 50 frames 10 ms apart close the first window at 1010 ms.
    Steps(51);
    EXPECT_EQ(game.fps, 52.0f);
    SDL_WM_GetCaption(&caption, nullptr);
    EXPECT_STREQ(caption, "Quarndel: 52");
    Steps(150);
    EXPECT_GE(game.fps, 100.0f); // the next window closes just over a second later
    EXPECT_LE(game.fps, 101.0f);
    // Only running frames count: iterations while paused neither count nor
    // close a window.
    PushKey(SDLK_p);
    Steps(50);
    PushKey(SDLK_p);
    Steps(20);
    EXPECT_GE(game.fps, 50.0f);
    EXPECT_LE(game.fps, 52.0f);
}

TEST_F(PlayLoopTest, RulesRunInTheirFixedOrder) {
    // Steering comes before the drawing: the ship is drawn where it moved.
    Hold(SDLK_RIGHT);
    StepAt(10);
    Hold(SDLK_RIGHT, false);
    EXPECT_EQ(ship.sprite.GetX(), 82.0f);
    EXPECT_EQ(PixelAt(screen, 82, 140), 0x285078u);

    // The level-picture timer fires before the spawn timer in the same frame.
    StepAt(6001);
    EXPECT_EQ(game.showLevelImage, 0);
    EXPECT_EQ(enemies.active[0], 1);
    // Enemies move before the spawn: the new enemy has not moved yet.
    EXPECT_EQ(enemies.sprites[0].GetX(), 640.0f);

    // Shots move before the boss is tested: a shot moved into the boss hits.
    boss.Appear();
    PlaceShot(0, 400, 200); // moves 35 px into the boss's box at x 440
    enemies.active[0] = 0;
    int score = ship.score;
    StepAt(6101);
    EXPECT_EQ(shots.activeA[0], 0);
    EXPECT_EQ(ship.score, score + 1);

    // The boss rams before the enemies: the ship it hit is protected when an
    // enemy on the same spot is tested.
    ship.sprite.SetPos(460, 150);
    PlaceEnemy(0, 460, 150, 3);
    StepAt(6111);
    EXPECT_EQ(boss.hp, 8);
    EXPECT_EQ(enemies.active[0], 1);
    EXPECT_EQ(ship.lives, 0);

    // Protection ends after the boss and the enemies are tested: in the frame
    // it runs out the ship still passes through both.
    game.hitTime = game.clock - 2995.0f;
    ship.sprite.SetPos(460, 150);
    PlaceEnemy(0, 460, 150, 3);
    StepAt(6121);
    EXPECT_FALSE(ship.Protected());
    EXPECT_EQ(boss.hp, 8);
    EXPECT_EQ(enemies.active[0], 1);
    EXPECT_EQ(ship.lives, 0);
    enemies.active[0] = 0;
    ship.sprite.SetPos(80, 140);

    // The end of the level comes last: the boss that appears is not tested
    // against the shots until the next frame, and the spawn timer ran before
    // it appeared.
    boss.active = 0;
    ship.distance = level.distance;
    game.lastSpawnTime = 0;
    PlaceShot(1, 440, 200); // inside the box the boss appears with
    StepAt(6131);
    EXPECT_EQ(boss.active, 1);
    EXPECT_EQ(boss.hp, 2 + 8);
    EXPECT_EQ(shots.activeA[1], 1);
    EXPECT_EQ(enemies.active[0], 1);
}

TEST_F(PlayLoopTest, BossComesOnTheFrameAfterTheDistanceIsFlown) {
    StepAt(10);
    game.showLevelImage = 0;
    game.lastSpawnTime = 1e9f; // no enemies in the way
    Steps(638);
    EXPECT_EQ(ship.distance, 0);
    Steps(1);
    EXPECT_EQ(ship.distance, 1); // the 640th drawn frame
    EXPECT_EQ(boss.active, 0);
    Steps(1);
    EXPECT_EQ(boss.active, 1);
    EXPECT_EQ(boss.hp, 2 + 0 + 8);
}

TEST_F(PlayLoopTest, LevelPictureTimerRunsFreelyAcrossLevelChanges) {
    StepAt(100);
    EXPECT_EQ(game.showLevelImage, 1);
    StepAt(6000);
    EXPECT_EQ(game.showLevelImage, 1); // exactly six seconds is not over them
    StepAt(6101);
    EXPECT_EQ(game.showLevelImage, 0);
    EXPECT_FLOAT_EQ(game.levelImageTime, 6101.0f);
    // A level change at 11000 shows the new picture only until about 12101.
    game.showLevelImage = 1;
    StepAt(11000);
    EXPECT_EQ(game.showLevelImage, 1);
    StepAt(12095);
    EXPECT_EQ(game.showLevelImage, 1);
    StepAt(12110);
    EXPECT_EQ(game.showLevelImage, 0);
}

TEST_F(PlayLoopTest, SpaceFiresOnlyInARunningGame) {
    StepAt(10);
    PushKey(SDLK_SPACE);
    StepAt(20);
    EXPECT_EQ(shots.activeA[0], 1);
    PushKey(SDLK_p);
    PushKey(SDLK_SPACE);
    StepAt(30);
    EXPECT_EQ(shots.activeA[1], 0);
    PushKey(SDLK_p);
    StepAt(40);
    game.gameOver = 1;
    PushKey(SDLK_SPACE);
    StepAt(50);
    EXPECT_EQ(shots.activeA[1], 0);
}

TEST_F(PlayLoopTest, NewGameOnlyAfterGameOverAndKeepsPauseAndDifficulty) {
    ship.score = 50;
    PushKey(SDLK_n);
    StepAt(10);
    EXPECT_EQ(ship.score, 50); // N does nothing in a running game
    EXPECT_EQ(ship.lives, 1);

    difficulty = 2;
    game.gameOver = 1;
    game.paused = 1;
    game.levelImageTime = 4000.0f;
    game.lastSpawnTime = 4500.0f;
    game.hitTime = 3000.0f;
    ship.distance = 4;
    ship.sprite.SetSpeed(1.0f); // still protected from the last hit
    PushKey(SDLK_n);
    StepAt(5000);
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(game.paused, 1);
    EXPECT_EQ(difficulty, 2);
    EXPECT_EQ(ship.score, 0);
    EXPECT_EQ(ship.lives, 3);
    EXPECT_EQ(ship.distance, 0);
    EXPECT_EQ(game.showLevelImage, 1);
    EXPECT_EQ(game.clock, 0.0f);
    EXPECT_EQ(game.levelImageTime, 0.0f);
    EXPECT_EQ(game.lastSpawnTime, 0.0f);
    EXPECT_EQ(game.hitTime, 0.0f);
    EXPECT_EQ(ship.sprite.GetSpeed(), 1.0f);
    EXPECT_EQ(ship.sprite.animating, 0);
    ExpectEffects({{GameEvent::NewGame, 1}});
}

TEST_F(PlayLoopTest, LevelOptionStartsPlayAndEveryNewGameAtThatLevel) {
    EXPECT_EQ(level.levelNumber, 1); // without --level play starts at data/level_1
    launch.firstLevel = "data/level_2";
    game.EnterPlay();
    EXPECT_EQ(level.levelNumber, 2);
    level.Load("data/level_1");
    game.gameOver = 1;
    PushKey(SDLK_n);
    StepAt(10);
    EXPECT_EQ(level.levelNumber, 2);
    launch = LaunchChoices();
}

TEST_F(PlayLoopTest, EscapeDrawsALastFrameWithTheGameOverPicture) {
    StepAt(10);
    PushKey(SDLK_ESCAPE);
    EXPECT_TRUE(StepAt(20));
    EXPECT_EQ(game.quit, 1);
    EXPECT_EQ(PixelAt(screen, 12, 40), 0x780078u);
    game.RunPlay(); // the loop is over
}

TEST_F(PlayLoopTest, PausingDrawsOneStillFrameWithThePausedPicture) {
    StepAt(10);
    StepAt(20);
    float offset = game.scrollOffset;
    PushKey(SDLK_p);
    EXPECT_TRUE(StepAt(30));
    EXPECT_EQ(PixelAt(screen, 250, 120), 0x5a5a00u);
    EXPECT_EQ(game.scrollOffset, offset);
    EXPECT_EQ(PixelAt(screen, 300, 300), ColumnColour(301)); // the scene as last drawn
    EXPECT_FALSE(StepAt(40));                                // then nothing is drawn
    game.gameOver = 1;
    game.paused = 0;
    EXPECT_FALSE(StepAt(50));
}

// The paused picture belongs to a running game: during a game over P toggles
// the flag and the game-over frame stays as it was.
TEST_F(PlayLoopTest, PDuringAGameOverTogglesThePauseAndDrawsNothing) {
    StepAt(10);
    game.gameOver = 1;
    game.DrawPlay();
    std::vector<Uint32> before;
    for (int y = 0; y < 480; y += 4) {
        for (int x = 0; x < 640; x += 4) {
            before.push_back(PixelAt(screen, x, y));
        }
    }
    for (int press = 1; press <= 2; ++press) {
        PushKey(SDLK_p);
        EXPECT_FALSE(StepAt(10 + 10 * press));
        EXPECT_EQ(game.paused, press % 2);
        EXPECT_FALSE(StepAt(15 + 10 * press));
        size_t i = 0;
        for (int y = 0; y < 480; y += 4) {
            for (int x = 0; x < 640; x += 4) {
                ASSERT_EQ(PixelAt(screen, x, y), before[i++]) << x << "," << y;
            }
        }
    }
}

TEST_F(PlayLoopTest, GamepadSteersFiresAndPausesLikeTheKeys) {
    StepAt(10);
    float x = ship.sprite.GetX();
    float y = ship.sprite.GetY();
    PushAxis(0, 32767);
    StepAt(20);
    EXPECT_EQ(ship.sprite.GetX(), x + 2);
    StepAt(30); // held like a key
    EXPECT_EQ(ship.sprite.GetX(), x + 4);
    PushAxis(0, 4000); // back inside the dead zone
    PushAxis(1, -kStickDeadZone);
    StepAt(40);
    EXPECT_EQ(ship.sprite.GetX(), x + 4);
    EXPECT_EQ(ship.sprite.GetY(), y);
    EXPECT_EQ(game.keys[SDLK_RIGHT], 0);
    EXPECT_EQ(game.keys[SDLK_UP], 0);

    PushHat(SDL_HAT_UP | SDL_HAT_LEFT);
    StepAt(50);
    EXPECT_EQ(ship.sprite.GetX(), x + 2);
    EXPECT_EQ(ship.sprite.GetY(), y - 2);
    // The stick and the hat each hold the arrow until both let go.
    PushAxis(0, -32768);
    PushHat(SDL_HAT_CENTERED);
    StepAt(60);
    EXPECT_EQ(ship.sprite.GetX(), x);
    EXPECT_EQ(ship.sprite.GetY(), y - 2);
    PushAxis(0, 32767); // straight across: left lets go, right holds
    StepAt(70);
    EXPECT_EQ(game.keys[SDLK_LEFT], 0);
    EXPECT_EQ(ship.sprite.GetX(), x + 2);
    PushAxis(0, 0);
    StepAt(80);
    EXPECT_EQ(ship.sprite.GetX(), x + 2);

    PushButton(kButtonFire, true);
    PushButton(kButtonFire, false);
    StepAt(90);
    EXPECT_EQ(shots.activeA[0], 1);
    EXPECT_EQ(game.keys[SDLK_SPACE], 0);
    PushButton(kButtonStart, true);
    StepAt(100);
    EXPECT_EQ(game.paused, 1);
    PushButton(kButtonStart, false);
    PushButton(kButtonStart, true);
    StepAt(110);
    EXPECT_EQ(game.paused, 0);
    game.gameOver = 1;
    PushButton(kButtonNewGame, true);
    StepAt(120);
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(ship.lives, 3);
    ExpectEffects({{GameEvent::ShotFired, 1}, {GameEvent::NewGame, 1}});
    // Back quits only once held for a second.
    PushButton(kButtonBack, true);
    StepAt(130);
    StepAt(130 + kQuitHoldMs - 1);
    EXPECT_EQ(game.quit, 0);
    StepAt(130 + kQuitHoldMs);
    EXPECT_EQ(game.quit, 1);
}

// Presses or releases a key as the keyboard does: the event, and SDL's entry.
void Key(SDLKey key, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_GetKeyState(nullptr)[key] = down ? 1 : 0;
    SDL_PushEvent(&event);
}

TEST_F(PlayLoopTest, BoundKeysMoveFirePauseAndQuitLikeTheDocumentedOnes) {
    WriteFile("bindings.ini", "right = d\nfire = left ctrl\npause = q\nquit = x\n");
    LoadSettings("bindings.ini", stderr);
    OpenGamepad(); // binds the keys read
    StepAt(10);
    float x = ship.sprite.GetX();
    Key(SDLK_d, true);
    StepAt(20);
    EXPECT_EQ(ship.sprite.GetX(), x + 2);
    EXPECT_EQ(game.keys[SDLK_RIGHT], 1);
    Key(SDLK_RIGHT, true); // both held: letting go of one keeps the arrow
    Key(SDLK_d, false);
    StepAt(30);
    EXPECT_EQ(ship.sprite.GetX(), x + 4);
    Key(SDLK_RIGHT, false);
    StepAt(40);
    EXPECT_EQ(ship.sprite.GetX(), x + 4);
    Key(SDLK_LCTRL, true);
    StepAt(50);
    EXPECT_EQ(shots.activeA[0], 1);
    Key(SDLK_LCTRL, false);
    Key(SDLK_q, true);
    StepAt(60);
    EXPECT_EQ(game.paused, 1);
    Key(SDLK_q, false);
    Key(SDLK_x, true);
    StepAt(70);
    EXPECT_EQ(game.quit, 1);
}

TEST_F(PlayLoopTest, APlayStationPadsTriggerDoesNotQuitAndItsOwnButtonsWork) {
    UsePadLayout(LayoutOfPad("Sony PLAYSTATION(R)3 Controller"));
    StepAt(10);
    PushButton(6, true); // the left trigger there, Back on an Xbox pad
    StepAt(20);
    StepAt(20 + 2 * kQuitHoldMs);
    EXPECT_EQ(game.quit, 0);
    PushButton(6, false);
    PushButton(9, true); // Options: pause
    StepAt(3000);
    EXPECT_EQ(game.paused, 1);
    PushButton(8, true); // Share, held
    StepAt(3010);
    StepAt(3010 + kQuitHoldMs);
    EXPECT_EQ(game.quit, 1);
}

TEST_F(PlayLoopTest, TheStickLetsGoOfNothingTheKeyboardHoldsAndDoesNotChatter) {
    StepAt(10);
    float y = ship.sprite.GetY();
    Key(SDLK_DOWN, true);
    PushAxis(1, 32767);
    StepAt(20);
    PushAxis(1, 0); // the stick lets go; the keyboard still holds Down
    StepAt(30);
    EXPECT_EQ(game.keys[SDLK_DOWN], 1);
    EXPECT_EQ(ship.sprite.GetY(), y + 4);
    Key(SDLK_DOWN, false);
    StepAt(40);
    EXPECT_EQ(game.keys[SDLK_DOWN], 0);
    // Down let go while the window was out of focus: no event, and SDL's
    // array says so on the way back; the stick's release then lets go.
    Key(SDLK_DOWN, true);
    PushAxis(1, 32767);
    StepAt(41);
    SDL_GetKeyState(nullptr)[SDLK_DOWN] = 0;
    SDL_Event focus = {};
    focus.type = SDL_ACTIVEEVENT;
    focus.active.gain = 1;
    focus.active.state = SDL_APPINPUTFOCUS;
    SDL_PushEvent(&focus);
    StepAt(42);
    EXPECT_EQ(game.keys[SDLK_DOWN], 1); // the stick still holds it
    PushAxis(1, 0);
    StepAt(43);
    EXPECT_EQ(game.keys[SDLK_DOWN], 0);
    // Near the edge: taken beyond the dead zone, let go only well inside it.
    PushAxis(0, kStickDeadZone + 1);
    StepAt(50);
    EXPECT_EQ(game.keys[SDLK_RIGHT], 1);
    PushAxis(0, kStickDeadZone - 1);
    PushAxis(0, kStickRelease + 1);
    StepAt(60);
    EXPECT_EQ(game.keys[SDLK_RIGHT], 1);
    PushAxis(0, kStickRelease - 1);
    StepAt(70);
    EXPECT_EQ(game.keys[SDLK_RIGHT], 0);
    PushAxis(0, kStickRelease + 1); // from rest, the dead zone counts again
    StepAt(80);
    EXPECT_EQ(game.keys[SDLK_RIGHT], 0);
}

// The stick's dead zone on both axes and both ways: a stick exactly at the
// dead zone is centred, one step past it holds the arrow.
TEST_F(PlayLoopTest, StickSteersOnlyPastTheDeadZone) {
    struct Tilt {
        Uint8 axis;
        Sint16 value;
        SDLKey steers; // SDLK_UNKNOWN: no arrow held
    } tilts[] = {
        {0, -kStickDeadZone, SDLK_UNKNOWN}, {0, -kStickDeadZone - 1, SDLK_LEFT},
        {0, kStickDeadZone, SDLK_UNKNOWN},  {0, kStickDeadZone + 1, SDLK_RIGHT},
        {1, -kStickDeadZone, SDLK_UNKNOWN}, {1, -kStickDeadZone - 1, SDLK_UP},
        {1, kStickDeadZone, SDLK_UNKNOWN},  {1, kStickDeadZone + 1, SDLK_DOWN},
    };
    PushAxis(0, 0);
    PushAxis(1, 0);
    StepAt(10);
    for (const Tilt &t : tilts) {
        PushAxis(t.axis, t.value);
        StepAt(now + 10);
        for (SDLKey key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}) {
            EXPECT_EQ(game.keys[key], key == t.steers ? 1 : 0)
                << "axis " << (int)t.axis << " at " << t.value << ", key " << key;
        }
        PushAxis(t.axis, 0);
        StepAt(now + 10);
    }
}

} // namespace
