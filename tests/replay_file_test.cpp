#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/options.h"
#include "game/events.h"
#include "game/game.h"
#include "levelsets/data_folder.h"
#include "replay/replay.h"
#include "replay/replay_digest.h"
#include "replay/replay_file.h"
#include "sprites/data_fingerprint.h"
#include "sprites/ticks.h"
#include "tests/support.h"
#include "window/sdl_library.h"

namespace {

const std::string kHead = "quarndel-replay 1\nseed 7\n";

Recording Parse(const std::string &text, std::string *error = nullptr) {
    Recording r;
    std::string message;
    bool ok = ParseRecording(text.data(), text.size(), r, message);
    if (error != nullptr) {
        *error = ok ? "" : message;
    } else {
        EXPECT_TRUE(ok) << message;
    }
    return r;
}

std::string ReadAll(const std::string &path) {
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (file != nullptr) {
        text = ReadBack(file);
        fclose(file);
    }
    return text;
}

// A key event as the keyboard driver makes it: queued, and the key state
// array set.
void RealKey(SDLKey key, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
    SDL_GetKeyState(nullptr)[key] = down ? 1 : 0;
}

// Polls as the loops do; returns the events taken as "+SYM", "-SYM", "q".
std::string PollAll() {
    std::string taken;
    SDL_Event event;
    while (PollEvent(&event)) {
        // Only keys and quits reach a recording; sdl12-compat also queues
        // window events of its own.
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP && event.type != SDL_QUIT) {
            continue;
        }
        ReplayEvent e;
        e.kind = event.type == SDL_KEYDOWN ? kReplayKeyDown
                 : event.type == SDL_KEYUP ? kReplayKeyUp
                                           : kReplayQuit;
        e.sym = (Uint16)event.key.keysym.sym;
        taken += taken.empty() ? "" : " ";
        AppendReplayEvent(taken, e);
    }
    return taken;
}

// Spins until SDL's millisecond clock moves on (at most a millisecond).
void WaitForTheClock() {
    Uint32 now = SDL_GetTicks();
    while (SDL_GetTicks() == now) {
    }
}

std::string Held() {
    const Uint8 *keys = SDL_GetKeyState(nullptr);
    std::string held;
    for (SDLKey key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT}) {
        held += keys[key] ? "1" : "0";
    }
    return held;
}

// The replay hooks in the game's own seams, stepped by hand like the loops.
class ReplayHooks : public ::testing::Test {
  protected:
    void SetUp() override {
        OpenTestScreen();
        ResetGlobals();
        memset(SDL_GetKeyState(nullptr), 0, SDLK_LAST);
    }
    void TearDown() override {
        ResetReplays();
        ClearFakeTicks();
        memset(SDL_GetKeyState(nullptr), 0, SDLK_LAST);
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
    }
    TempDir dir;
};

TEST_F(ReplayHooks, RecordingFreezesTheClockPerIterationAndKeepsHeldKeysWithoutEvents) {
    Options record;
    std::string path = dir / "run.qrp";
    record.record = path.c_str();
    StartReplays(ReplayChoicesOf(record));
    ReplaySeed(7); // the file is made once the game seeds rand()
    Uint32 first = GetTicks();
    WaitForTheClock(); // a read later in the same iteration still gets its value
    EXPECT_EQ(GetTicks(), first);
    RealKey(SDLK_RETURN, true);
    RealKey(SDLK_RETURN, false);
    SDL_GetKeyState(nullptr)[SDLK_UP] = 1; // changed without an event
    EXPECT_EQ(PollAll(), "+13 -13");
    // Taken events are in the file before the rules run: a game that dies
    // now leaves them behind.
    EXPECT_NE(ReadAll(path).find("\n" + std::to_string(first) + " +13 -13 h+273"),
              std::string::npos);
    EndReplayIteration(true);
    WaitForTheClock();
    EXPECT_GT(GetTicks(), first); // the next iteration reads the clock again
    EXPECT_EQ(PollAll(), "");
    EndReplayIteration(false);
    ResetReplays();

    std::string text = ReadAll(path);
    std::string lines[6];
    size_t at = 0;
    for (std::string &line : lines) {
        size_t end = text.find('\n', at);
        line = text.substr(at, end - at);
        at = end + 1;
    }
    EXPECT_EQ(lines[0], "quarndel-replay 1");
    EXPECT_EQ(lines[1], "seed 7");
    EXPECT_EQ(lines[2], "sdl " + SdlLibraryText(RunningSdl()));
    EXPECT_EQ(lines[3].substr(0, lines[3].find(' ')), std::to_string(first));
    EXPECT_NE(lines[3].find(" +13 -13 h+273 ="), std::string::npos) << lines[3];
    EXPECT_NE(lines[4].find(" ~"), std::string::npos) << lines[4];
}

// The score table's copy of the run is the --record file line for line,
// an iteration of several events included, ended by where the game stands.
TEST_F(ReplayHooks, TheCopyKeptForTheScoresIsTheRecordingWithItsStopLine) {
    Options record;
    std::string path = dir / "run.qrp";
    record.record = path.c_str();
    StartReplays(ReplayChoicesOf(record));
    ASSERT_TRUE(KeepRunInMemory(kMaxKeptRunBytes));
    ReplaySeed(7);
    RealKey(SDLK_RETURN, true);
    RealKey(SDLK_RETURN, false);
    SDL_GetKeyState(nullptr)[SDLK_UP] = 1; // changed without an event
    EXPECT_EQ(PollAll(), "+13 -13");
    EndReplayIteration(true);
    FILE *levelFile = tmpfile(); // play begins: the first level file is read
    fputs("LEVEL: 1\n", levelFile);
    rewind(levelFile);
    NoteDataFileOpened("data/level_1/leveldata", levelFile);
    fclose(levelFile);
    RealKey(SDLK_p, true);
    EXPECT_EQ(PollAll(), "+112");
    EndReplayIteration(false);
    ship.score = 1240;
    level.levelNumber = 2;
    difficulty = 1;
    std::string kept;
    ASSERT_TRUE(RecordedRunSoFar(kept));
    EXPECT_EQ(kept, ReadAll(path) + "stop 2 1240 2 1\n");
    EXPECT_NE(kept.find(" +13 -13 h+273 ="), std::string::npos) << kept;
    EXPECT_NE(kept.find(" data/level_1/leveldata\nplay 0 data/level_1\n"), std::string::npos)
        << kept;
    ResetGlobals();
}

