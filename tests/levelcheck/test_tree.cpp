#include "tests/levelcheck/test_tree.h"

#include "check/check.h"

namespace {

std::vector<std::string> CompleteLevel(int n) {
    std::string dir = "data/level_" + std::to_string(n);
    return {"LEVEL: " + std::to_string(n),
            "LEVEL IMAGE: " + dir + "/title.bmp",
            n == 1 ? "NEXT LEVEL: data/level_2" : "NEXT LEVEL: none",
            "DISTANCE: 2",
            "BOSS: data/boss",
            "BOSS_HP: 3",
            "SCENE: " + dir + "/scene.bmp",
            "SHIP: data/ship",
            "BULLET: data/bullet",
            "ENEMY 1: 0 1 0",
            "ENEMY 2: 0 1 1",
            "ENEMY 3: 0 2 1"};
}

} // namespace

void CheckedTree::SetUp() {
    OpenTestScreen();
    std::string data = tree / "data";
    MakeDirs(data + "/difficulty");
    MakeDirs(data + "/music");
    WriteBmp(data + "/titlescreen.bmp", 640, 480, 10, 20, 30);
    for (int i = 0; i < 3; ++i) {
        WriteBmp(data + "/difficulty/" + std::to_string(i) + ".bmp", 100, 20, 200, 0, 0);
    }
    WriteBmp(data + "/paused.bmp", 200, 50, 90, 90, 0);
    WriteBmp(data + "/gameover.bmp", 300, 50, 120, 0, 120);
    WriteFile(data + "/music/title_screen.mid", std::string("MThd\0\0\0\6", 8));
    WriteSpriteSet(data + "/cursor", 2, 32, 32);
    WriteSpriteSet(data + "/enemy", 2, 48, 48);
    WriteSpriteSet(data + "/ship", 2, 72, 52);
    WriteSpriteSet(data + "/bullet", 2, 16, 6);
    WriteSpriteSet(data + "/boss", 2, 200, 200);
    WriteTestFont(data + "/font");
    for (int n = 1; n <= 2; ++n) {
        std::string dir = data + "/level_" + std::to_string(n);
        MakeDirs(dir);
        WriteBmp(dir + "/scene.bmp", 640, 480, 0, 0, 40 * n);
        WriteBmp(dir + "/title.bmp", 100, 40, 250, 250, 250);
        levels[n - 1] = CompleteLevel(n);
        WriteLevelFile(n);
    }
}

void CheckedTree::WriteLevelFile(int n) {
    std::string text;
    for (const std::string &line : levels[n - 1]) {
        text += line + "\n";
    }
    WriteLevel(tree / ("data/level_" + std::to_string(n)), text);
}

int CheckedTree::EditLevel(int n, const std::string &prefix, const std::string &line) {
    std::vector<std::string> &lines = levels[n - 1];
    for (size_t i = 0; i < lines.size() && !prefix.empty(); ++i) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) {
            lines.erase(lines.begin() + i);
            break;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    WriteLevelFile(n);
    return (int)lines.size();
}

void CheckedTree::SetFirstLine(const std::string &line) {
    levels[0][0] = line;
    WriteLevelFile(1);
}

Report CheckedTree::Check(const std::string &firstLevel) {
    WorkingDir cwd(tree.Path());
    Report report;
    CheckGameData(firstLevel, report);
    return report;
}

std::string Describe(const Report &report) {
    std::string text;
    for (const Finding &f : report.findings) {
        text += FormatFinding(f) + "\n";
    }
    return text + FormatSummary(report);
}

::testing::AssertionResult HasFinding(const Report &report, const std::string &path, int line,
                                      Severity severity, const std::string &text) {
    int matches = 0;
    for (const Finding &f : report.findings) {
        if (f.path == path && f.line == line && f.severity == severity &&
            f.message.find(text) != std::string::npos) {
            ++matches;
        }
    }
    if (matches == 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << matches << " findings at " << path << ":" << line
                                         << " containing \"" << text << "\" in:\n"
                                         << Describe(report);
}

void WriteTwoColourBackground(const std::string &path, Uint32 a, Uint32 b, bool split) {
    SDL_Surface *s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    ASSERT_NE(s, nullptr);
    for (int x = 0; x < 640; ++x) {
        bool first = split ? x < 320 : x % 2 == 0;
        SDL_Rect column = {(Sint16)x, 0, 1, 480};
        SDL_FillRect(s, &column, first ? a : b);
    }
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0) << path;
    SDL_FreeSurface(s);
}
