#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "game/seams.h"
#include "sound/effects.h"
#include "sound/music.h"
#include "sound/wav_check.h"
#include "tests/game_fixtures.h"

namespace {

// A one-track MIDI file: a piano chord held for four seconds.
std::string SmallMidi() {
    std::string track = {
        0x00,       (char)0xC0, 0x00,                                           // piano
        0x00,       (char)0x90, 0x3C, 0x70,       0x00, (char)0x90, 0x40, 0x70, // two notes on
        (char)0x83, (char)0xC0, 0x00, (char)0x80, 0x3C, 0x00,                   // 8 beats later off
        0x00,       (char)0x80, 0x40, 0x00,       0x00, (char)0xFF, 0x2F, 0x00, // end of track
    };
    std::string file = std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14);
    file += "MTrk";
    file += std::string({0, 0, 0, (char)track.size()});
    return file + track;
}

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a case's body and ends the process as the game does, closing SDL (and
// so stopping the sound thread) before exit unloads the libraries that thread
// is still mixing with: status 0 when it recorded no failure, else 1 after
// printing its failures on the error output.
template <typename Body> [[noreturn]] void RunCaseAndExit(Body body) {
    ::testing::TestPartResultArray failures;
    {
        ::testing::ScopedFakeTestPartResultReporter catcher(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &failures);
        body();
    }
    for (int i = 0; i < failures.size(); ++i) {
        const ::testing::TestPartResult &failure = failures.GetTestPartResult(i);
        fprintf(stderr, "%s:%d: %s\n", failure.file_name(), failure.line_number(),
                failure.message());
    }
    SDL_Quit();
    exit(failures.size() == 0 ? 0 : 1);
}

// The music layer opens the sound device once per process and keeps it open,
// so each case that needs a driver of its own runs in a fresh process: the
// threadsafe death-test style starts the test binary again for it.
template <typename Body> void InFreshProcess(Body body) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunCaseAndExit(body), ::testing::ExitedWithCode(0), "");
}

std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) {
        s += (char)((v >> (8 * i)) & 0xff);
    }
    return s;
}

// A RIFF chunk, padded to an even size.
std::string Chunk(const char *id, const std::string &body, uint32_t length) {
    return std::string(id, 4) + Le(length, 4) + body + (body.size() % 2 ? std::string(1, 0) : "");
}
std::string Chunk(const char *id, const std::string &body) {
    return Chunk(id, body, (uint32_t)body.size());
}

std::string Fmt(int format, int channels, int rate, int bits, int align = -1) {
    if (align < 0) {
        align = channels * bits / 8;
    }
    return Chunk("fmt ", Le(format, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * align, 4) +
                             Le(align, 2) + Le(bits, 2));
}

std::string Riff(const std::string &chunks) {
    return "RIFF" + Le(4 + chunks.size(), 4) + "WAVE" + chunks;
}

bool Silent(const std::string &samples) {
    for (char c : samples) {
        if (c != 0) {
            return false;
        }
    }
    return true;
}

// Whether the channel is playing the sample.
bool PlayingOn(int channel, Mix_Chunk *chunk) {
    return chunk != nullptr && Mix_Playing(channel) && Mix_GetChunk(channel) == chunk;
}

bool Playing(Mix_Chunk *chunk) {
    for (int channel = 0; channel < Mix_AllocateChannels(-1); ++channel) {
        if (PlayingOn(channel, chunk)) {
            return true;
        }
    }
    return false;
}

TEST(Music, TuneAndEffectsReachTheOutputUntilStoppedOrMuted) {
    InFreshProcess([] {
        TempDir tmp;
        std::string output = tmp / "out.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "10", 1); // about real time for 512-frame buffers
        WriteFile(tmp / "tune.mid", SmallMidi());
        ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1) << SDL_GetError();
        FMUSIC_MODULE *song = FMUSIC_LoadSong((tmp / "tune.mid").c_str());
        ASSERT_NE(song, nullptr) << SDL_GetError();
        EXPECT_EQ(FMUSIC_PlaySong(song), 1);
        SDL_Delay(1500);
        std::string playing = ReadAll(output);
        ASSERT_GT(playing.size(), 4096u);
        EXPECT_FALSE(Silent(playing.substr(playing.size() / 2)));
        EXPECT_EQ(FMUSIC_StopSong(song), 1);
        SDL_Delay(300); // let the buffers queued before the stop drain
        size_t stopped = ReadAll(output).size();
        SDL_Delay(500);
        std::string after = ReadAll(output);
        ASSERT_GT(after.size(), stopped);
        EXPECT_TRUE(Silent(after.substr(stopped)));

        // A shot fired after the tune has stopped is heard.
        {
            WorkingDir source{QUARNDEL_SOURCE_DIR}; // the shipped effects
            LoadEffects(false);
        }
        ASSERT_NE(EffectChunk(GameEvent::ShotFired), nullptr);
        size_t before = ReadAll(output).size();
        ReportEvent(GameEvent::ShotFired);
        SDL_Delay(300);
        std::string fired = ReadAll(output);
        ASSERT_GT(fired.size(), before);
        EXPECT_FALSE(Silent(fired.substr(before)));

        // Muted, neither the tune nor an effect reaches the output.
        SetMuted(true);
        EXPECT_EQ(FMUSIC_PlaySong(song), 1);
        ReportEvent(GameEvent::BossDestroyed);
        SDL_Delay(100); // a buffer mixed before the mute may still be written
        size_t muted = ReadAll(output).size();
        SDL_Delay(600);
        std::string quiet = ReadAll(output);
        ASSERT_GT(quiet.size(), muted);
        EXPECT_TRUE(Silent(quiet.substr(muted)));
        FMUSIC_StopSong(song);
        SetMuted(false);
        FreeEffects();
    });
}

