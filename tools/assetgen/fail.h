// The generator's one way out when something cannot be drawn or written.
#pragma once

#include <string>

// Ends the program with a message; the generator has nothing to recover.
[[noreturn]] void Fail(const std::string &what);
