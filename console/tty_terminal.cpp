#include "console/tty_terminal.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <utility>

#include "console/key_decoder.hpp"
#include "console/terminfo.hpp"

namespace novemra {

// ---------------------------------------------------------------------------
// Restoring the terminal from signal handlers
//
// A handler can reach nothing but static storage, so the bytes and modes it
// needs are copied here when the terminal opens. Handlers only use
// async-signal-safe calls (write, tcsetattr, sigaction, raise, _exit).
// ---------------------------------------------------------------------------
namespace {

struct SignalRestore {
    int fd = -1;
    termios saved{};
    termios program{};
    std::array<char, 256> leave{};
    std::size_t leaveLength = 0;
    std::array<char, 256> enter{};
    std::size_t enterLength = 0;
    volatile std::sig_atomic_t resized = 0;
    volatile std::sig_atomic_t resumed = 0;
    // What each signal did before the terminal opened, put back at close.
    std::array<struct sigaction, NSIG> original{};
};

SignalRestore gRestore;

// Signals after which the process ends: the terminal is restored, then the
// signal is raised again so the process ends the way it would have.
constexpr std::array kEndingSignals = {SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                                       SIGBUS,  SIGFPE, SIGILL,  SIGABRT};

void writeAllFromHandler(const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(gRestore.fd, bytes, length);
        if (written <= 0) {
            if (written < 0 && errno == EINTR) {
                continue;
            }
            return;  // EAGAIN or a dead terminal: give up quietly
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
}

void restoreFromHandler() {
    const int savedErrno = errno;
    writeAllFromHandler(gRestore.leave.data(), gRestore.leaveLength);
    ::tcsetattr(gRestore.fd, TCSADRAIN, &gRestore.saved);
    errno = savedErrno;
}

void installHandler(int signal, void (*handler)(int), int flags = 0) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void onEndingSignal(int signal) {
    restoreFromHandler();
    installHandler(signal, SIG_DFL);
    ::raise(signal);
}

// Ctrl-C ends the program as "x" does: terminal restored, status 0.
void onInterrupt(int) {
    restoreFromHandler();
    ::_exit(0);
}

void onSuspend(int) {
    restoreFromHandler();
    installHandler(SIGTSTP, SIG_DFL);
    sigset_t suspend;
    sigemptyset(&suspend);
    sigaddset(&suspend, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &suspend, nullptr);
    ::raise(SIGTSTP);  // stops here until the shell continues the process
    installHandler(SIGTSTP, onSuspend);
    ::tcsetattr(gRestore.fd, TCSADRAIN, &gRestore.program);
    writeAllFromHandler(gRestore.enter.data(), gRestore.enterLength);
    gRestore.resumed = 1;
}

void onResize(int) {
    gRestore.resized = 1;
}

// A signal the program was started with ignored (nohup, a background job)
// stays ignored, as the user asked.
bool startedIgnored(int signal) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

void installSignalHandlers() {
    for (const int signal : kEndingSignals) {
        ::sigaction(signal, nullptr, &gRestore.original[static_cast<std::size_t>(signal)]);
    }
    for (const int signal : {SIGINT, SIGTSTP, SIGWINCH}) {
        ::sigaction(signal, nullptr, &gRestore.original[static_cast<std::size_t>(signal)]);
    }
    for (const int signal : kEndingSignals) {
        if (!((signal == SIGHUP || signal == SIGQUIT) && startedIgnored(signal))) {
            installHandler(signal, onEndingSignal);
        }
    }
    if (!startedIgnored(SIGINT)) {
        installHandler(SIGINT, onInterrupt);
    }
    installHandler(SIGTSTP, onSuspend);
    // No SA_RESTART: a resize must wake a wait for input.
    installHandler(SIGWINCH, onResize);
}

// Puts back the dispositions the program started with.
void removeSignalHandlers() {
    for (const int signal : kEndingSignals) {
        ::sigaction(signal, &gRestore.original[static_cast<std::size_t>(signal)], nullptr);
    }
    for (const int signal : {SIGINT, SIGTSTP, SIGWINCH}) {
        ::sigaction(signal, &gRestore.original[static_cast<std::size_t>(signal)], nullptr);
    }
}

template <std::size_t N>
bool copyForHandler(const std::string& bytes, std::array<char, N>& target, std::size_t& length) {
    if (bytes.size() > target.size()) {
        return false;
    }
    std::memcpy(target.data(), bytes.data(), bytes.size());
    length = bytes.size();
    return true;
}

// ---------------------------------------------------------------------------
// Terminal description
// ---------------------------------------------------------------------------

std::string capability(const char* name, const char* fallback) {
    std::string value = terminfo::text(name);
    return value.empty() ? std::string(fallback) : value;
}

constexpr const char* kAnsiCursorAddress = "\x1b[%i%p1%d;%p2%dH";

// Reads what the program needs from terminfo. Without a usable entry (no
// TERM, or one without cursor addressing) it falls back to the ANSI
// sequences nearly every terminal understands.
TtyTerminal::Sequences describeTerminal(int fd) {
    TtyTerminal::Sequences seq;
    if (terminfo::load(fd) && !terminfo::text("cup").empty()) {
        seq.enter = capability("smcup", "");
        const std::string resetAttributes = capability("sgr0", "\x1b[m");
        seq.leave = resetAttributes + capability("cnorm", "") + capability("rmcup", "");
        seq.hideCursor = capability("civis", "");
        seq.clearScreen = capability("clear", "\x1b[H\x1b[2J");
        seq.cursorAddress = capability("cup", kAnsiCursorAddress);
        seq.resetAttributes = resetAttributes;
        seq.bold = capability("bold", "");
        seq.foreground = capability("setaf", "");
        seq.background = capability("setab", "");
        seq.colours = terminfo::number("colors");
    } else {
        seq.enter = "\x1b[?1049h";
        seq.leave = "\x1b[m\x1b[?25h\x1b[?1049l";
        seq.hideCursor = "\x1b[?25l";
        seq.clearScreen = "\x1b[H\x1b[2J";
        seq.cursorAddress = kAnsiCursorAddress;
        seq.resetAttributes = "\x1b[m";
        seq.bold = "\x1b[1m";
        seq.foreground = "\x1b[3%p1%dm";
        seq.background = "\x1b[4%p1%dm";
        seq.colours = 8;
    }
    seq.ansiCursorAddress = seq.cursorAddress == kAnsiCursorAddress;
    return seq;
}

void terminalSize(int fd, int& width, int& height) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        width = size.ws_col;
        height = size.ws_row;
        return;
    }
    width = 80;
    height = 24;
}

// Console colour numbers have blue in bit 0 and red in bit 2; terminal
// colour numbers the other way round. Bit 1 (green) and bit 3 (bright)
// stand where they are.
int terminalColour(int consoleColour) {
    return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2);
}

