#include "check/report.h"

#include <cstdio>

void Report::Error(const std::string &path, int line, const std::string &message) {
    findings.push_back({path, line, Severity::Error, message});
}

void Report::Warning(const std::string &path, int line, const std::string &message) {
    findings.push_back({path, line, Severity::Warning, message});
}

int Report::Count(Severity severity) const {
    int n = 0;
    for (const Finding &f : findings) {
        if (f.severity == severity) {
            ++n;
        }
    }
    return n;
}

std::string FormatFinding(const Finding &finding) {
    std::string text = finding.path;
    if (finding.line > 0) {
        text += ":" + std::to_string(finding.line);
    }
    text += finding.severity == Severity::Error ? ": error: " : ": warning: ";
    return text + finding.message;
}

std::string FormatSummary(const Report &report) {
    return "quarndel-check: " + Counted(report.levels, "level", "levels") + ", " +
           Counted(report.Count(Severity::Error), "error", "errors") + ", " +
           Counted(report.Count(Severity::Warning), "warning", "warnings");
}

std::string Counted(int n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Quoted(const std::string &value) {
    // Bytes outside printable ASCII are shown as \xNN, so a stray control
    // character or a binary file cannot garble the report.
    std::string text = "\"";
    for (char c : value) {
        unsigned char byte = (unsigned char)c;
        if (byte >= ' ' && byte < 0x7f) {
            text += c;
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            text += escaped;
        }
    }
    return text + "\"";
}
