#include "files/settings_problems.h"

#include <utility>

namespace {

// The setting's name and the line told, in the order told.
std::vector<std::pair<std::string, std::string>> problems;
std::vector<std::string> problemLines;

} // namespace

const std::vector<std::string> &SettingsProblems() {
    return problemLines;
}

void NoteSettingsProblem(const std::string &name, const std::string &line) {
    if (line.empty()) {
        for (size_t i = problems.size(); i-- > 0;) {
            if (problems[i].first == name) {
                problems.erase(problems.begin() + (long)i);
            }
        }
    } else {
        problems.push_back({name, line});
    }
    problemLines.clear();
    for (const auto &problem : problems) {
        problemLines.push_back(problem.second);
    }
}

void ForgetSettingsProblems() {
    problems.clear();
    problemLines.clear();
}