TEST(Music, NoFileOrNoDeviceMeansNoMusicAndNoCrash) {
    InFreshProcess([] {
        setenv("SDL_AUDIODRIVER", "no_such_audio", 1);
        EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
        EXPECT_EQ(FMUSIC_LoadSong("data/music/title_screen.mid"), nullptr);
        EXPECT_EQ(FMUSIC_PlaySong(nullptr), 0);
        EXPECT_EQ(FMUSIC_StopSong(nullptr), 0);
        // The effects stay silent too, and a device missing is no missing file.
        testing::internal::CaptureStdout();
        LoadEffects(false);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(EffectChunk(GameEvent::ShotFired), nullptr);
        ReportEvent(GameEvent::BossDestroyed);
        EXPECT_EQ(EffectStarts(GameEvent::BossDestroyed), 0);
        ToggleMute();
        EXPECT_TRUE(Muted());
        ToggleMute();
        EXPECT_FALSE(Muted());
    });
}

TEST(Music, MissingOrGarbledSongNeverCrashes) {
    InFreshProcess([] {
        TempDir tmp;
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);
        EXPECT_EQ(FMUSIC_LoadSong((tmp / "missing.mid").c_str()), nullptr);
        // The MIDI player takes a garbled file by its name and plays nothing.
        WriteFile(tmp / "bad.mid", "not a tune at all");
        FMUSIC_MODULE *bad = FMUSIC_LoadSong((tmp / "bad.mid").c_str());
        FMUSIC_PlaySong(bad);
        SDL_Delay(100);
        FMUSIC_StopSong(bad);
    });
}

TEST(EffectFiles, OnlyPlainPcmWaveFilesReachTheDecoder) {
    const std::string data = Chunk("data", std::string(64, 'x'));
    struct Case {
        const char *what;
        std::string bytes;
        bool plain;
    } cases[] = {
        {"16-bit mono", Riff(Fmt(1, 1, 44100, 16) + data), true},
        {"8-bit stereo", Riff(Fmt(1, 2, 22050, 8) + data), true},
        {"list and cue chunks",
         Riff(Chunk("LIST", "abcd") + Fmt(1, 1, 8000, 16) + Chunk("cue ", "xy") + data), true},
        // SDL reads on right after an odd-sized chunk, without its pad byte.
        {"odd list before the format", Riff(Chunk("LIST", "abc") + Fmt(1, 1, 8000, 16) + data),
         false},
        {"odd chunk before the data", Riff(Fmt(1, 1, 8000, 16) + Chunk("cue ", "x") + data), false},
        {"ADPCM", Riff(Fmt(2, 1, 44100, 4, 256) + data), false},
        {"float", Riff(Fmt(3, 1, 44100, 32) + data), false},
        {"no channels", Riff(Fmt(1, 0, 44100, 16) + data), false},
        {"six channels", Riff(Fmt(1, 6, 44100, 16) + data), false},
        {"24 bits", Riff(Fmt(1, 1, 44100, 24) + data), false},
        {"rate too low", Riff(Fmt(1, 1, 4000, 16) + data), false},
        {"rate too high", Riff(Fmt(1, 1, 192000, 16) + data), false},
        {"block size wrong", Riff(Fmt(1, 2, 44100, 16, 1) + data), false},
        {"short format", Riff(Chunk("fmt ", std::string(14, 1)) + data), false},
        {"two formats", Riff(Fmt(1, 1, 44100, 16) + Fmt(1, 1, 44100, 16) + data), false},
        {"data first", Riff(data + Fmt(1, 1, 44100, 16)), false},
        {"other chunk first", Riff(Chunk("JUNK", "ab") + Fmt(1, 1, 44100, 16) + data), false},
        {"no data", Riff(Fmt(1, 1, 44100, 16)), false},
        {"empty data", Riff(Fmt(1, 1, 44100, 16) + Chunk("data", "")), false},
        {"data past the end", Riff(Fmt(1, 1, 44100, 16) + Chunk("data", "abcd", 0xfffffff0u)),
         false},
        {"format past the end", Riff(Chunk("fmt ", "", 0xffffffffu)), false},
        {"not RIFF", "RIFX" + Riff(Fmt(1, 1, 44100, 16) + data).substr(4), false},
        {"not WAVE", Riff(Fmt(1, 1, 44100, 16) + data).replace(8, 4, "AVI "), false},
        {"cut short", "RIFF\x10\0\0\0WAV", false},
        {"empty", "", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PlainPcmWav((const uint8_t *)c.bytes.data(), c.bytes.size()), c.plain) << c.what;
    }
}

