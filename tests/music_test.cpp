#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "sound/music.h"
#include "tests/support.h"

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

// Runs a case's body and ends the process: status 0 when it recorded no
// failure, else 1 after printing its failures on the error output.
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
    exit(failures.size() == 0 ? 0 : 1);
}

// The music layer opens the sound device once per process and keeps it open,
// so each case runs in a fresh process of its own: the threadsafe death-test
// style starts the test binary again for it.
template <typename Body> void InFreshProcess(Body body) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunCaseAndExit(body), ::testing::ExitedWithCode(0), "");
}

bool Silent(const std::string &samples) {
    for (char c : samples) {
        if (c != 0) {
            return false;
        }
    }
    return true;
}

TEST(Music, PlaysUntilStoppedThenFallsSilent) {
    InFreshProcess([] {
        TempDir tmp;
        std::string output = tmp / "out.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "20", 1); // about real time for 2048-frame buffers
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
    });
}

TEST(Music, NoFileOrNoDeviceMeansNoMusicAndNoCrash) {
    InFreshProcess([] {
        setenv("SDL_AUDIODRIVER", "no_such_audio", 1);
        EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
        EXPECT_EQ(FMUSIC_LoadSong("data/music/title_screen.mid"), nullptr);
        EXPECT_EQ(FMUSIC_PlaySong(nullptr), 0);
        EXPECT_EQ(FMUSIC_StopSong(nullptr), 0);
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

} // namespace