TEST_F(ReplayHooks, AReplayTakesClockAndKeysFromTheRecordingAloneTillEscape) {
    WriteFile(dir / "run.qrp", "quarndel-replay 1\nseed 5\n100 +274 =0000\n17 h+273 =0000\n"
                               "17 -274 =0000\n17 =0000\n17 =0000\nend 0 1 1 00000000 5\n");
    Options replay;
    std::string path = dir / "run.qrp";
    replay.replay = path.c_str();
    replay.headless = true; // no waiting for the recorded pace
    StartReplays(ReplayChoicesOf(replay));
    EXPECT_EQ(ReplaySeed(99), 5u);

    RealKey(SDLK_LEFT, true); // the real keyboard plays no part
    EXPECT_EQ(PollAll(), "+274");
    EXPECT_EQ(Held(), "010");
    EXPECT_EQ(GetTicks(), 100u);
    EndReplayIteration(true);

    EXPECT_EQ(GetTicks(), 117u);
    EXPECT_EQ(PollAll(), "");
    EXPECT_EQ(Held(), "110");
    EndReplayIteration(true);

    EXPECT_EQ(PollAll(), "-274");
    EXPECT_EQ(Held(), "100");
    EXPECT_EQ(GetTicks(), 134u);
    EndReplayIteration(true);

    RealKey(SDLK_ESCAPE, true); // ends the replay: the game is told to quit
    EXPECT_EQ(PollAll(), "q");
    EndReplayIteration(true);
    EXPECT_EQ(PollAll(), "");
}

// SIGPIPE and SIGXFSZ are ignored while a --record file is written (a
// closed pipe or a full disk is then an error the recording reports), and
// only then: a run whose only output is the copy kept in memory, and the
// run after the recording's end, keep the handlers they started with.
TEST_F(ReplayHooks, WriteSignalsAreIgnoredOnlyWhileARecordFileIsWritten) {
    auto handlers = [] {
        struct sigaction pipe, size;
        sigaction(SIGPIPE, nullptr, &pipe);
        sigaction(SIGXFSZ, nullptr, &size);
        return std::make_pair(pipe.sa_handler, size.sa_handler);
    };
    auto before = handlers();
    StartReplays(ReplayChoices());
    ASSERT_TRUE(KeepRunInMemory(kMaxKeptRunBytes));
    ReplaySeed(7);
    EndReplayIteration(true);
    EXPECT_TRUE(handlers() == before) << "the copy in memory alone";
    EXPECT_EQ(FinishReplays(), 0);
    ResetReplays();

    Options record;
    std::string path = dir / "run.qrp";
    record.record = path.c_str();
    StartReplays(ReplayChoicesOf(record));
    ReplaySeed(7);
    EXPECT_TRUE(handlers() == std::make_pair(SIG_IGN, SIG_IGN));
    EndReplayIteration(true);
    EXPECT_EQ(FinishReplays(), 0);
    EXPECT_TRUE(handlers() == before) << "after the recording's end";
}

std::string Written(void (*write)(ReplayWriter &)) {
    ReplayWriter writer;
    writer.file = tmpfile();
    write(writer);
    std::string text = ReadBack(writer.file);
    fclose(writer.file);
    return text;
}

