#pragma once
// What the player asked for on the command line, as one record that the
// rooms of the shell read: the program's start-up (app/options.h) fills it.
// Started without options every field is off and the game plays exactly as
// it always has.
struct Options {
    const char *dataDir = nullptr; // --data-dir: folder holding data/
    const char *level = nullptr;   // --level: level folder play starts with
    bool fullscreen = false;       // --fullscreen
    bool mute = false;             // --mute: tune and effects start muted
    const char *record = nullptr;  // --record: file the game is recorded into
    bool overwrite = false;        // --overwrite: --record or --install-levels may replace
    const char *replay = nullptr;  // --replay: recording played back
    bool headless = false;         // --headless: replay without window or pacing
    bool verify = false;           // --verify: replay must end as recorded

    int scale = 0;                  // --scale: 1 to 4, kScaleOptionAuto; 0 when not given
    const char *settings = nullptr; // --settings: the settings file in place of the usual one
    bool watch = false;             // --watch: reload the level in play when its files change

    const char *scoresDir = nullptr; // --scores-dir: the score table's folder
    bool scores = false;             // --scores: print the score tables and exit
    bool verifyScores = false;       // --verify-scores: replay every entry and exit

    const char *installLevels = nullptr; // --install-levels: a level pack to install, then exit
    const char *levels = nullptr;        // --levels: the installed level set to play
};

// --scale auto: the largest whole factor that fits the desktop.
constexpr int kScaleOptionAuto = -1;

// The options the game was started with; all off until ParseOptions runs.
extern Options options;
