// A scripted player that records games for the replay tests. It runs the
// real game (start-up, title loop, play loop, pacing) with --record on SDL's
// dummy video driver and plays through the real event path: key presses are
// pushed into SDL's event queue as a keyboard would put them there, and held
// keys are set in SDL's key state array as the keyboard driver does. The
// game's own recording code writes the file.
//
//   replay_bot level2 OUT     Easy; plays through level 1 into level 2 for
//                             about three minutes of play, starting a new
//                             game with N whenever it loses, then Escape
//   replay_bot gameover OUT   Normal; pauses once, flies into the enemies
//                             until the game is over, N, plays on a little,
//                             then Escape
//   replay_bot short OUT      Start at once; once the level's picture is
//                             gone shoots for three seconds, then flies
//                             into the enemies until hit (15 seconds of
//                             play at most), then Escape: a fresh recording
//                             in about ten seconds, for the test run to
//                             verify
#include <cstdio>
#include <cstring>
#include <string>

#include "app/options.h"
#include "app/shell.h"
#include "game/events.h"
#include "game/game.h"
#include "game/pacer.h"
#include "replay/replay.h"

namespace {

constexpr Uint32 kIdleNapMs = 10;    // the play loop's own nap
constexpr int kFramesPerSecond = 60; // iterations of a running game
constexpr int kLevel2PlayFrames = 180 * kFramesPerSecond;
constexpr int kGameOverPlayOnFrames = 15 * kFramesPerSecond;
constexpr int kShortShootFrames = 3 * kFramesPerSecond;
constexpr int kShortMostFrames = 15 * kFramesPerSecond;
constexpr int kShortAfterHitFrames = kFramesPerSecond / 2;

enum Script { kLevel2, kGameOver, kShort };

void PushKey(SDLKey key, bool down) {
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
    SDL_GetKeyState(nullptr)[key] = down ? 1 : 0;
}

// Holds key down or lets it go, pushing an event only on a change.
void Hold(SDLKey key, bool down) {
    if ((SDL_GetKeyState(nullptr)[key] != 0) != down) {
        PushKey(key, down);
    }
}

struct Bot {
    bool ram = false; // fly into the enemies instead of shooting them
    int frame = 0;
    SDLKey release = SDLK_UNKNOWN; // a key pressed last iteration, let go now

    void Tap(SDLKey key) {
        PushKey(key, true);
        release = key;
    }

    // Steers the ship's shot line (or, ramming, the ship itself) onto the
    // nearest enemy ahead, or onto the boss, and fires.
    void Play() {
        if (release != SDLK_UNKNOWN) {
            PushKey(release, false);
            release = SDLK_UNKNOWN;
        }
        ++frame;
        float shipX = ship.sprite.GetX();
        float shipY = ship.sprite.GetY();
        float aimY = -1.0f;
        if (boss.active == 1) {
            aimY = boss.sprite.GetY() + (float)boss.set.h / 2;
        } else {
            float nearest = 1e9f;
            for (int i = 0; i < kEnemyCount; ++i) {
                float x = enemies.sprites[i].GetX();
                if (enemies.active[i] == 1 && x + enemies.set.w > shipX && x < nearest) {
                    nearest = x;
                    aimY = enemies.sprites[i].GetY() + (float)enemies.set.h / 2;
                }
            }
        }
        // The shot leaves 23 px below the ship's top.
        float lineY = ram ? shipY + (float)ship.set.h / 2 : shipY + 23.0f + shots.setA.h / 2.0f;
        bool up = aimY >= 0 && aimY < lineY - 3;
        bool down = aimY >= 0 && aimY > lineY + 3;
        Hold(SDLK_UP, up);
        Hold(SDLK_DOWN, down);
        if (!ram && frame % 8 == 0 && release == SDLK_UNKNOWN) {
            Tap(SDLK_SPACE);
        }
    }

