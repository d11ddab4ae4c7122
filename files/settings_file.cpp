#include "files/settings_file.h"

#include <sys/stat.h>

#include "strings/text.h"

SettingsFile settingsFile;

std::vector<std::string> SplitLines(const std::string &bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool SplitLine(const std::string &line, std::string &name, std::string &value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    name = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return !name.empty();
}

bool IsRegularFile(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