using EffectsTest = DataTreeFixture;

TEST_F(EffectsTest, MissingOrUnreadableEffectIsReportedAtStartUpAndSilent) {
    remove("data/sounds/boss_hit.wav");
    WriteFile("data/sounds/ship_hit.wav", "RIFF, but no sound in it");
    // Plain enough for SDL, but refused: it would grow 44-fold when converted.
    WriteFile("data/sounds/game_over.wav",
              Riff(Fmt(1, 1, 4000, 8) + Chunk("data", std::string(4000, 'x'))));
    testing::internal::CaptureStdout();
    game.Init();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR opening file data/sounds/boss_hit.wav\n\n"
              "ERROR opening file data/sounds/ship_hit.wav\n\n"
              "ERROR opening file data/sounds/game_over.wav\n\n");
    ReportEvent(GameEvent::BossHit);
    ReportEvent(GameEvent::LifeLost);
    EXPECT_EQ(Mix_Playing(-1), 0);
    ReportEvent(GameEvent::EnemyHit); // the others still play
    EXPECT_EQ(Mix_Playing(-1), 1);
    ExpectEffects({{GameEvent::EnemyHit, 1}});
}

TEST_F(EffectsTest, MuteKeyOnTitleAndInPlaySilencesEffects) {
    game.Init();
    ReportEvent(GameEvent::LifeLost);
    EXPECT_TRUE(Playing(EffectChunk(GameEvent::LifeLost)));
    PushKey(SDLK_m);
    game.TitleStep();
    EXPECT_TRUE(Muted());
    EXPECT_EQ(Mix_Playing(-1), 0); // what was sounding stops
    ReportEvent(GameEvent::ShotFired);
    ReportEvent(GameEvent::BossDestroyed);
    EXPECT_EQ(Mix_Playing(-1), 0);
    ExpectEffects({{GameEvent::LifeLost, 1}});

    game.titleRunning = 0;
    game.quit = 0;
    game.gameOver = 0;
    game.EnterPlay();
    PushKey(SDLK_m);
    game.PlayStep();
    EXPECT_FALSE(Muted());
    ReportEvent(GameEvent::ShotFired);
    ExpectEffects({{GameEvent::LifeLost, 1}, {GameEvent::ShotFired, 1}});
}

TEST_F(EffectsTest, MuteOptionStartsMuted) {
    launch.mute = true;
    game.Init();
    launch = LaunchChoices();
    EXPECT_TRUE(Muted());
    ReportEvent(GameEvent::MenuMove);
    EXPECT_EQ(Mix_Playing(-1), 0);
    SetMuted(false);
}

TEST_F(EffectsTest, ABurstOfShotsNeverSilencesALouderEffect) {
    game.Init();
    ReportEvent(GameEvent::BossDestroyed);
    ReportEvent(GameEvent::LifeLost);
    ReportEvent(GameEvent::EnemyDestroyed);
    // The louder effects are now the longest sounding: the ones a scheme
    // that replaces the oldest effect would take first.
    SDL_Delay(5);
    for (int i = 0; i < 40; ++i) {
        ReportEvent(GameEvent::ShotFired);
        ReportEvent(GameEvent::EnemyHit);
    }
    EXPECT_TRUE(Playing(EffectChunk(GameEvent::BossDestroyed)));
    EXPECT_TRUE(Playing(EffectChunk(GameEvent::LifeLost)));
    EXPECT_TRUE(Playing(EffectChunk(GameEvent::EnemyDestroyed)));
    EXPECT_TRUE(Playing(EffectChunk(GameEvent::ShotFired))); // the newest shots sound
    ExpectEffects({{GameEvent::BossDestroyed, 1},
                   {GameEvent::LifeLost, 1},
                   {GameEvent::EnemyDestroyed, 1},
                   {GameEvent::ShotFired, 40},
                   {GameEvent::EnemyHit, 40}});
}

} // namespace
