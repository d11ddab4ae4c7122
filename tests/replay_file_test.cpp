#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "game/events.h"
#include "game/game.h"
#include "app/options.h"
#include "replay/replay.h"
#include "replay/replay_file.h"
#include "sprites/ticks.h"
#include "tests/support.h"

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
        int c;
        while ((c = fgetc(file)) != EOF) {
            text += (char)c;
        }
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
    StartReplays(record);
    Uint32 first = GetTicks();
    WaitForTheClock(); // a read later in the same iteration still gets its value
    EXPECT_EQ(GetTicks(), first);
    RealKey(SDLK_RETURN, true);
    RealKey(SDLK_RETURN, false);
    SDL_GetKeyState(nullptr)[SDLK_UP] = 1; // changed without an event
    EXPECT_EQ(PollAll(), "+13 -13");
    EndReplayIteration(true);
    WaitForTheClock();
    EXPECT_GT(GetTicks(), first); // the next iteration reads the clock again
    EXPECT_EQ(PollAll(), "");
    EndReplayIteration(false);
    ResetReplays();

    std::string text = ReadAll(path);
    std::string lines[4];
    size_t at = 0;
    for (std::string &line : lines) {
        size_t end = text.find('\n', at);
        line = text.substr(at, end - at);
        at = end + 1;
    }
    EXPECT_EQ(lines[0], "quarndel-replay 1");
    EXPECT_EQ(lines[1].substr(0, lines[1].find(' ')), std::to_string(first));
    EXPECT_NE(lines[1].find(" +13 -13 h+273 ="), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(" ~"), std::string::npos) << lines[2];
}

TEST_F(ReplayHooks, AReplayTakesClockAndKeysFromTheRecordingAloneTillEscape) {
    WriteFile(dir / "run.qrp", "quarndel-replay 1\nseed 5\n100 +274 =0000\n17 h+273 =0000\n"
                               "17 -274 =0000\n17 =0000\n17 =0000\nend 0 1 1 00000000 5\n");
    Options replay;
    std::string path = dir / "run.qrp";
    replay.replay = path.c_str();
    replay.headless = true; // no waiting for the recorded pace
    StartReplays(replay);
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

std::string Written(void (*write)(ReplayWriter &)) {
    ReplayWriter writer;
    writer.file = tmpfile();
    write(writer);
    std::string text;
    rewind(writer.file);
    int c;
    while ((c = fgetc(writer.file)) != EOF) {
        text += (char)c;
    }
    fclose(writer.file);
    return text;
}

TEST(ReplayFile, WhatTheWriterWritesReadsBackTheSame) {
    std::string text = Written([](ReplayWriter &w) {
        w.Header();
        w.Seed(4294967295u);
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
    EXPECT_EQ(text, "quarndel-replay 1\nseed 4294967295\nf 9c1e02a7 data/cursor/info\n"
                    "4294967290 +13 -13:1 h+273 =beef\nplay 2 data/level 1\n17 ~0001\n*2\n"
                    "16 q =0002\nend 1240 -1 2 8a7b6c5d 5\n");

    Recording r = Parse(text);
    EXPECT_EQ(r.seed, 4294967295u);
    ASSERT_EQ(r.files.size(), 1u);
    EXPECT_EQ(r.files[0].path, "data/cursor/info");
    EXPECT_EQ(r.files[0].hash, 0x9c1e02a7u);
    EXPECT_TRUE(r.hasPlay);
    EXPECT_EQ(r.playIteration, 1u);
    EXPECT_EQ(r.difficulty, 2);
    EXPECT_EQ(r.startLevel, "data/level 1");
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
        {"cut in a line", kHead + "16 =00", "line 3: the file is cut off"},
        {"no end line", kHead + "16 =0000\n", "line 3: the file stops before its end line"},
        {"iteration before the seed", "quarndel-replay 1\n16 =0000\n" + end1,
         "line 2: an iteration comes before the seed"},
        {"seed twice", kHead + "seed 8\n", "line 3: the seed line"},
        {"seed after an iteration", "quarndel-replay 1\nseed 1\n16 =0000\nseed 2\n", "line 4"},
        {"huge seed", "quarndel-replay 1\nseed 4294967296\n", "line 2: the seed is not"},
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
                 for (int i = 0; i < 4; ++i) {
                     s += "*1000000\n";
                 }
                 return s;
             }(),
         "line 7: too many iterations"},
        {"end counts wrong", kHead + "16 =0000\nend 0 1 1 00000000 2\n",
         "line 4: the end line counts 2 iterations but the file holds 1"},
        {"end short", kHead + "16 =0000\nend 0 1 1\n", "line 4: the end line needs"},
        {"end huge score", kHead + "16 =0000\nend 2147483648 1 1 00000000 1\n",
         "line 4: a number on the end line"},
        {"line after the end", kHead + "16 =0000\n" + end1 + "16 =0000\n",
         "line 5: a line after the end line"},
        {"second play", kHead + "play 0 data/level_1\nplay 0 data/level_1\n",
         "line 4: a second play line"},
        {"difficulty 3", kHead + "play 3 data/level_1\n", "line 3: the difficulty"},
        {"play without level", kHead + "play 1\n", "line 3: the play line names no level"},
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

} // namespace