bool openedOnce = false;

}  // namespace

// ---------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------

std::unique_ptr<TtyTerminal> TtyTerminal::open(std::string& error) {
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::string("no terminal to run in (/dev/tty: ") + std::strerror(errno) + ")";
        return nullptr;
    }
    return openOn(fd, error);
}

std::unique_ptr<TtyTerminal> TtyTerminal::openOn(int fd, std::string& error) {
    if (openedOnce) {
        error = "the terminal is already open";
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    termios saved{};
    if (::tcgetattr(fd, &saved) != 0) {
        error = std::string("no terminal to run in (/dev/tty: ") + std::strerror(errno) + ")";
        ::close(fd);
        return nullptr;
    }
    Sequences sequences = describeTerminal(fd);
    int width = 0;
    int height = 0;
    terminalSize(fd, width, height);
    openedOnce = true;
    return std::unique_ptr<TtyTerminal>(
        new TtyTerminal(fd, saved, std::move(sequences), width, height));
}

TtyTerminal::TtyTerminal(int fd, const termios& saved, Sequences sequences, int width, int height)
    : fd_(fd), saved_(saved), sequences_(std::move(sequences)), screen_(width, height) {
    eraseCharacter_ = static_cast<char>(saved_.c_cc[VERASE]);

    // Keys arrive one by one, unechoed, with Enter as CR and Ctrl-S/Ctrl-Q
    // as ordinary keys. Ctrl-C and Ctrl-Z still raise their signals. VMIN 1
    // with O_NONBLOCK makes an empty read fail with EAGAIN, so a read of 0
    // bytes can only mean the terminal has hung up.
    termios program = saved_;
    program.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    program.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
    program.c_cc[VMIN] = 1;
    program.c_cc[VTIME] = 0;

    gRestore.fd = fd_;
    gRestore.saved = saved_;
    gRestore.program = program;
    const std::string enter = sequences_.enter + sequences_.hideCursor;
    if (!copyForHandler(sequences_.leave, gRestore.leave, gRestore.leaveLength) ||
        !copyForHandler(enter, gRestore.enter, gRestore.enterLength)) {
        // Absurdly long terminfo strings: fall back to plain ANSI.
        copyForHandler("\x1b[m\x1b[?25h\x1b[?1049l", gRestore.leave, gRestore.leaveLength);
        copyForHandler("\x1b[?1049h\x1b[?25l", gRestore.enter, gRestore.enterLength);
    }
    installSignalHandlers();

    ::tcsetattr(fd_, TCSADRAIN, &program);
    // The alternate screen keeps the user's own screen for the end; it
    // starts blank in the terminal's default colours, as the picture does.
    writeAll(sequences_.enter + sequences_.resetAttributes + sequences_.clearScreen);
    shownAttribute_ = kDefaultAttribute;
}

TtyTerminal::~TtyTerminal() {
    writeAll(sequences_.leave);
    ::tcsetattr(fd_, TCSADRAIN, &saved_);
    removeSignalHandlers();
    gRestore.fd = -1;
    ::close(fd_);
    terminfo::unload();
    openedOnce = false;
}

// ---------------------------------------------------------------------------
// The seven operations
// ---------------------------------------------------------------------------

void TtyTerminal::hideCursor() {
    writeAll(sequences_.hideCursor);
}

void TtyTerminal::setColour(int foreground, int background) {
    serviceSignals();
    screen_.setAttribute(makeAttribute(foreground, background));
}

void TtyTerminal::clear() {
    serviceSignals();
    screen_.clear();
    flush();
}

void TtyTerminal::locate(int row, int column) {
    serviceSignals();
    screen_.locate(row, column);
}

void TtyTerminal::print(std::initializer_list<PrintItem> items, LineEnd lineEnd) {
    serviceSignals();
    screen_.print(items, lineEnd);
    flush();
}

std::string TtyTerminal::pollKey() {
    serviceSignals();
    if (resizeEventPending_) {
        // A resize is an event without a character; it discards nothing.
        resizeEventPending_ = false;
        return "";
    }
    if (closed_) {
        return "";
    }
    std::array<char, 256> bytes{};
    const ssize_t count = ::read(fd_, bytes.data(), bytes.size());
    if (count <= 0) {
        if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            closed_ = true;
        }
        return "";
    }
    // Whatever else is queued goes with this key press.
    if (static_cast<std::size_t>(count) == bytes.size()) {
        std::array<char, 256> rest{};
        while (::read(fd_, rest.data(), rest.size()) > 0) {
        }
    }
    const char key = decodeFirstKey(std::string_view(bytes.data(), static_cast<std::size_t>(count)),
                                    eraseCharacter_);
    return key == 0 ? std::string() : std::string(1, key);
}

