#include "check/level_chain.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "check/frame_list.h"
#include "check/level_file.h"
#include "check/level_keys.h"
#include "check/pictures.h"
#include "level/level_info.h"
#include "sprites/image.h"

namespace {

// The size a game sprite set keeps from the first load that gave it frames:
// the hit box of every later level's sprites of that kind.
struct KeptSize {
    int w = 0;
    int h = 0;
    std::string from;       // the level file that named that first set
    std::string lastFolder; // the last folder the game could read for the set
};

struct ChainState {
    Report &report;
    std::map<std::string, SetCheck> sets; // set folders already checked
    std::set<std::string> pictures;       // pictures already checked, by role
    KeptSize kept[kLevelKeyCount];        // for SHIP, BULLET and BOSS
};

// One level as the chain reads it.
struct LevelReading {
    std::string path; // its leveldata file
    const LevelInfo &record;
    const LevelFileCheck &file;
    bool first;
};

// The value of a word key as messages show it.
std::string Word(const LevelReading &level, int k) {
    return FieldValue(level.record, k, 0);
}

// The line that last set key k in this level; 0 when it kept its value.
int LineOf(const LevelReading &level, int k) {
    return level.file.valueLine[k][0];
}

void ReportUnnamed(ChainState &chain, const LevelReading &level, int k, const std::string &effect) {
    chain.report.Error(level.path, 0,
                       "no " + KeyName(k) + " line in this level or one before it: " + effect);
}

void ReportLeftFromBefore(ChainState &chain, const LevelReading &level) {
    for (int k = 0; k < kLevelKeyCount; ++k) {
        if (LineOf(level, k) > 0 || (IsWordKey(k) && WordField(level.record, k)[0] == '\0')) {
            continue; // set here, or empty: the missing picture or set is an error below
        }
        std::string value;
        for (int f = 0; f < kLevelKeys[k].values; ++f) {
            value += (f > 0 ? " " : "") + FieldValue(level.record, k, f);
        }
        chain.report.Warning(
            level.path, 0,
            "no " + KeyName(k) + " line: " + KeyName(k) + " keeps " +
                (level.first ? "the game's starting value " : "the previous level's value ") +
                value);
    }
}

// Warns about a value the rules add to that lies beyond the game's bound.
void CheckBounded(ChainState &chain, const LevelReading &level, int line, const std::string &what,
                  int value) {
    if (line > 0 && BoundedLevelValue(value) != value) {
        chain.report.Warning(level.path, line,
                             what + " " + std::to_string(value) + " lies beyond " +
                                 std::to_string(-kMaxLevelValue) + " to " +
                                 std::to_string(kMaxLevelValue) + ": the game counts it as " +
                                 std::to_string(BoundedLevelValue(value)));
    }
}

void CheckValues(ChainState &chain, const LevelReading &level) {
    CheckBounded(chain, level, LineOf(level, kKeyBossHp), "BOSS_HP", level.record.bossHp);
    for (int type = 0; type < 2; ++type) {
        const std::string key = KeyName(kKeyEnemy1 + type);
        CheckBounded(chain, level, level.file.valueLine[kKeyEnemy1 + type][1],
                     "the hit points of " + key, level.record.enemyHp[type]);
        CheckBounded(chain, level, level.file.valueLine[kKeyEnemy1 + type][2],
                     "the speed class of " + key, level.record.enemySpeed[type]);
    }
    if (LineOf(level, kKeyDistance) > 0 && level.record.distance < 1) {
        chain.report.Warning(level.path, LineOf(level, kKeyDistance),
                             "DISTANCE " + std::to_string(level.record.distance) +
                                 ": the boss comes as soon as the level starts");
    }
    // ENEMY 1 and ENEMY 2 are the two kinds the game sends in.
    for (int type = 0; type < 2; ++type) {
        int line = level.file.valueLine[kKeyEnemy1 + type][2];
        if (line > 0 && level.record.enemySpeed[type] < 0) {
            chain.report.Warning(level.path, line,
                                 "a speed class below 0 makes some of these enemies stand still "
                                 "or fly backwards: they never leave the screen");
        }
    }
}

void CheckPicture(ChainState &chain, const LevelReading &level, int k, const std::string &effect) {
    const char *path = WordField(level.record, k);
    if (path[0] == '\0') {
        ReportUnnamed(chain, level, k, effect);
        return;
    }
    SDL_Surface *image = LoadImage(path);
    if (image == nullptr) {
        std::string fault = PictureFault(path);
        chain.report.Error(level.path, LineOf(level, k),
                           KeyName(k) + " " + Word(level, k) + " " +
                               (fault.empty() ? "cannot be loaded" : fault) + ": " + effect);
        return;
    }
    if (chain.pictures.insert(KeyName(k) + "|" + path).second) {
        if (k == kKeyScene) {
            CheckBackground(path, image, chain.report);
        } else {
            CheckOnScreen(path, "the level picture", image->w, image->h, kLevelPictureX,
                          kLevelPictureY, chain.report);
        }
    }
    SDL_FreeSurface(image);
}

// Checks the set a level names for key k; the set's check when it was read.
const SetCheck *CheckSet(ChainState &chain, const LevelReading &level, int k,
                         const std::string &effect) {
    std::string dir = WordField(level.record, k);
    if (dir.empty()) {
        ReportUnnamed(chain, level, k, effect);
        return nullptr;
    }
    auto found = chain.sets.find(dir);
    if (found == chain.sets.end()) {
        found = chain.sets.emplace(dir, CheckSpriteSet(dir, chain.report)).first;
    }
    const SetCheck &set = found->second;
    KeptSize &kept = chain.kept[k];
    if (!set.readable) {
        // The game's set then keeps what the last readable folder gave it.
        std::string result = kept.lastFolder.empty() ? effect
                                                     : "the game shows the " + KeyName(k) + " of " +
                                                           Quoted(kept.lastFolder) + " again";
        chain.report.Error(level.path, LineOf(level, k),
                           KeyName(k) + " folder " + Word(level, k) +
                               " has no readable frame-list file \"info\": " + result);
        return nullptr;
    }
    kept.lastFolder = dir;
    if (kept.w == 0 && set.w > 0) {
        kept.w = set.w;
        kept.h = set.h;
        kept.from = level.path;
    } else if (set.w > 0 && (set.w != kept.w || set.h != kept.h)) {
        chain.report.Warning(level.path, LineOf(level, k),
                             "the " + KeyName(k) + " frames are " + SizeText(set.w, set.h) +
                                 ", but the game keeps the hit box of the first " + KeyName(k) +
                                 " set it loaded (" + SizeText(kept.w, kept.h) + ", from " +
                                 kept.from + ")");
    }
    return &set;
}

void CheckBossPlace(ChainState &chain, const LevelReading &level, const SetCheck &set) {
    std::string info = FrameListPath(level.record.boss);
    if (set.w == 0 || !chain.pictures.insert("BOSS|" + info).second) {
        return;
    }
    CheckOnScreen(info, "the boss", set.w, set.h, kBossX, kBossY, chain.report);
    int bottom = kBossY + set.h;
    if (bottom > kBottomTextY && bottom <= kScreenHeight) {
        chain.report.Warning(
            info, 0,
            "the boss is " + SizeText(set.w, set.h) + ": standing at (" + std::to_string(kBossX) +
                ", " + std::to_string(kBossY) +
                ") it hides the credits line at y = " + std::to_string(kBottomTextY));
    }
}

// What the game makes of a level whose boss set has no picture to show.
const char *const kNoBoss = "the boss counts as destroyed as soon as it would come, for no score";

void CheckLevelContents(ChainState &chain, const LevelReading &level) {
    ReportLeftFromBefore(chain, level);
    CheckValues(chain, level);
    CheckPicture(chain, level, kKeyScene, "the game scrolls no background");
    CheckPicture(chain, level, kKeyLevelImage, "the level starts without its title picture");
    CheckSet(chain, level, kKeyShip, "the game draws no ship");
    CheckSet(chain, level, kKeyBullet, "the game draws no shots");
    const SetCheck *boss = CheckSet(chain, level, kKeyBoss, kNoBoss);
    if (boss != nullptr && boss->frames == 0) {
        chain.report.Error(level.path, LineOf(level, kKeyBoss),
                           "BOSS folder " + Word(level, kKeyBoss) +
                               " gives the game no boss picture: " + kNoBoss);
    } else if (boss != nullptr) {
        CheckBossPlace(chain, level, *boss);
    }
}

// The folder a level name leads to, so that two spellings of one folder
// count as the same level.
std::string SameFolderKey(const std::string &dir) {
    char resolved[PATH_MAX];
    return realpath(dir.c_str(), resolved) != nullptr ? std::string(resolved) : dir;
}

// Checks the level dir, read over record, and where its NEXT LEVEL leads.
// Returns the next level's folder to check, or empty where the chain ends.
std::string CheckChainLevel(ChainState &chain, std::set<std::string> &played,
                            const std::string &dir, LevelInfo &record, bool first) {
    Report &report = chain.report;
    played.insert(SameFolderKey(dir));
    LevelFileCheck file = CheckLevelFile(dir, record, first, report);
    if (!file.opened) {
        report.Error(dir + "/leveldata", 0,
                     "cannot be opened: the game prints \"ERROR opening file\" and plays "
                     "without a level");
        return "";
    }
    ++report.levels;
    LevelReading level{LevelFilePath(dir), record, file, first};
    CheckLevelContents(chain, level);

    std::string next = record.nextLevel;
    int line = LineOf(level, kKeyNextLevel);
    if (next == "none") {
        return "";
    }
    if (next.empty()) {
        ReportUnnamed(chain, level, kKeyNextLevel,
                      "after the boss the game finds no next level and plays this one again");
        return "";
    }
    std::string nextPath = LevelFilePath(next);
    FILE *probe = nextPath.empty() ? nullptr : OpenRegularFile(nextPath.c_str(), "rb");
    if (probe == nullptr) {
        report.Error(level.path, line,
                     "NEXT LEVEL " + Quoted(next) +
                         " has no readable leveldata file: after the boss the game prints "
                         "\"ERROR opening file\" and plays this level again");
        return "";
    }
    fclose(probe);
    if (played.count(SameFolderKey(next)) > 0) {
        report.Error(level.path, line,
                     "NEXT LEVEL " + Quoted(next) +
                         " leads back to a level played before: the levels repeat without end");
        return "";
    }
    return next;
}

} // namespace

void CheckLevelChain(const std::string &firstLevel, Report &report) {
    ChainState chain{report, {}, {}, {}};
    LevelInfo record; // the game's one level record, never cleared
    std::set<std::string> played;
    std::string dir = firstLevel;
    for (bool first = true; !dir.empty(); first = false) {
        dir = CheckChainLevel(chain, played, dir, record, first);
    }
}

void CheckOneLevel(const std::string &dir, const LevelInfo &before, bool first, Report &report) {
    ChainState chain{report, {}, {}, {}};
    LevelInfo record = before;
    std::set<std::string> played;
    CheckChainLevel(chain, played, dir, record, first);
}
