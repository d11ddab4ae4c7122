#pragma once
// The one rule for a level set's name, wherever a name is read or written:
// the installer, the settings file, the score table and the recordings. A
// name is also the set's folder, so it is a plain folder name.
#include <cstddef>
#include <string>

// The longest name a set may have.
constexpr size_t kMaxSetNameLength = 64;

// True when the length bytes at name are a set's name: 1 to
// kMaxSetNameLength letters, digits, '_', '-' or '.', not starting with '.'.
bool IsSetName(const char *name, size_t length);
bool IsSetName(const std::string &name);