bool TtyTerminal::waitForInput() {
    serviceSignals();
    if (closed_) {
        return false;
    }
    if (resizeEventPending_) {
        return true;
    }
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, -1) < 0) {
        // Interrupted by a signal (a resize, a return from suspension).
        serviceSignals();
        return true;
    }
    if ((waiting.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        closed_ = true;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------

void TtyTerminal::serviceSignals() {
    if (gRestore.resized == 0 && gRestore.resumed == 0) {
        return;
    }
    if (gRestore.resized != 0) {
        gRestore.resized = 0;
        int width = 0;
        int height = 0;
        terminalSize(fd_, width, height);
        screen_.resize(width, height);
        resizeEventPending_ = true;
    }
    if (gRestore.resumed != 0) {
        gRestore.resumed = 0;
        screen_.markEverythingChanged();
    }
    flush();
}

void TtyTerminal::flush() {
    if (!screen_.hasChanges() || closed_) {
        screen_.forgetChanges();
        return;
    }
    out_.clear();
    auto appendRun = [this](int line, int first, int end) {
        appendMove(line, first);
        const int row = line + 1;
        for (int column = first; column < end; ++column) {
            const Cell& cell = screen_.cell(row, column + 1);
            appendAttribute(cell.attribute);
            out_.push_back(cell.ch);
        }
        shownColumn_ = end < screen_.width() ? end : -1;
    };
    if (screen_.everythingChanged()) {
        // After a scroll, a resize or a return from suspension the terminal
        // may show anything: paint every cell.
        shownAttribute_ = -1;
        shownLine_ = -1;
        for (int line = 0; line < screen_.height(); ++line) {
            appendRun(line, 0, screen_.width());
        }
    } else {
        for (const ChangedRun& run : screen_.changedRuns()) {
            appendRun(run.line, run.firstColumn, run.endColumn);
        }
    }
    screen_.forgetChanges();
    writeAll(out_);
}

void TtyTerminal::appendMove(int line, int column) {
    if (line == shownLine_ && column == shownColumn_) {
        return;
    }
    if (sequences_.ansiCursorAddress) {
        char number[12];
        out_.append("\x1b[");
        out_.append(number, std::to_chars(number, number + sizeof number, line + 1).ptr);
        out_.push_back(';');
        out_.append(number, std::to_chars(number, number + sizeof number, column + 1).ptr);
        out_.push_back('H');
    } else {
        out_.append(terminfo::format(sequences_.cursorAddress, line, column));
    }
    shownLine_ = line;
    shownColumn_ = column;
}

void TtyTerminal::appendAttribute(Attribute attribute) {
    if (attribute == shownAttribute_) {
        return;
    }
    shownAttribute_ = attribute;
    out_.append(sequences_.resetAttributes);
    if (attribute == kDefaultAttribute) {
        // A fresh screen's colours are the terminal's own defaults.
        return;
    }
    const int foreground = attribute & 0xF;
    const int background = (attribute >> 4) & 0xF;
    const bool richColours = sequences_.colours >= 16;
    int foregroundColour = terminalColour(foreground);
    if ((foreground & 8) != 0) {
        if (richColours) {
            foregroundColour += 8;
        } else {
            // Too few colours for a bright one: show brightness as bold.
            out_.append(sequences_.bold);
        }
    }
    const int backgroundColour =
        terminalColour(background) + (richColours && (background & 8) ? 8 : 0);
    if (!sequences_.foreground.empty()) {
        out_.append(terminfo::format(sequences_.foreground, foregroundColour));
    }
    if (!sequences_.background.empty()) {
        out_.append(terminfo::format(sequences_.background, backgroundColour));
    }
}

void TtyTerminal::writeAll(const std::string& bytes) {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0 && !closed_) {
        const ssize_t written = ::write(fd_, next, left);
        if (written > 0) {
            next += written;
            left -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            // The terminal is reading slowly; wait until it takes more.
            pollfd writable{fd_, POLLOUT, 0};
            ::poll(&writable, 1, -1);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            closed_ = true;
        }
    }
}

}  // namespace novemra