TEST(ReplayFile, WhatTheWriterWritesReadsBackTheSame) {
    std::string text = Written([](ReplayWriter &w) {
        w.Header();
        w.Seed(4294967295u);
        SdlLibrary compat;
        compat.major = 1;
        compat.minor = 2;
        compat.patch = 60;
        compat.compat = true;
        w.Sdl(compat);
        w.DataFile("data/cursor/info", 0x9c1e02a7);
        ReplayEvent keys[3];
        keys[0].kind = kReplayKeyDown;
        keys[0].sym = SDLK_RETURN;
        keys[1].kind = kReplayKeyUp;
        keys[1].sym = SDLK_RETURN;
        keys[1].mod = KMOD_LSHIFT;
        keys[2].kind = kReplayHeldDown;
        keys[2].sym = SDLK_UP;
        w.Iteration(4294967290u, keys, 3, 0xbeef, true); // the clock wraps like SDL's
        w.Levels("my_set");
        w.Play(2, "data/level 1");
        w.Iteration(17, nullptr, 0, 0x0001, false);
        w.Iteration(17, nullptr, 0, 0x0001, false);
        w.Iteration(17, nullptr, 0, 0x0001, false);
        ReplayEvent quit;
        w.Iteration(16, &quit, 1, 0x0002, true);
        ReplayEnd end;
        end.score = 1240;
        end.lives = -1;
        end.level = 2;
        end.frame = 0x8a7b6c5d;
        end.iterations = 5;
        w.End(end);
    });
    EXPECT_EQ(text,
              "quarndel-replay 1\nseed 4294967295\nsdl 1.2.60 sdl12-compat\n"
              "f 9c1e02a7 data/cursor/info\n"
              "4294967290 +13 -13:1 h+273 =beef\nlevels my_set\nplay 2 data/level 1\n17 ~0001\n*2\n"
              "16 q =0002\nend 1240 -1 2 8a7b6c5d 5\n");

    Recording r = Parse(text);
    EXPECT_EQ(r.seed, 4294967295u);
    EXPECT_TRUE(r.hasSdl);
    EXPECT_EQ(SdlLibraryText(r.sdl), "1.2.60 sdl12-compat");
    EXPECT_FALSE(Parse(kHead + "sdl 1.2.15 classic\n").sdl.compat);
    EXPECT_FALSE(Parse(kHead).hasSdl); // recordings made before the line existed
    ASSERT_EQ(r.files.size(), 1u);
    EXPECT_EQ(r.files[0].path, "data/cursor/info");
    EXPECT_EQ(r.files[0].hash, 0x9c1e02a7u);
    EXPECT_TRUE(r.hasPlay);
    EXPECT_EQ(r.playIteration, 1u);
    EXPECT_EQ(r.difficulty, 2);
    EXPECT_EQ(r.startLevel, "data/level 1");
    EXPECT_EQ(r.levelSet, "my_set");
    EXPECT_EQ(Parse(kHead + "play 0 data/level_1\n").levelSet, ""); // the shipped levels
    ASSERT_EQ(r.iterations.size(), 5u);
    const Uint32 clocks[5] = {4294967290u, 11, 28, 45, 61};
    const Uint32 eventCounts[5] = {3, 0, 0, 0, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(r.iterations[i].clock, clocks[i]) << i;
        EXPECT_EQ(r.iterations[i].eventCount, eventCounts[i]) << i;
    }
    EXPECT_EQ(r.iterations[0].digest, 0xbeef);
    EXPECT_EQ(r.iterations[3].digest, 0x0001);
    EXPECT_TRUE(r.iterations[0].drew);
    EXPECT_FALSE(r.iterations[3].drew);
    EXPECT_TRUE(r.iterations[4].drew);
    ASSERT_EQ(r.events.size(), 4u);
    EXPECT_EQ(r.events[1].kind, kReplayKeyUp);
    EXPECT_EQ(r.events[1].sym, SDLK_RETURN);
    EXPECT_EQ(r.events[1].mod, KMOD_LSHIFT);
    EXPECT_EQ(r.events[2].kind, kReplayHeldDown);
    EXPECT_EQ(r.events[3].kind, kReplayQuit);
    EXPECT_EQ(r.iterations[4].firstEvent, 3u);
    EXPECT_TRUE(r.hasEnd);
    EXPECT_EQ(r.end.score, 1240);
    EXPECT_EQ(r.end.lives, -1);
    EXPECT_EQ(r.end.frame, 0x8a7b6c5du);
}

// The writer stops at the reader's bounds instead of writing a file the
// reader refuses: what it wrote up to there reads back like a killed game's
// recording, held-back repeats included. A paused hour stays small: idle
// iterations are one repeat line a second.
TEST(ReplayFile, TheWriterStopsWhereTheReaderWouldRefuse) {
    struct Case {
        const char *what;
        void (*write)(ReplayWriter &);
        const char *error;
        size_t iterations;
    } cases[] = {
        {"too many data files",
         [](ReplayWriter &w) {
             for (size_t i = 0; i <= kMaxReplayDataFiles; ++i) {
                 w.DataFile(("data/level_" + std::to_string(i) + "/leveldata").c_str(), 1);
             }
             w.Iteration(10, nullptr, 0, 0x0001, true);
         },
         "the most data files", 0},
        {"too many events at once",
         [](ReplayWriter &w) {
             std::vector<ReplayEvent> quits(kMaxEventsPerIteration + 1);
             for (int i = 0; i < 150; ++i) {
                 w.Iteration(10, nullptr, 0, 0x0001, false);
             }
             w.Iteration(10, quits.data(), quits.size(), 0x0001, true);
         },
         "the most events", 150},
        {"an hour paused, then too many data files",
         [](ReplayWriter &w) {
             for (int i = 0; i < 360000; ++i) {
                 w.Iteration(10, nullptr, 0, 0x0001, false);
             }
             for (size_t i = 0; i <= kMaxReplayDataFiles; ++i) {
                 w.DataFile("data/level_1/leveldata", i);
             }
         },
         "the most data files", 360000},
    };
    for (const Case &c : cases) {
        ReplayWriter writer;
        writer.file = tmpfile();
        writer.Header();
        writer.Seed(1);
        c.write(writer);
        EXPECT_TRUE(writer.Failed()) << c.what;
        EXPECT_NE(writer.Error().find(c.error), std::string::npos) << c.what;
        writer.End(ReplayEnd());
        std::string text = ReadBack(writer.file);
        fclose(writer.file);
        EXPECT_LT(text.size(), 400u * 1024) << c.what; // of which the paused hour is 18 KB
        Recording r = Parse(text);
        EXPECT_FALSE(r.hasEnd) << c.what;
        EXPECT_EQ(r.iterations.size(), c.iterations) << c.what;
    }
}

