#pragma once
// The settings file as the game read it, shared by the reader of the
// settings (settings.cpp) and the writer of the changes the player makes in
// the game (settings_writer.cpp). Not for the rest of the game.
#include <string>
#include <utility>
#include <vector>

// The file as read: its lines (without line feeds), where it lives, and
// whether the game may write it (it was read whole, is not there yet, or is
// a regular file it cannot read, to be moved aside).
struct SettingsFile {
    std::string path;
    std::vector<std::string> lines;
    bool writable = false;
    // Changes not in the file yet, one per name, the latest value: written
    // after the frame, never while the loop handles an event.
    std::vector<std::pair<std::string, std::string>> pending;
    long lastWriteMs = -1000000; // on the system's steady clock
    // The warnings given in this run: a problem is told once.
    std::vector<std::string> warned;
};

extern SettingsFile settingsFile;

// The longest settings file read: far more than any player writes.
constexpr long kMaxSettingsBytes = 64 * 1024;

// The file's bytes as lines, without their line feeds.
std::vector<std::string> SplitLines(const std::string &bytes);

// Splits "name = value"; false for a line that is not one.
bool SplitLine(const std::string &line, std::string &name, std::string &value);

bool IsRegularFile(const std::string &path);
