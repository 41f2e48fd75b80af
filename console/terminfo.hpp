// A thin wrapper over ncurses' terminfo functions. <term.h> defines a macro
// for every capability name, so it is included in one file only.
#pragma once

#include <string>
#include <vector>

namespace novemra::terminfo {

// Loads the entry named by TERM for the terminal on fd; false if none, or
// if the entry is one curses cannot use (generic, hard-copy).
bool load(int fd);
// True when the terminfo database has an entry of that name, whether or
// not load() can use it: where ncurses looks (TERMINFO, ~/.terminfo,
// TERMINFO_DIRS, then the system's folders), by its file there.
bool entryExists(const std::string& name);
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
