#include "levelsets/level_set.h"

#include <sys/stat.h>

#include "check/level_chain.h"
#include "sprites/data_file.h"
#include "strings/text.h"

namespace {

// The folder's last path component, trailing slashes left aside.
std::string LastComponent(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    size_t slash = folder.rfind('/');
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

bool PrintableText(const std::string &text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7e) {
            return false;
        }
    }
    return true;
}

// Checks a FIRST LEVEL value: the set's own folder or a folder below it, by
// plain components, so a set always starts in itself.
bool InsideSet(const std::string &level, const std::string &prefix) {
    if (level == prefix) {
        return true;
    }
    if (level.compare(0, prefix.size() + 1, prefix + "/") != 0) {
        return false;
    }
    std::string rest = level.substr(prefix.size() + 1);
    size_t at = 0;
    while (at <= rest.size()) {
        size_t slash = rest.find('/', at);
        std::string part =
            rest.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
        at = slash + 1;
    }
    return true;
}

} // namespace

std::string SetDataPrefix(const std::string &name) {
    return "data/" + name;
}

void ReadLevelSet(const std::string &folder, LevelSet &set, Report &report) {
    set = LevelSet();
    set.folder = folder;
    std::string own = LastComponent(folder);
    set.name = own;
    if (!IsSetName(own)) {
        report.Error(folder, 0,
                     "a set's folder is its name: 1 to 64 letters, digits, '_', '-' or '.', "
                     "not " +
                         Quoted(own));
        return;
    }
    set.firstLevel = SetDataPrefix(own);
    std::string path = folder + "/" + kLevelSetFile;
    std::string text;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
        return; // a level folder as --new-level made it: a set of its own
    }
    if (ReadRegularFile(path.c_str(), kMaxLevelSetFileBytes, text) != FileRead::kRead) {
        report.Error(path, 0, "cannot be read as a text file of at most 16 KiB");
        return;
    }
    set.described = true;
    size_t at = 0;
    for (int number = 1; at < text.size(); ++number) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (Trim(line).empty() || line[0] == '#') {
            continue;
        }
        size_t colon = line.find(':');
        std::string key = colon == std::string::npos ? line : line.substr(0, colon);
        std::string value = colon == std::string::npos ? "" : Trim(line.substr(colon + 1));
        if (!PrintableText(line)) {
            report.Error(path, number, "a line that is not plain printable text");
        } else if (colon == std::string::npos) {
            report.Warning(path, number,
                           "no colon after the key, so this line sets nothing: a set names "
                           "\"NAME:\", \"AUTHOR:\" and \"FIRST LEVEL:\"");
        } else if (key == "NAME") {
            if (value != own) {
                report.Error(path, number,
                             "NAME " + Quoted(value) + " is not the set's folder name " +
                                 Quoted(own) + ": its levels name their files data/" + own +
                                 "/..., so the folder and the set share one name");
            }
        } else if (key == "AUTHOR") {
            if (value.size() > kMaxSetAuthorLength) {
                report.Error(path, number, "AUTHOR is longer than 64 characters");
            } else {
                set.author = value;
            }
        } else if (key == "FIRST LEVEL") {
            if (!InsideSet(value, set.firstLevel)) {
                report.Error(path, number,
                             "FIRST LEVEL " + Quoted(value) + " is not " + set.firstLevel +
                                 " or a folder inside it");
            } else {
                set.firstLevel = value;
            }
        } else {
            report.Warning(path, number, "unknown line: a set names NAME, AUTHOR and FIRST LEVEL");
        }
    }
}

void CheckLevelSet(const std::string &folder, LevelSet &set, Report &report) {
    ReadLevelSet(folder, set, report);
    if (report.Count(Severity::Error) > 0) {
        return;
    }
    // The set in play, if any, is read from its place again afterwards.
    std::string playedPrefix, playedFolder;
    GetLevelSetPlace(playedPrefix, playedFolder);
    SetLevelSetPlace(SetDataPrefix(set.name), folder);
    CheckLevelChain(set.firstLevel, report);
    SetLevelSetPlace(playedPrefix, playedFolder);
}
