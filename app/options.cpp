#include "app/options.h"

#include <cstring>
#include <getopt.h>

#include "replay/replay.h"

#ifndef QUARNDEL_VERSION
#define QUARNDEL_VERSION "0"
#endif

namespace {

enum OptionId {
    kHelp = 'h',
    kVersion = 256, // long-only options take ids beyond every character
    kDataDir,
    kLevel,
    kFullscreen,
    kMute,
    kRecord,
    kOverwrite,
    kReplay,
    kHeadless,
    kVerify,
    kScale,
    kSettings,
    kWatch,
    kScoresDir,
    kScores,
    kVerifyScores,
    kInstallLevels,
    kLevels,
};

const struct option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"data-dir", required_argument, nullptr, kDataDir},
    {"level", required_argument, nullptr, kLevel},
    {"fullscreen", no_argument, nullptr, kFullscreen},
    {"mute", no_argument, nullptr, kMute},
    {"record", required_argument, nullptr, kRecord},
    {"overwrite", no_argument, nullptr, kOverwrite},
    {"replay", required_argument, nullptr, kReplay},
    {"headless", no_argument, nullptr, kHeadless},
    {"verify", no_argument, nullptr, kVerify},
    {"scale", required_argument, nullptr, kScale},
    {"settings", required_argument, nullptr, kSettings},
    {"watch", no_argument, nullptr, kWatch},
    {"scores-dir", required_argument, nullptr, kScoresDir},
    {"scores", no_argument, nullptr, kScores},
    {"verify-scores", no_argument, nullptr, kVerifyScores},
    {"install-levels", required_argument, nullptr, kInstallLevels},
    {"levels", required_argument, nullptr, kLevels},
    {nullptr, 0, nullptr, 0},
};

const char kHelpText[] =
    "Usage: quarndel [OPTION]...\n"
    "A side-scrolling space shooter. Without options it reads data/ from the current\n"
    "folder, or from the installed data folder when the current one has no levels.\n"
    "\n"
    "  --data-dir DIR   read data/ from the folder DIR\n"
    "  --level DIR      start play, and every new game, at the level folder DIR\n"
    "  --fullscreen     start in fullscreen (F11 or Alt+Enter toggles it)\n"
    "  --scale N|auto   show the picture N times as large (1 to 4), or as large as\n"
    "                   fits the desktop\n"
    "  --settings FILE  read and keep the settings in FILE\n"
    "  --mute           start with the music and effects muted (M toggles it)\n"
    "  --record FILE    record the game into FILE (a new file, or a pipe)\n"
    "  --overwrite      with --record: replace FILE when it exists; with\n"
    "                   --install-levels: replace the installed set of that name\n"
    "  --replay FILE    play back the game recorded in FILE\n"
    "  --headless       with --replay: no window and no waiting; print the final state\n"
    "  --verify         with --replay --headless: exit 1 unless the game ends as recorded\n"
    "  --watch          reload the level in play whenever one of its files is saved,\n"
    "                   and show what quarndel-check finds in it\n"
    "  --scores         print the high score tables and exit\n"
    "  --verify-scores  replay every high score's recording and exit 1 unless each\n"
    "                   ends with its score, level and difficulty\n"
    "  --scores-dir DIR keep the high scores in DIR\n"
    "  --install-levels FILE  install the level pack FILE (.zip or .tar.gz) and exit\n"
    "  --levels NAME    play the installed level set NAME (L on the title lists them)\n"
    "  -h, --help       show this help and exit\n"
    "      --version    show the version and exit\n";

int Usage(FILE *err, const char *problem, const char *what) {
    const char *program = "quarndel";
    fprintf(err, "%s: %s%s\n", program, problem, what);
    fprintf(err, "Try '%s --help' for more information.\n", program);
    return kExitUsage;
}

// 1 to 4, kScaleOptionAuto, or 0 for anything else.
int ParseScale(const char *text) {
    if (strcmp(text, "auto") == 0) {
        return kScaleOptionAuto;
    }
    if (text[0] >= '1' && text[0] <= '4' && text[1] == '\0') {
        return text[0] - '0';
    }
    return 0;
}

