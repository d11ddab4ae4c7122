#pragma once
// Small text helpers the rooms of the shell share: what a terminal may be
// shown of a text read from a file, blanks trimmed, the folder of a path.
#include <string>

// text with every control character (below 0x20, and 0x7f) written as \xNN,
// so a name or value read from a file cannot move a terminal's cursor.
std::string Printable(const std::string &text);

// text without the blanks (spaces, tabs, carriage returns) around it.
std::string Trim(const std::string &text);

// The folder a path lies in: "." for a bare name, "/" for a name at the root.
std::string FolderOf(const std::string &path);
