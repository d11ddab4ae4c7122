#pragma once
// The findings of one check of the data tree, and how they are printed: one
// "path:line: error|warning: message" line each, then a summary line.
#include <string>
#include <vector>

enum class Severity { Warning, Error };

struct Finding {
    std::string path;
    int line = 0; // 0 when the finding is about the whole file
    Severity severity = Severity::Warning;
    std::string message;
};

struct Report {
    std::vector<Finding> findings;
    int levels = 0; // level files read along the NEXT LEVEL chain

    // The game will visibly misbehave: something missing, unreadable,
    // off the screen, a broken frame count, a level chain without end.
    void Error(const std::string &path, int line, const std::string &message);
    // The game silently does something other than what the file seems to say.
    void Warning(const std::string &path, int line, const std::string &message);
    int Count(Severity severity) const;
};

std::string FormatFinding(const Finding &finding);

// "quarndel-check: 3 levels, 2 errors, 1 warning"
std::string FormatSummary(const Report &report);

// "1 frame", "3 frames".
std::string Counted(int n, const char *one, const char *many);

// A value from a data file as the messages show it: in double quotes, with
// every byte outside printable ASCII written as \xNN.
std::string Quoted(const std::string &value);