// Every kind of bad file is refused with a message naming the line and the
// fault; none crashes, hangs or allocates by a number it holds.
TEST(ReplayFile, BadFilesAreRefusedWithTheLineAndTheFault) {
    const std::string end1 = "end 0 1 1 00000000 1\n";
    std::string tooManyEvents = "16";
    for (int i = 0; i < 513; ++i) {
        tooManyEvents += " q";
    }
    struct Case {
        const char *what;
        std::string text;
        const char *message;
    } cases[] = {
        {"empty", "", "the file is empty"},
        {"garbage", "\x7f\x45LF\x02\x01\n", "line 1: not a replay file"},
        {"wrong version", "quarndel-replay 2\nseed 1\n", "line 1: replay version 2 is not"},
        {"version not a number", "quarndel-replay one\n", "line 1: replay version one"},
        {"cut before the seed", "quarndel-replay 1\nse", "line 2: the recording has no seed"},
        {"bad line before a cut one", kHead + "16 =zz\n17", "line 3: the state digest"},
        {"iteration before the seed", "quarndel-replay 1\n16 =0000\n" + end1,
         "line 2: an iteration comes before the seed"},
        {"seed twice", kHead + "seed 8\n", "line 3: the seed line"},
        {"seed after an iteration", "quarndel-replay 1\nseed 1\n16 =0000\nseed 2\n", "line 4"},
        {"huge seed", "quarndel-replay 1\nseed 4294967296\n", "line 2: the seed is not"},
        {"sdl twice", kHead + "sdl 1.2.15 classic\nsdl 1.2.15 classic\n", "line 4: the sdl line"},
        {"sdl after an iteration", kHead + "16 =0000\nsdl 1.2.15 classic\n", "line 4: the sdl"},
        {"sdl version cut short", kHead + "sdl 1.2 classic\n", "line 3: the sdl line's version"},
        {"sdl version too long", kHead + "sdl 1.2.15.1 classic\n", "line 3: the sdl line's"},
        {"sdl version too big", kHead + "sdl 1.2.256 classic\n", "line 3: the sdl line's"},
        {"sdl of no known kind", kHead + "sdl 1.2.15 other\n", "line 3: the sdl line names"},
        {"sdl without its kind", kHead + "sdl 1.2.15\n", "line 3: the sdl line names"},
        {"words after the sdl kind", kHead + "sdl 1.2.60 sdl12-compat x\n", "line 3: something"},
        {"huge clock step", kHead + "99999999999 =0000\n" + end1, "line 3: the clock step"},
        {"negative clock step", kHead + "-5 =0000\n" + end1, "line 3: the clock step"},
        {"unknown event", kHead + "16 x12 =0000\n" + end1, "line 3: not an event: x12"},
        {"key beyond the keyboard", kHead + "16 +323 =0000\n" + end1, "not an event: +323"},
        {"huge modifier", kHead + "16 +13:65536 =0000\n" + end1, "not an event"},
        {"no digest", kHead + "16 +13\n" + end1, "line 3: the iteration has no state digest"},
        {"short digest", kHead + "16 =abc\n" + end1, "line 3: the state digest"},
        {"words after the digest", kHead + "16 =abcd q\n" + end1, "follows the state digest"},
        {"held key let go twice", kHead + "16 h-273 =0000\n" + end1,
         "line 3: a held-key change to the state the key is already in"},
        {"too many events", kHead + tooManyEvents + " =0000\n", "line 3: too many events"},
        {"repeat first", kHead + "*3\n", "line 3: a repeat with no iteration"},
        {"repeat of none", kHead + "16 =0000\n*0\n", "line 4: the repeat count"},
        {"huge repeat", kHead + "16 =0000\n*1000001\n", "line 4: the repeat count"},
        {"repeat of events", kHead + "16 q =0000\n*2\n", "line 4: only iterations without"},
        {"repeats past the bound",
         kHead + "16 =0000\n" +
             [] {
                 std::string s;
                 for (int i = 0; i < 9; ++i) {
                     s += "*1000000\n";
                 }
                 return s;
             }(),
         "line 12: too many iterations"},
        {"end counts wrong", kHead + "16 =0000\nend 0 1 1 00000000 2\n",
         "line 4: the end line counts 2 iterations but the file holds 1"},
        {"end short", kHead + "16 =0000\nend 0 1 1\n", "line 4: the end line needs"},
        {"end huge score", kHead + "16 =0000\nend 2147483648 1 1 00000000 1\n",
         "line 4: a number on the end line"},
        {"line after the end", kHead + "16 =0000\n" + end1 + "16 =0000\n",
         "line 5: a line after the end line"},
        {"stop counts wrong", kHead + "16 =0000\nstop 2 0 1 0\n",
         "line 4: the stop line counts 2 iterations but the file holds 1"},
        {"stop at difficulty 3", kHead + "16 =0000\nstop 1 0 1 3\n",
         "line 4: a number on the stop line"},
        {"line after the stop", kHead + "16 =0000\nstop 1 0 1 0\n16 =0000\n",
         "line 5: a line after the stop line"},
        {"words after the stop line's numbers", kHead + "16 =0000\nstop 1 0 1 0 x\n",
         "line 4: something follows the stop line's numbers"},
        {"stop short", kHead + "16 =0000\nstop 1 0 1\n", "line 4: the stop line needs"},
        {"second play", kHead + "play 0 data/level_1\nplay 0 data/level_1\n",
         "line 4: a second play line"},
        {"difficulty 3", kHead + "play 3 data/level_1\n", "line 3: the difficulty"},
        {"play without level", kHead + "play 1\n", "line 3: the play line names no level"},
        {"levels after play", kHead + "play 0 data/x\nlevels x\n",
         "line 4: the levels line is not"},
        {"levels climbing", kHead + "levels ..\n", "line 3: the levels line does not name"},
        {"levels with a slash", kHead + "levels a/b\n", "line 3: the levels line does not name"},
        {"levels too long", kHead + "levels " + std::string(65, 'a') + "\n",
         "line 3: the levels line does not name"},
        {"data file without path", kHead + "f 01234567\n", "line 3: a data file line without"},
        {"empty line", kHead + "\n", "line 3: an empty line"},
        {"control character", kHead + "16\t=0000\n", "line 3: holds a control character"},
        {"overlong line", kHead + std::string(8193, '1') + "\n", "line 3: longer than 8192"},
    };
    for (const Case &c : cases) {
        std::string error;
        Parse(c.text, &error);
        EXPECT_NE(error.find(c.message), std::string::npos)
            << c.what << ": got \"" << error << "\"";
    }
}

