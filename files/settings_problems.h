#pragma once
// The problems found in the settings file this run, kept for the options
// screen: the settings reader and the key bindings add to them.
#include <string>
#include <vector>

// The problems LoadSettings and ResolveKeyBindings reported, as told on
// standard error (without the ending line feed), for the options screen. A
// setting's problems are dropped once the game changes that setting.
const std::vector<std::string> &SettingsProblems();

// Adds a problem of the named setting to SettingsProblems; an empty line
// drops the setting's problems (the game changed it).
void NoteSettingsProblem(const std::string &name, const std::string &line);

// Forgets every problem: no settings file read.
void ForgetSettingsProblems();
