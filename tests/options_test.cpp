#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/options.h"
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
           " headless=" + std::to_string(o.headless) + " verify=" + std::to_string(o.verify) + " ";
}

std::string Slurp(FILE *file) {
    std::string text;
    rewind(file);
    int c;
    while ((c = fgetc(file)) != EOF) {
        text += (char)c;
    }
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
    EXPECT_EQ(p.fields, " dataDir=(null) level=(null) fullscreen=0 mute=0 record=(null) "
                        "replay=(null) headless=0 verify=0 ");
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
          "--replay FILE", "--headless", "--verify", "--help", "--version"}) {
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
        {{"--headless"}, "quarndel: --headless and --verify need --replay\n"},
        {{"--replay", "r", "--verify"}, "quarndel: --verify needs --headless\n"},
        {{"--record", "a", "--replay", "b"},
         "quarndel: --record and --replay cannot be combined\n"},
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
