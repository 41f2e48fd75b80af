// What the program needs to know about the terminal it runs in: the escape
// sequences for its few operations, read from terminfo, with ANSI fallbacks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace novemra {

struct TerminalDescription {
    std::string enter;  // alternate screen on (if any), bracketed paste on
    // Puts the user's screen back: bracketed paste off, the screen cleared
    // in the default colours with the cursor at the top left and shown, and
    // the alternate screen off where there is one.
    std::string leave;
    std::string hideCursor;
    std::string clearScreen;
    std::string clearToEndOfLine;
    std::string cursorAddress;  // terminfo "cup" with two parameters
    bool ansiCursorAddress = false;
    std::string resetAttributes;
    std::string bold;
    std::string foreground;  // terminfo "setaf"
    std::string background;  // terminfo "setab"
    int colours = 8;
    // A colour number of 8 or more is a 24-bit RGB value ("-direct"
    // entries: the RGB capability, or more colours than a palette holds).
    bool directColour = false;
    bool alternateScreen = false;
    // Erasing fills with the current background colour ("bce").
    bool backColourErase = false;
};

// Reads the entry named by TERM for the terminal on fd. Without an entry
// (no TERM, or a name terminfo does not know) it describes the ANSI
// terminal that nearly every emulator is. A known terminal that cannot
// address its cursor (TERM=dumb) cannot show the program: none, with the
// reason in error.
std::optional<TerminalDescription> describeTerminal(int fd, std::string& error);

// True when the process may open no more descriptors (ulimit -n), with the
// reason, naming the limit, in error: what was to be opened for.
bool outOfDescriptors(const std::string& purpose, std::string& error);

// The ANSI terminal that nearly every emulator is, with an alternate screen.
TerminalDescription ansiTerminal();

// The capability without terminfo's padding marks ("$<5>", "$<2*/>"): the
// delays were for hardware terminals at low speeds, and written as they
// stand they appear on the screen as text.
std::string withoutPadding(std::string_view capability);

// The bytes that turn bracketed paste on and off.
constexpr std::string_view kBracketedPasteOn = "\x1b[?2004h";
constexpr std::string_view kBracketedPasteOff = "\x1b[?2004l";

}  // namespace novemra
