#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/options.h"
#include "levelsets/data_folder.h"
#include "tests/support.h"

namespace {

// Parses a command line given as words after the program name, capturing
// what goes to standard output and standard error.
struct Parsed {
    int status;
    Options options; // its strings point into words that are gone: use fields
    std::string fields;
    std::string out;
    std::string err;
};

std::string Str(const char *s) {
    return s != nullptr ? s : "(null)";
}

// Every field as " name=value ", for finding one in a table row.
std::string Fields(const Options &o) {
    return " dataDir=" + Str(o.dataDir) + " level=" + Str(o.level) +
           " fullscreen=" + std::to_string(o.fullscreen) + " mute=" + std::to_string(o.mute) +
           " record=" + Str(o.record) + " replay=" + Str(o.replay) +
           " headless=" + std::to_string(o.headless) + " verify=" + std::to_string(o.verify) +
           " scale=" + std::to_string(o.scale) + " settings=" + Str(o.settings) +
           " scoresDir=" + Str(o.scoresDir) + " scores=" + std::to_string(o.scores) +
           " verifyScores=" + std::to_string(o.verifyScores) +
           " installLevels=" + Str(o.installLevels) + " levels=" + Str(o.levels) +
           " overwrite=" + std::to_string(o.overwrite) + " ";
}

std::string Slurp(FILE *file) {
    std::string text = ReadBack(file);
    fclose(file);
    return text;
}

Parsed Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "quarndel");
    std::vector<char *> argv;
    for (std::string &w : words) {
        argv.push_back(&w[0]);
    }
    argv.push_back(nullptr);
    FILE *out = tmpfile();
    FILE *err = tmpfile();
    Parsed p;
    p.status = ParseOptions((int)words.size(), argv.data(), p.options, out, err);
    p.fields = Fields(p.options);
    p.out = Slurp(out);
    p.err = Slurp(err);
    return p;
}

TEST(Options, NoOptionsStartsTheGameWithEverythingOff) {
    Parsed p = Parse({});
    EXPECT_EQ(p.status, -1);
    EXPECT_EQ(p.fields,
              " dataDir=(null) level=(null) fullscreen=0 mute=0 record=(null) "
              "replay=(null) headless=0 verify=0 scale=0 settings=(null) scoresDir=(null) "
              "scores=0 verifyScores=0 installLevels=(null) levels=(null) overwrite=0 ");
    EXPECT_EQ(p.out + p.err, "");
}

TEST(Options, EveryOptionIsReadInBothSpellings) {
    struct Case {
        std::vector<std::string> words;
        std::string field; // the field the words set, as "name=value"
    };
    const Case cases[] = {
        {{"--data-dir", "/srv/q"}, "dataDir=/srv/q"},
        {{"--data-dir=/srv/q"}, "dataDir=/srv/q"},
        {{"--level", "data/level_3"}, "level=data/level_3"},
        {{"--level=data/level_3"}, "level=data/level_3"},
        {{"--fullscreen"}, "fullscreen=1"},
        {{"--mute"}, "mute=1"},
        {{"--record", "run.txt"}, "record=run.txt"},
        {{"--replay=run.txt"}, "replay=run.txt"},
        {{"--replay", "run.txt", "--headless"}, "headless=1"},
        {{"--replay", "run.txt", "--headless", "--verify"}, "verify=1"},
        {{"--scale", "1"}, "scale=1"},
        {{"--scale=4"}, "scale=4"},
        {{"--scale", "auto"}, "scale=-1"},
        {{"--settings", "my.ini"}, "settings=my.ini"},
        {{"--scores-dir=/tmp/s"}, "scoresDir=/tmp/s"},
        {{"--scores"}, "scores=1"},
        {{"--verify-scores"}, "verifyScores=1"},
        {{"--install-levels", "my.zip"}, "installLevels=my.zip"},
        {{"--install-levels=my.zip", "--overwrite"}, "overwrite=1"},
        {{"--levels", "my_set"}, "levels=my_set"},
        // A value may look like an option: it is still the value.
        {{"--level", "--mute"}, "level=--mute"},
        // The last of a repeated option wins.
        {{"--level", "a", "--level", "b"}, "level=b"},
    };
    for (const Case &c : cases) {
        Parsed p = Parse(c.words);
        EXPECT_EQ(p.status, -1) << c.words[0] << ": " << p.err;
        EXPECT_NE(p.fields.find(" " + c.field + " "), std::string::npos)
            << c.words[0] << " gave" << p.fields;
        EXPECT_EQ(p.err, "");
    }
}

