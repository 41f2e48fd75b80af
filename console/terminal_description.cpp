#include "console/terminal_description.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "console/shown_text.hpp"
#include "console/terminfo.hpp"

namespace novemra {

namespace {

constexpr const char* kAnsiCursorAddress = "\x1b[%i%p1%d;%p2%dH";
// The largest palette a terminal indexes (xterm-256color's).
constexpr int kPaletteColours = 256;

std::string capability(const char* name, const char* fallback) {
    std::string value = withoutPadding(terminfo::text(name));
    return value.empty() ? std::string(fallback) : value;
}

// The padding mark that starts at text[at] ("$<" digits, an optional
// decimal, then "*" and "/" in any order, ">"), or 0 when there is none.
std::size_t paddingLength(std::string_view text, std::size_t at) {
    if (text.substr(at, 2) != "$<") {
        return 0;
    }
    std::size_t end = at + 2;
    const std::size_t digitsStart = end;
    while (end < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[end])) != 0 || text[end] == '.')) {
        ++end;
    }
    if (end == digitsStart) {
        return 0;
    }
    while (end < text.size() && (text[end] == '*' || text[end] == '/')) {
        ++end;
    }
    return end < text.size() && text[end] == '>' ? end + 1 - at : 0;
}

}  // namespace

std::string withoutPadding(std::string_view capability) {
    std::string result;
    result.reserve(capability.size());
    for (std::size_t at = 0; at < capability.size();) {
        if (const std::size_t length = paddingLength(capability, at); length > 0) {
            at += length;
        } else {
            result.push_back(capability[at++]);
        }
    }
    return result;
}

bool outOfDescriptors(const std::string& purpose, std::string& error) {
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (probe >= 0) {
        ::close(probe);
        return false;
    }
    if (errno != EMFILE) {
        return false;
    }
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    error = "no file descriptor left " + purpose + " (ulimit -n is " +
            std::to_string(limit.rlim_cur) + "); raise the limit";
    return true;
}

std::optional<TerminalDescription> describeTerminal(int fd, std::string& error) {
    TerminalDescription d;
    const char* term = std::getenv("TERM");
    const std::string name = term != nullptr ? term : "";
    const std::string cannotMove = "the terminal (TERM=" + shownText(name) +
                                   ") cannot move its cursor; set TERM to the terminal you use";
    if (!terminfo::load(fd)) {
        terminfo::unload();
        // The entry could not be opened for want of a descriptor: say so,
        // rather than blame the terminal.
        if (outOfDescriptors("to read the terminal's description", error)) {
            return std::nullopt;
        }
        // An entry terminfo has but will not load is a generic or hard-copy
        // one (tty33, lpr): no cursor to move. No TERM, or a name terminfo
        // does not know: nearly every emulator is an ANSI terminal.
        if (terminfo::entryExists(name)) {
            error = cannotMove;
            return std::nullopt;
        }
        return ansiTerminal();
    }
    if (terminfo::text("cup").empty()) {
        error = cannotMove;
        terminfo::unload();
        return std::nullopt;
    }
    const std::string enterAlternate = capability("smcup", "");
    const std::string leaveAlternate = capability("rmcup", "");
    d.alternateScreen = !enterAlternate.empty() && !leaveAlternate.empty();
    d.resetAttributes = capability("sgr0", "\x1b[m");
    d.hideCursor = capability("civis", "");
    d.clearScreen = capability("clear", "\x1b[H\x1b[2J");
    d.clearToEndOfLine = capability("el", "");
    d.cursorAddress = capability("cup", kAnsiCursorAddress);
    d.bold = capability("bold", "");
    d.foreground = capability("setaf", "");
    d.background = capability("setab", "");
    d.colours = terminfo::number("colors");
    // RGB is a flag in most entries, a number (bits per colour) in some.
    d.directColour =
        terminfo::flag("RGB") || terminfo::number("RGB") > 0 || d.colours > kPaletteColours;
    d.backColourErase = terminfo::flag("bce");
    const std::string showCursor = capability("cnorm", "");
    d.enter = (d.alternateScreen ? enterAlternate : "") + std::string(kBracketedPasteOn);
    // The screen is cleared in the default colours before the alternate
    // screen is left: unseen where it works, and a clean screen where it
    // is ignored (GNU screen without altscreen) or missing.
    d.leave = std::string(kBracketedPasteOff) + d.resetAttributes + d.clearScreen + showCursor +
              (d.alternateScreen ? leaveAlternate : "");
    d.ansiCursorAddress = d.cursorAddress == kAnsiCursorAddress;
    return d;
}

TerminalDescription ansiTerminal() {
    TerminalDescription d;
    d.alternateScreen = true;
    d.enter = "\x1b[?1049h" + std::string(kBracketedPasteOn);
    d.leave = std::string(kBracketedPasteOff) + "\x1b[m\x1b[H\x1b[2J\x1b[?25h\x1b[?1049l";
    d.hideCursor = "\x1b[?25l";
    d.clearScreen = "\x1b[H\x1b[2J";
    d.clearToEndOfLine = "\x1b[K";
    d.cursorAddress = kAnsiCursorAddress;
    d.ansiCursorAddress = true;
    d.resetAttributes = "\x1b[m";
    d.bold = "\x1b[1m";
    d.foreground = "\x1b[3%p1%dm";
    d.background = "\x1b[4%p1%dm";
    d.colours = 8;
    d.backColourErase = true;
    return d;
}

}  // namespace novemra