// A killed game leaves no end line, and its last line may stop anywhere: the
// recording is read up to where it stops, with the iteration the game died
// in when its clock step is there.
TEST(ReplayFile, AKilledGamesRecordingIsReadUpToWhereItStops) {
    struct Case {
        const char *what;
        std::string text;
        size_t iterations;
        size_t events;
        bool lastHasDigest;
        Uint32 lastClock;
    } cases[] = {
        {"no end line", kHead + "16 =0000\n", 1, 0, true, 16},
        {"cut after the events", kHead + "16 =0000\n17 +274", 2, 1, false, 33},
        {"cut in the digest", kHead + "16 =0000\n17 +274 =00", 2, 1, false, 33},
        {"cut after the clock step", kHead + "16 =0000\n17", 2, 0, false, 33},
        {"whole last line, no line feed", kHead + "16 =0000\n17 ~0001", 2, 0, true, 33},
        {"cut in the end line", kHead + "16 =0000\nend 0 1", 1, 0, true, 16},
        {"cut in an event", kHead + "16 =0000\n17 h", 1, 0, true, 16},
        {"repeats flushed every second", kHead + "16 ~0000\n*100\n*100\n*3\n", 204, 0, true,
         16 * 204},
    };
    for (const Case &c : cases) {
        Recording r = Parse(c.text);
        EXPECT_FALSE(r.hasEnd) << c.what;
        ASSERT_EQ(r.iterations.size(), c.iterations) << c.what;
        EXPECT_EQ(r.events.size(), c.events) << c.what;
        EXPECT_EQ(r.iterations.back().hasDigest, c.lastHasDigest) << c.what;
        EXPECT_EQ(r.iterations.back().clock, c.lastClock) << c.what;
    }
}

// The game run with a recording: a bad file, a recording whose state went a
// different way, and other data each answer as documented. (test.sh replays
// every shipped recording with --verify.)
class ReplayRun : public ::testing::Test {
  protected:
    std::string Run(const std::string &args, int *status,
                    const std::string &from = QUARNDEL_SOURCE_DIR) {
        std::string output;
        *status =
            RunCommand("cd " + from + " && SDL_AUDIODRIVER=none " QUARNDEL_EXE " " + args, &output);
        return output;
    }
    std::string Recording(const char *name) {
        return QUARNDEL_SOURCE_DIR "/tests/replays/" + std::string(name);
    }
    TempDir dir;
};

TEST_F(ReplayRun, ABadFileEndsWithStatusTwoAndItsFault) {
    WriteFile(dir / "bad.qrp", "quarndel-replay 1\nseed 1\n16 =zz\n");
    int status = 0;
    std::string out = Run("--replay " + (dir / "bad.qrp") + " --headless --verify", &status);
    EXPECT_EQ(status, 2);
    EXPECT_NE(out.find("bad.qrp: line 3: the state digest is not four hex digits"),
              std::string::npos)
        << out;
}

TEST_F(ReplayRun, OnlyARegularFileIsRead) {
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string paths[][2] = {{dir / "fifo", "not a regular file"},
                                    {dir.Path(), "not a regular file"},
                                    {dir / "missing", "cannot open the file"}};
    for (const auto &path : paths) {
        int status = 0;
        std::string out = Run("--replay " + path[0] + " --headless", &status);
        EXPECT_EQ(status, 2) << path[0];
        EXPECT_NE(out.find(path[0] + ": " + path[1]), std::string::npos) << out;
    }
}

TEST_F(ReplayRun, AChangedStateIsReportedAtItsFirstIteration) {
    // The digest of the first iteration line from the 300th on is changed, as
    // if the rules had made something else of that iteration.
    FILE *in = fopen(Recording("gameover.qrp").c_str(), "r");
    ASSERT_NE(in, nullptr);
    std::string text;
    char line[8192];
    int iteration = 0;
    int changed = 0;
    while (fgets(line, sizeof line, in) != nullptr) {
        std::string s = line;
        if (s[0] >= '0' && s[0] <= '9' && ++iteration >= 300 && changed == 0) {
            size_t digest = s.rfind(' ') + 2; // after the '=' or '~'
            s[digest] = s[digest] == '0' ? '1' : '0';
            changed = iteration;
        }
        if (s[0] == '*') {
            iteration += std::stoi(s.substr(1));
        }
        text += s;
    }
    fclose(in);
    ASSERT_GT(changed, 0);
    WriteFile(dir / "changed.qrp", text);
    int status = 0;
    std::string out = Run("--replay " + (dir / "changed.qrp") + " --headless --verify", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("replay differs from the recording: first at iteration " +
                       std::to_string(changed) + ": state digest"),
              std::string::npos)
        << out;
}

