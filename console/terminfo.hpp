// A thin wrapper over ncurses' terminfo functions. <term.h> defines a macro
// for every capability name, so it is included in one file only.
#pragma once

#include <string>

namespace novemra::terminfo {

// Loads the entry named by TERM for the terminal on fd; false if none.
bool load(int fd);
// Frees the loaded entry; harmless when none is loaded.
void unload();
// A string capability, or "" when the terminal lacks it.
std::string text(const char* name);
// A numeric capability, or -1 when the terminal lacks it.
int number(const char* name);
// A boolean capability; false when the terminal lacks it.
bool flag(const char* name);
// A string capability with its parameters filled in.
std::string format(const std::string& capability, int first, int second = 0);

}  // namespace novemra::terminfo
