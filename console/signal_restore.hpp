// The terminal's way back from signals: handlers that put the user's
// terminal back before the process ends or stops, take it again when the
// process continues, and note resizes and arriving input for the program.
//
// A handler reaches only static storage, so the bytes and modes it needs
// are copied there when the terminal opens. Everything in this part runs in
// signal handlers or with signals blocked and uses only async-signal-safe
// calls.
#pragma once

#include <termios.h>

#include <atomic>
#include <string_view>

namespace novemra::signal_restore {

struct Plan {
    int fd = -1;
    termios saved{};  // the user's modes, put back on the way out
    std::string_view leave;
    std::string_view enter;
};

// The program's modes made from the user's: keys arrive one by one,
// unechoed, with Enter as CR and Ctrl-S/Ctrl-Q as ordinary keys. On the
// program's controlling terminal the keys that raise signals (Ctrl-C,
// Ctrl-Z) still raise them; on another (no controlling terminal: su -c,
// setsid) they would signal someone else's jobs, so they arrive as keys.
// VMIN 1 with O_NONBLOCK makes an empty read fail with EAGAIN, so a read of
// 0 bytes can only mean the terminal has hung up.
termios programModes(const termios& user, bool controlling);

// True when the terminal is the process's controlling terminal, so the
// terminal raises the signals of its keys for it.
bool controllingTerminal();

// Copies the plan and installs the handlers. False when the byte sequences
// are too long to keep (nothing is installed then).
bool install(const Plan& plan);

// The user's modes as last read: when the terminal was opened, and again
// each time it is taken back after a stop (the user may have changed them
// with stty meanwhile); these are what every way out puts back.
termios userModes();

// The normal way out: with every signal blocked, puts the user's terminal
// back (never waiting long on a terminal that stopped reading), then the
// signal dispositions the process had before install.
void restoreAndRemove();

// What the handlers note for the program. InputArrived means input may
// have come since the note was last taken (the terminal sends SIGIO), so
// take it before reading.
enum class Note : unsigned { Resized = 1, Resumed = 2, InputArrived = 4 };

// True while the terminal is the program's: false from a stop until the
// program is continued in the foreground (after Ctrl-Z and bg it stays
// false). The program sends nothing to the terminal while it is not.
bool holding();
// After bg and fg the program is in the foreground again without a signal
// to say so: takes the terminal back (and notes Resumed) when it is.
bool takeBackIfForeground();

// The terminal was taken from the program without a signal (a shell made
// another job the foreground when the program's own parent shell exited):
// lets it go without a byte, since the screen is someone else's now, and
// returns true. False, changing nothing, while the program is still in the
// foreground or does not hold the terminal.
bool letGoIfTaken();

// A cheap look at whether any note is there to take.
bool noted();
// The notes themselves, nonzero while any is there, for a look without a
// call.
const std::atomic<unsigned>& notes();
// True when the note was there; it is cleared, so each is taken once.
bool take(Note which);
// Readable when a handler noted a resize or a return from a stop, so a wait
// for input wakes for it wherever the signal lands.
int wakeDescriptor();
void drainWake();

}  // namespace novemra::signal_restore