// Copies of a complete recording, each with one fault: the verdict of
// --verify is status 1 and a message on standard error that names what
// differs, wherever the fault is (the last frame, whether a frame was drawn,
// a state digest up to the last iteration, an event, the end line).
TEST_F(ReplayRun, EveryKindOfDifferenceFailsTheVerifyAndIsNamed) {
    std::vector<std::string> lines;
    std::vector<int> iteration; // of each iteration line, else 0
    {
        std::string text = ReadAll(Recording("gameover.qrp"));
        int count = 0;
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            std::string line = text.substr(at, end - at);
            if (line[0] == '*') {
                count += std::stoi(line.substr(1));
            }
            bool plain = line[0] >= '0' && line[0] <= '9';
            iteration.push_back(plain ? ++count : 0);
            lines.push_back(line);
        }
    }
    ASSERT_GT(lines.size(), 10u);
    ASSERT_EQ(lines.back().substr(0, 4), "end ");
    // The first iteration line from iteration `from` on that holds `part`
    // and stands for one iteration only (no repeat follows it).
    auto find = [&](int from, const std::string &part) {
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            if (iteration[i] >= from && lines[i].find(part) != std::string::npos &&
                lines[i + 1][0] != '*') {
                return i;
            }
        }
        ADD_FAILURE() << "no iteration line with " << part;
        return lines.size() - 1;
    };
    auto digestOf = [&](size_t i) { return lines[i].substr(lines[i].rfind(' ') + 2); };
    int score = 0, lives = 0, level = 0;
    unsigned frame = 0, iterations = 0;
    ASSERT_EQ(sscanf(lines.back().c_str(), "end %d %d %d %x %u", &score, &lives, &level, &frame,
                     &iterations),
              5);
    auto endLine = [&](int s, int l, int v, unsigned f) {
        char text[128];
        snprintf(text, sizeof text, "end %d %d %d %08x %u", s, l, v, f, iterations);
        return std::string(text);
    };
    auto ends = [&](int s, int l, int v) {
        return "the game ends with score " + std::to_string(score) + ", lives " +
               std::to_string(lives) + ", level " + std::to_string(level) + "; recorded score " +
               std::to_string(s) + ", lives " + std::to_string(l) + ", level " + std::to_string(v);
    };
    auto at = [&](size_t i) { return "first at iteration " + std::to_string(iteration[i]) + ": "; };

    struct Case {
        const char *what;
        size_t line;
        std::string edited;
        std::string message; // after "replay differs from the recording: "
    };
    std::vector<Case> cases;
    size_t last = lines.size() - 1;
    auto hex = [](unsigned value) {
        char text[16];
        snprintf(text, sizeof text, "%08x", value);
        return std::string(text);
    };
    unsigned otherFrame = frame ^ 0x10000000u;
    // The recording was drawn by the classic library: on sdl12-compat the
    // edited files name the library they replay on, so that a last frame
    // that differs counts, and the frame drawn is sdl12-compat's own.
    const bool compat = RunningSdl().compat;
    cases.push_back({"the last frame's checksum", last, endLine(score, lives, level, otherFrame),
                     "the last frame's checksum is " + (compat ? "" : hex(frame) + ", ") +
                         (compat ? "" : "recorded " + hex(otherFrame))});
    size_t drew = find(200, " =");
    std::string noFrame = lines[drew];
    noFrame[noFrame.rfind(' ') + 1] = '~';
    cases.push_back({"no frame recorded where the game draws one", drew, noFrame,
                     at(drew) + "state digest " + digestOf(drew) + ", recorded " + digestOf(drew) +
                         " (no frame)"});
    size_t still = find(1, " ~");
    std::string aFrame = lines[still];
    aFrame[aFrame.rfind(' ') + 1] = '=';
    cases.push_back({"a frame recorded where the game draws none", still, aFrame,
                     at(still) + "state digest " + digestOf(still) + " (no frame), recorded " +
                         digestOf(still)});
    size_t final = last - 1; // the last iteration: its digest counts too
    ASSERT_EQ(lines[final + 1][0], 'e');
    std::string digest = lines[final];
    char &digit = digest[digest.size() - 1];
    digit = digit == '0' ? '1' : '0';
    cases.push_back({"the last iteration's state digest", final, digest,
                     at(final) + "state digest " + digestOf(final) + ", recorded " +
                         digest.substr(digest.size() - 4)});
    size_t pause = find(1, " +112 ");
    std::string noPause = lines[pause];
    noPause.replace(noPause.find("+112"), 4, "+113"); // P, pausing, became Q, nothing
    cases.push_back({"one event", pause, noPause, at(pause) + "state digest "});
    cases.push_back({"the end line's score", last, endLine(score + 1, lives, level, frame),
                     ends(score + 1, lives, level)});
    cases.push_back({"the end line's lives", last, endLine(score, lives - 1, level, frame),
                     ends(score, lives - 1, level)});
    cases.push_back({"the end line's level", last, endLine(score, lives, level + 1, frame),
                     ends(score, lives, level + 1)});
    // A recording cut where a game ended (a high score's) stops there and
    // checks the score, level and difficulty; the one recorded is Normal.
    auto stopLine = [&](int s, int v, int d) {
        return "stop " + std::to_string(iterations) + " " + std::to_string(s) + " " +
               std::to_string(v) + " " + std::to_string(d);
    };
    auto stops = [&](int s, int v, int d) {
        return "after iteration " + std::to_string(iterations) + " the score is " +
               std::to_string(score) + ", level " + std::to_string(level) +
               ", difficulty 1; recorded score " + std::to_string(s) + ", level " +
               std::to_string(v) + ", difficulty " + std::to_string(d);
    };
    cases.push_back(
        {"the stop line's score", last, stopLine(score + 1, level, 1), stops(score + 1, level, 1)});
    cases.push_back(
        {"the stop line's difficulty", last, stopLine(score, level, 2), stops(score, level, 2)});
    cases.push_back(
        {"the stop line's level", last, stopLine(score, level + 1, 1), stops(score, level + 1, 1)});

    for (const Case &c : cases) {
        ASSERT_NE(c.edited, lines[c.line]) << c.what;
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            text += (i == c.line ? c.edited : lines[i]) + "\n";
            if (i == 1 && compat) {
                text += "sdl " + SdlLibraryText(RunningSdl()) + "\n";
            }
        }
        WriteFile(dir / "edited.qrp", text);
        int status = 0;
        std::string out = Run("--replay " + (dir / "edited.qrp") + " --headless --verify", &status);
        EXPECT_EQ(status, 1) << c.what << "\n" << out;
        EXPECT_NE(out.find("quarndel: " + (dir / "edited.qrp") +
                           ": replay differs from the recording: " + c.message),
                  std::string::npos)
            << c.what << ": " << c.message << "\n"
            << out;
    }
    std::string stopped;
    for (size_t i = 0; i < last; ++i) {
        stopped += lines[i] + "\n";
    }
    WriteFile(dir / "stopped.qrp", stopped + stopLine(score, level, 1) + "\n");
    int status = 1;
    std::string out = Run("--replay " + (dir / "stopped.qrp") +
                              " --headless --verify --scores-dir " + (dir / "scores"),
                          &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("replay matches the recording"), std::string::npos) << out;
    // A replay never enters the game it plays into the high scores.
    EXPECT_EQ(ReadAll(dir / "scores/scores"), "") << out;

    // Which SDL drew the recording (its sdl line after the seed; none: the
    // classic library) decides whether a last frame that differs in nothing
    // but its pixels passes: only when another implementation drew it.
    ASSERT_EQ(lines[1].substr(0, 5), "seed ");
    SdlLibrary running = RunningSdl();
    const std::string same = "sdl " + SdlLibraryText(running);
    const std::string other = running.compat ? "sdl 1.2.15 classic" : "sdl 1.2.60 sdl12-compat";
    const std::string acrossSdl = "replay matches the recording but for the last frame's pixels";
    std::string lastDigest = lines[final];
    lastDigest[lastDigest.size() - 1] = lastDigest[lastDigest.size() - 1] == '0' ? '1' : '0';
    struct SdlCase {
        const char *what;
        std::string sdl; // the sdl line, or none
        size_t line;     // a line edited besides the end line
        std::string edited;
        std::string end;
        int status;
        std::string message;
    } sdlCases[] = {
        {"another SDL, only the frame differs", other, 0, lines[0],
         endLine(score, lives, level, otherFrame), 0, acrossSdl},
        {"the same SDL, the frame differs", same, 0, lines[0],
         endLine(score, lives, level, otherFrame), 1, "the last frame's checksum is"},
        {"no sdl line: drawn by the classic library", "", 0, lines[0],
         endLine(score, lives, level, otherFrame), running.compat ? 0 : 1,
         running.compat ? acrossSdl : "the last frame's checksum is"},
        {"another SDL, the score differs too", other, 0, lines[0],
         endLine(score + 1, lives, level, otherFrame), 1, ends(score + 1, lives, level)},
        {"another SDL, a state digest differs too", other, final, lastDigest,
         endLine(score, lives, level, otherFrame), 1, at(final) + "state digest "},
    };
    for (const SdlCase &c : sdlCases) {
        std::string text;
        for (size_t i = 0; i < last; ++i) {
            text += (i == c.line ? c.edited : lines[i]) + "\n";
            if (i == 1 && !c.sdl.empty()) {
                text += c.sdl + "\n";
            }
        }
        WriteFile(dir / "edited.qrp", text + c.end + "\n");
        int status = 0;
        std::string out = Run("--replay " + (dir / "edited.qrp") + " --headless --verify", &status);
        EXPECT_EQ(status, c.status) << c.what << "\n" << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.what << "\n" << out;
        if (c.status == 0) {
            EXPECT_EQ(out.find("differs"), std::string::npos) << c.what << "\n" << out;
            EXPECT_NE(out.find("replayed on SDL " + SdlLibraryText(running)), std::string::npos)
                << c.what << "\n"
                << out;
        }
    }
}