    void LetGo() {
        Hold(SDLK_UP, false);
        Hold(SDLK_DOWN, false);
        if (release != SDLK_UNKNOWN) {
            PushKey(release, false);
            release = SDLK_UNKNOWN;
        }
    }
};

// The title: a look at the menu, the difficulty chosen, then Start; the
// short script only chooses Start.
void RunTitle(Script script) {
    const SDLKey easy[] = {SDLK_DOWN, SDLK_DOWN, SDLK_UP, SDLK_UP, SDLK_RETURN};
    const SDLKey hard[] = {SDLK_DOWN, SDLK_RETURN, SDLK_UP, SDLK_RETURN};
    const SDLKey start[] = {SDLK_RETURN};
    const SDLKey *keys = script == kGameOver ? hard : script == kShort ? start : easy;
    int count = script == kGameOver ? 4 : script == kShort ? 1 : 5;
    FramePacer pacer;
    int frame = 0;
    int next = 0;
    while (game.titleRunning == 1) {
        ++frame;
        // A key every half second, pressed for a few frames.
        if (next < count && frame % 30 == 0) {
            PushKey(keys[next], true);
        }
        if (next < count && frame % 30 == 5 && frame > 30) {
            PushKey(keys[next], false);
            ++next;
        }
        game.TitleStep();
        pacer.Wait();
    }
}

// The short script: once the level's title picture is gone, shoot for a
// while, then ram until a life is lost, then stop.
struct ShortScript {
    int lives = -1; // the lives the game starts with
    int playFrames = 0;
    int afterHit = 0;

    bool Done(Bot &bot) {
        if (lives < 0) {
            lives = ship.lives;
        }
        if (game.showLevelImage == 0 && ++playFrames == kShortShootFrames) {
            bot.ram = true;
        }
        if (ship.lives < lives) {
            ++afterHit;
        }
        return afterHit > kShortAfterHitFrames || bot.frame > kShortMostFrames;
    }
};

void RunPlay(Script script) {
    bool gameOverScript = script == kGameOver;
    FramePacer pacer;
    Bot bot;
    bot.ram = gameOverScript;
    ShortScript shortScript;
    int overFrames = 0;
    int playOnFrames = 0;
    bool newGame = false;
    int pauseFrames = 0;
    while (game.quit == 0) {
        if (game.gameOver == 1) {
            bot.LetGo();
            if (++overFrames == 2 * kFramesPerSecond) {
                PushKey(SDLK_n, true);
            } else if (overFrames == 2 * kFramesPerSecond + 4) {
                PushKey(SDLK_n, false);
                newGame = true;
                bot.ram = false;
                overFrames = 0;
            }
        } else if (gameOverScript && bot.frame == 5 * kFramesPerSecond && pauseFrames == 0) {
            // A pause of about two seconds, early in the game.
            bot.LetGo();
            bot.Tap(SDLK_p);
            pauseFrames = 1;
        } else if (game.paused == 1) {
            if (bot.release != SDLK_UNKNOWN) {
                PushKey(bot.release, false);
                bot.release = SDLK_UNKNOWN;
            }
            if (++pauseFrames == 200) { // idle naps of about 10 ms
                bot.Tap(SDLK_p);
            }
        } else {
            bot.Play();
            bool done = script == kGameOver ? newGame && ++playOnFrames > kGameOverPlayOnFrames
                        : script == kShort  ? shortScript.Done(bot)
                                            : bot.frame > kLevel2PlayFrames;
            if (done) {
                bot.LetGo();
                PushKey(SDLK_ESCAPE, true);
            }
        }
        if (game.PlayStep()) {
            pacer.Wait();
        } else if (game.quit == 0) {
            IdleNap(kIdleNapMs);
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    const char *names[] = {"level2", "gameover", "short"};
    int script = 0;
    while (argc == 3 && script < 3 && strcmp(argv[1], names[script]) != 0) {
        ++script;
    }
    if (argc != 3 || script == 3) {
        fprintf(stderr, "usage: replay_bot level2|gameover|short OUT\n");
        return 2;
    }
    options.record = argv[2];
    StartReplays(ReplayChoicesOf(options));
    InstallDesktopHooks();
    game.Init();
    RunTitle((Script)script);
    game.EnterPlay();
    RunPlay((Script)script);
    printf("score %d lives %d level %d\n", ship.score, ship.lives, level.levelNumber);
    FreeFont(font);
    return 0;
}