TEST(Options, HelpAndVersionPrintToStandardOutputAndEndTheRun) {
    Parsed help = Parse({"--mute", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: quarndel [OPTION]...\n", 0), 0u);
    for (const char *option :
         {"--data-dir DIR", "--level DIR", "--fullscreen", "--mute", "--record FILE",
          "--replay FILE", "--headless", "--verify", "--help", "--version", "--scale N|auto",
          "--settings FILE", "--scores", "--verify-scores", "--scores-dir DIR"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(Parse({"-h"}).out, help.out);

    Parsed version = Parse({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("quarndel ") + GameVersion() + "\n");
    EXPECT_NE(std::string(GameVersion()), "0"); // the build's version reached the code
    EXPECT_EQ(help.err + version.err, "");
}

TEST(Options, BadCommandLinesPrintUsageToStandardErrorWithStatusTwo) {
    struct Case {
        std::vector<std::string> words;
        const char *message;
    };
    const Case cases[] = {
        {{"--bogus"}, "quarndel: unknown option: --bogus\n"},
        {{"-x"}, "quarndel: unknown option: -x\n"},
        {{"--mute=yes"}, "quarndel: unknown option: --mute=yes\n"},
        {{"--level"}, "quarndel: option needs a value: --level\n"},
        {{"--mute", "--data-dir"}, "quarndel: option needs a value: --data-dir\n"},
        {{"level_3"}, "quarndel: unexpected argument: level_3\n"},
        // "--" ends the options: what follows is an argument, and the game
        // takes none.
        {{"--", "--help"}, "quarndel: unexpected argument: --help\n"},
        {{"--scale", "5"}, "quarndel: --scale takes 1 to 4 or auto, not 5\n"},
        {{"--scale", "2x"}, "quarndel: --scale takes 1 to 4 or auto, not 2x\n"},
        {{"--scale=0"}, "quarndel: --scale takes 1 to 4 or auto, not 0\n"},
        {{"--headless"}, "quarndel: --headless and --verify need --replay\n"},
        {{"--replay", "r", "--verify"}, "quarndel: --verify needs --headless\n"},
        {{"--record", "a", "--replay", "b"},
         "quarndel: --record and --replay cannot be combined\n"},
        {{"--scores", "--verify-scores"},
         "quarndel: --scores and --verify-scores cannot be combined\n"},
        {{"--overwrite"}, "quarndel: --overwrite needs --record or --install-levels\n"},
        {{"--install-levels", "p.zip", "--record", "r"},
         "quarndel: --install-levels installs a pack and plays no game\n"},
        {{"--levels", "s", "--replay", "r"},
         "quarndel: --levels cannot be combined with --replay\n"},
    };
    for (const Case &c : cases) {
        Parsed p = Parse(c.words);
        EXPECT_EQ(p.status, 2) << c.message;
        EXPECT_EQ(p.out, "") << c.message;
        EXPECT_EQ(p.err, std::string(c.message) + "Try 'quarndel --help' for more information.\n");
    }
    // "--" alone is fine: no options, no arguments.
    EXPECT_EQ(Parse({"--"}).status, -1);
}

TEST(Options, TheGameExitsOnHelpAndOnABadCommandLineBeforeAnyWindow) {
    std::string out;
    // No display at all: the game must not get as far as opening a window.
    EXPECT_EQ(RunCommand("SDL_VIDEODRIVER=no_such_driver " QUARNDEL_EXE " --version", &out), 0);
    EXPECT_EQ(out, std::string("quarndel ") + GameVersion() + "\n");
    EXPECT_EQ(RunCommand("SDL_VIDEODRIVER=no_such_driver " QUARNDEL_EXE " --bogus", &out), 2);
    EXPECT_EQ(out.rfind("quarndel: unknown option: --bogus\n", 0), 0u) << out;
}

} // namespace

namespace {

// A folder to start in, an installed data folder and a named one, each
// holding as much of a data tree as a case asks for.
TEST(DataFolder, CurrentFolderWinsThenTheInstalledOneThenTheCurrentAgain) {
    enum Tree { kNone, kDataOnly, kFirstLevel };
    struct Case {
        Tree here, installed;
        const char *want; // "here" (stay), "installed"
    };
    const Case cases[] = {
        {kFirstLevel, kFirstLevel, "here"},
        {kFirstLevel, kNone, "here"},
        {kNone, kFirstLevel, "installed"},
        {kDataOnly, kFirstLevel, "installed"}, // data/ without levels is not a data folder
        {kNone, kDataOnly, "here"},
        {kNone, kNone, "here"}, // nothing anywhere: the game runs as documented
    };
    for (const Case &c : cases) {
        TempDir tmp;
        for (auto [name, tree] : {std::pair{"here", c.here}, {"installed", c.installed}}) {
            MakeDirs(tmp / name);
            if (tree != kNone) {
                MakeDirs(tmp / name + (tree == kFirstLevel ? "/data/level_1" : "/data"));
            }
        }
        WorkingDir cwd(tmp / "here");
        std::string installed = tmp / "installed";
        DataFolderChoice choice = ChooseDataFolder(nullptr, installed.c_str());
        std::string row = std::to_string(c.here) + std::to_string(c.installed);
        EXPECT_EQ(choice.folder, std::string(c.want) == "here" ? "" : installed) << row;
        EXPECT_EQ(choice.error, "") << row;
    }
    // No installed folder compiled in: stay.
    EXPECT_EQ(ChooseDataFolder(nullptr, "").folder, "");
    EXPECT_EQ(ChooseDataFolder(nullptr, nullptr).folder, "");
}

TEST(DataFolder, ANamedFolderIsUsedWhenItHoldsDataAndIsAnErrorOtherwise) {
    TempDir tmp;
    MakeDirs(tmp / "here/data/level_1");
    MakeDirs(tmp / "pack/data");
    MakeDirs(tmp / "empty");
    WriteFile(tmp / "file", "");
    WorkingDir cwd(tmp / "here");
    std::string installed = tmp / "here";

    // Named wins over the current folder, and needs no data/level_1.
    DataFolderChoice pack = ChooseDataFolder((tmp / "pack").c_str(), installed.c_str());
    EXPECT_EQ(pack.folder, tmp / "pack");
    EXPECT_EQ(pack.error, "");
    struct Case {
        std::string named, error;
    };
    const Case cases[] = {
        {tmp / "missing", "quarndel: --data-dir " + (tmp / "missing") + ": no such folder"},
        {tmp / "file", "quarndel: --data-dir " + (tmp / "file") + ": no such folder"},
        {tmp / "empty", "quarndel: --data-dir " + (tmp / "empty") + ": no data/ folder in it"},
    };
    for (const Case &c : cases) {
        DataFolderChoice choice = ChooseDataFolder(c.named.c_str(), installed.c_str());
        EXPECT_EQ(choice.error, c.error);
        EXPECT_EQ(choice.folder, "");
    }
}

TEST(DataFolder, TheGameChangesIntoTheNamedFolderAndStillFindsARelativeLevel) {
    TempDir tree;
    WriteTestDataTree(tree.Path());
    TempDir start;
    // The author's level, given relative to the folder the game starts in;
    // its own paths are relative to the data folder.
    WriteLevel(start / "work/level_9",
               "LEVEL: 9\nLEVEL IMAGE: data/level_1/title.bmp\nNEXT LEVEL: none\n"
               "SCENE: data/level_2/scene.bmp\nBOSS: data/boss\nSHIP: data/ship\n"
               "BULLET: data/bullet\n");
    std::string out;
    std::string run = "cd " + start.Path() +
                      " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                      "timeout --preserve-status -s TERM 1 " QUARNDEL_EXE " --data-dir " +
                      tree.Path();
    // Every start-up file and the level were found: nothing is reported.
    EXPECT_EQ(RunCommand(run + " --level work/level_9", &out), 0) << out;
    EXPECT_EQ(out, "");
    // A level that cannot be read gives its usual message, with the folder
    // the game looked in.
    EXPECT_EQ(RunCommand(run + " --level work/level_8", &out), 0) << out;
    EXPECT_EQ(out.rfind("ERROR opening file " + start.Path() + "/work/level_8/leveldata\n\n", 0),
              0u)
        << out;

    // A named folder that cannot be used ends the game before any window.
    EXPECT_EQ(RunCommand("SDL_VIDEODRIVER=no_such_driver " QUARNDEL_EXE " --data-dir " +
                             (start / "nowhere"),
                         &out),
              1);
    EXPECT_EQ(out, "quarndel: --data-dir " + (start / "nowhere") + ": no such folder\n");
}

TEST(Options, WatchIsReadAndNeverCombinedWithRecordings) {
    Parsed p = Parse({"--watch", "--level", "data/mine"});
    EXPECT_EQ(p.status, -1);
    EXPECT_TRUE(p.options.watch);
    EXPECT_FALSE(Parse({}).options.watch);
    EXPECT_NE(Parse({"--help"}).out.find("--watch"), std::string::npos);
    for (const char *other : {"--record", "--replay"}) {
        p = Parse({"--watch", other, "run.qrp"});
        EXPECT_EQ(p.status, kExitUsage);
        EXPECT_EQ(
            p.err.rfind("quarndel: --watch cannot be combined with --record or --replay\n", 0), 0u);
    }
}

} // namespace
