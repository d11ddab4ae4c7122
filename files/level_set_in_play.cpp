#include "files/level_set_in_play.h"

namespace {

std::string inPlay;
std::string inPlayFirst;

} // namespace

const std::string &LevelSetInPlay() {
    return inPlay;
}

const char *LevelSetFirstLevel() {
    return inPlay.empty() ? nullptr : inPlayFirst.c_str();
}

void SetLevelSetInPlay(const std::string &name, const std::string &firstLevel) {
    inPlay = name;
    inPlayFirst = name.empty() ? std::string() : firstLevel;
}