// The checksum of a frame counts the bits that hold colour: the fourth byte
// of a 32-bit pixel, which sdl12-compat's blits fill and the classic
// library's leave 0, changes nothing, and a frame with that byte 0 hashes
// exactly as its bytes always did (recorded checksums stay valid).
TEST(ReplayFile, TheFrameChecksumCountsColourBitsOnly) {
    SDL_Surface *frame =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0xff0000, 0x00ff00, 0x0000ff, 0);
    ASSERT_NE(frame, nullptr);
    Uint8 *pixels = (Uint8 *)frame->pixels;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            Uint32 colour = (Uint32)(x * 7 + y * 13) & 0xffffff;
            memcpy(pixels + y * frame->pitch + x * 4, &colour, 4);
        }
    }
    Uint32 bytes = kFnvOffset;
    for (int y = 0; y < 480; ++y) {
        bytes = HashBytes(pixels + y * frame->pitch, 640 * 4, bytes);
    }
    Uint32 plain = FrameChecksum(frame);
    EXPECT_EQ(plain, bytes);
    Uint32 *corner = (Uint32 *)(pixels + 5 * frame->pitch + 9 * 4);
    *corner |= 0xcf000000u; // what sdl12-compat leaves behind a blended glyph
    EXPECT_EQ(FrameChecksum(frame), plain);
    *corner ^= 0x00000001u; // one level of blue
    EXPECT_NE(FrameChecksum(frame), plain);
    SDL_FreeSurface(frame);
}

TEST_F(ReplayRun, OtherDataIsNamedAndTheReplayPlaysOn) {
    // A comment added to the first level changes its bytes but not the game.
    int status = RunCommand("cp -r " QUARNDEL_SOURCE_DIR "/data " + dir.Path() +
                                " && echo '# edited' >> " + (dir / "data/level_1/leveldata"),
                            nullptr);
    ASSERT_EQ(status, 0);
    std::string out =
        Run("--replay " + Recording("gameover.qrp") + " --headless --verify", &status, dir.Path());
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("data/level_1/leveldata is not the file the game was recorded with"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("data/ship/info is not"), std::string::npos) << out;
    EXPECT_NE(out.find("replay matches the recording"), std::string::npos) << out;
}