// The options that turn a choice on, and those that keep their value.
struct FlagOption {
    int id;
    bool Options::*choice;
};
const FlagOption kFlagOptions[] = {
    {kFullscreen, &Options::fullscreen}, {kMute, &Options::mute},
    {kOverwrite, &Options::overwrite},   {kHeadless, &Options::headless},
    {kVerify, &Options::verify},         {kWatch, &Options::watch},
    {kScores, &Options::scores},         {kVerifyScores, &Options::verifyScores},
};
struct ValueOption {
    int id;
    const char *Options::*value;
};
const ValueOption kValueOptions[] = {
    {kDataDir, &Options::dataDir},
    {kLevel, &Options::level},
    {kRecord, &Options::record},
    {kReplay, &Options::replay},
    {kSettings, &Options::settings},
    {kScoresDir, &Options::scoresDir},
    {kInstallLevels, &Options::installLevels},
    {kLevels, &Options::levels},
};

// Takes the option getopt_long gave as id, with its value in optarg.
// Returns -1 to read on, else the status to exit with.
int TakeOption(int id, char **argv, Options &result, FILE *out, FILE *err) {
    for (const FlagOption &flag : kFlagOptions) {
        if (flag.id == id) {
            result.*flag.choice = true;
            return -1;
        }
    }
    for (const ValueOption &option : kValueOptions) {
        if (option.id == id) {
            result.*option.value = optarg;
            return -1;
        }
    }
    switch (id) {
    case kHelp:
        fputs(kHelpText, out);
        return kExitHelp;
    case kVersion:
        fprintf(out, "quarndel %s\n", GameVersion());
        return kExitHelp;
    case kScale:
        result.scale = ParseScale(optarg);
        if (result.scale == 0) {
            return Usage(err, "--scale takes 1 to 4 or auto, not ", optarg);
        }
        return -1;
    case ':':
        return Usage(err, "option needs a value: ", argv[optind - 1]);
    default:
        return Usage(err, "unknown option: ", argv[optind - 1]);
    }
}

// The options that need, or exclude, others. Returns -1 when they go
// together, else the status to exit with.
int CheckCombinations(const Options &result, FILE *err) {
    if ((result.headless || result.verify) && result.replay == nullptr) {
        return Usage(err, "--headless and --verify need --replay", "");
    }
    if (result.verify && !result.headless) {
        return Usage(err, "--verify needs --headless", "");
    }
    if (result.overwrite && result.record == nullptr && result.installLevels == nullptr) {
        return Usage(err, "--overwrite needs --record or --install-levels", "");
    }
    if (result.installLevels != nullptr && (result.record != nullptr || result.replay != nullptr ||
                                            result.scores || result.verifyScores)) {
        return Usage(err, "--install-levels installs a pack and plays no game", "");
    }
    if (result.levels != nullptr && result.replay != nullptr) {
        // A recording names the set it was played with.
        return Usage(err, "--levels cannot be combined with --replay", "");
    }
    if (result.record != nullptr && result.replay != nullptr) {
        return Usage(err, "--record and --replay cannot be combined", "");
    }
    if (result.scores && result.verifyScores) {
        return Usage(err, "--scores and --verify-scores cannot be combined", "");
    }
    if (result.watch && (result.record != nullptr || result.replay != nullptr)) {
        // A recording holds the level files a game was played with.
        return Usage(err, "--watch cannot be combined with --record or --replay", "");
    }
    return -1;
}

} // namespace

ReplayChoices ReplayChoicesOf(const Options &options) {
    ReplayChoices choices;
    choices.record = options.record;
    choices.overwrite = options.overwrite;
    choices.replay = options.replay;
    choices.headless = options.headless;
    choices.verify = options.verify;
    choices.level = options.level;
    return choices;
}

const char *GameVersion() {
    return QUARNDEL_VERSION;
}

int ParseOptions(int argc, char **argv, Options &result, FILE *out, FILE *err) {
    result = Options();
    // getopt_long keeps its place in globals: start it afresh, quietly (the
    // messages are the game's own).
    optind = 0;
    opterr = 0;
    int id;
    while ((id = getopt_long(argc, argv, ":h", kLongOptions, nullptr)) != -1) {
        int status = TakeOption(id, argv, result, out, err);
        if (status != -1) {
            return status;
        }
    }
    if (optind < argc) {
        return Usage(err, "unexpected argument: ", argv[optind]);
    }
    return CheckCombinations(result, err);
}