// Recording never destroys a file, says why it cannot write, and ends with
// a failing status when the run is not all in the file; a recording plays
// from any folder, a killed game's up to where it stops, and a verification
// stopped by a signal never passes. The game runs on the title screen here
// (no keys reach the dummy video driver) until a signal ends it.
TEST_F(ReplayRun, RecordingsAreKeptSafeAndPlayFromAnyFolder) {
    const std::string game = "env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=none " QUARNDEL_EXE;
    const std::string data = " --data-dir " QUARNDEL_SOURCE_DIR;
    const std::string kept = dir / "kept.qrp";
    WriteFile(kept, "a recording\n");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    // The long recording: the shipped one with eight million more
    // iterations of its first idle run, so a headless replay takes seconds.
    std::string longer;
    ASSERT_EQ(RunCommand("awk '/^[*]/ && !done {print; for (i = 0; i < 8; i++) print "
                         "\"*1000000\"; done = 1; next} /^end / {$6 += 8000000} {print}' " +
                             Recording("gameover.qrp") + " > " + (dir / "long.qrp"),
                         nullptr),
              0);
    // A recording cut before the game read its data files; and where no
    // data folder can be found (unless the game is installed here).
    ASSERT_EQ(
        RunCommand("head -n 2 " + Recording("gameover.qrp") + " > " + (dir / "cut.qrp"), nullptr),
        0);
    struct stat info;
    bool installed =
        stat((std::string(InstalledDataFolder()) + "/data/level_1").c_str(), &info) == 0;
    struct Case {
        const char *what;
        std::string command;
        int status;
        const char *message;
        const char *absent = nullptr; // a message that must not be there
    } cases[] = {
        {"an existing file", game + " --record " + kept, 2,
         "kept.qrp: cannot record: the file exists; --overwrite replaces it"},
        {"a data folder that fails", game + " --overwrite --record " + kept + " --data-dir /no", 1,
         "--data-dir /no: no such folder"},
        {"a start-up that fails",
         "SDL_VIDEODRIVER=none " QUARNDEL_EXE " --overwrite --record " + kept + data, 1,
         "Unable to init SDL"},
        {"a device", game + " --record /dev/full", 2, "not a regular file or a pipe"},
        {"no such folder", game + " --record " + (dir / "no/run.qrp"), 2, "no folder"},
        {"a pipe nobody reads",
         "timeout --preserve-status -s TERM 1 " + game + " --record " + (dir / "fifo") + data, 3,
         "fifo: cannot write the recording: no program reads the pipe"},
        {"a full disk",
         "ulimit -f 1; timeout --preserve-status -s TERM 3 " + game + " --record " +
             (dir / "full.qrp") + data,
         3, "full.qrp: cannot write the recording: File too large"},
        {"a file that ends at the limit",
         "cd / && " + game + " --replay " + (dir / "full.qrp") + data + " --headless --verify", 1,
         "without an end: the game did not finish"},
        {"ended by SIGTERM",
         "cd " + dir.Path() + " && timeout --preserve-status -s TERM 1 " + game +
             " --record term.qrp" + data,
         0, ""},
        {"replayed from another folder",
         "cd / && " + game + " --replay " + (dir / "term.qrp") + data + " --headless --verify", 0,
         "replay matches the recording"},
        {"killed", "timeout -s KILL 1 " + game + " --record " + (dir / "killed.qrp") + data, 137,
         ""},
        {"a killed game's recording",
         game + " --replay " + (dir / "killed.qrp") + data + " --headless", 0,
         "the game did not finish"},
        {"a killed game's recording verified",
         game + " --replay " + (dir / "killed.qrp") + data + " --headless --verify", 1,
         "the game did not finish"},
        {"verification stopped by a signal",
         "timeout --preserve-status -s INT 1 " + game + " --replay " + (dir / "long.qrp") + data +
             " --headless --verify",
         1, "the verification did not finish"},
        {"the data folder named as .",
         "cd " QUARNDEL_SOURCE_DIR " && " + game + " --data-dir . --replay " +
             Recording("gameover.qrp") + " --headless --verify",
         0, "replay matches the recording"},
        {"no file named", game + " --replay ''", 2, "quarndel: : no file named"},
        {"no data folder",
         "cd " + dir.Path() + " && " + game + " --replay " + Recording("gameover.qrp") +
             " --headless --verify",
         installed ? 0 : 1,
         installed ? "replay matches the recording"
                   : "quarndel: no data folder found: neither the current folder nor ",
         "ERROR opening file"},
        {"a recording cut before its data files",
         game + " --replay " + (dir / "cut.qrp") + data + " --headless", 0,
         "cut.qrp: the recording ends early: it is cut at line 2, before the game read "
         "data/cursor/info",
         "is not the file the game was recorded with"},
    };
    for (const Case &c : cases) {
        std::string out;
        int status = RunCommand(c.command, &out);
        EXPECT_EQ(status, c.status) << c.what << ": " << out;
        std::string message = c.message;
        // sdl12-compat may take an unknown video driver at SDL_Init and
        // refuse it at the video mode: the other documented start-up failure.
        if (RunningSdl().compat && message == "Unable to init SDL" &&
            out.find(message) == std::string::npos) {
            message = "Unable to set 640x480 video";
        }
        EXPECT_NE(out.find(message), std::string::npos) << c.what << ": " << out;
        if (c.absent != nullptr) {
            EXPECT_EQ(out.find(c.absent), std::string::npos) << c.what << ": " << out;
        }
    }
    EXPECT_EQ(ReadAll(kept), "a recording\n");
}

} // namespace
