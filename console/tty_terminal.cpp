#include "console/tty_terminal.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "console/signal_restore.hpp"
#include "console/terminfo.hpp"

namespace novemra {

namespace {

// Only one terminal at a time: the signal handlers serve one.
bool openedOnce = false;

std::string noTerminal() {
    return std::string("no terminal to run in (/dev/tty: ") + std::strerror(errno) + ")";
}

// The terminal on standard input, output or error, opened afresh for
// reading and writing; -1 when none of them is a terminal.
int standardStreamTerminal() {
    for (int stream = 0; stream <= 2; ++stream) {
        char name[256];
        if (::isatty(stream) == 1 && ::ttyname_r(stream, name, sizeof name) == 0) {
            const int fd = ::open(name, O_RDWR | O_CLOEXEC | O_NOCTTY);
            if (fd >= 0) {
                return fd;
            }
        }
    }
    return -1;
}

}  // namespace

std::unique_ptr<TtyTerminal> TtyTerminal::open(std::string& error) {
    int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno != EMFILE && errno != ENFILE) {
        // No controlling terminal (su -c, setsid, a service): run in the
        // terminal the standard streams are on, as other full-screen
        // programs do.
        const int why = errno;
        fd = standardStreamTerminal();
        if (fd < 0) {
            error = std::string("no terminal to run in: no controlling terminal (/dev/tty: ") +
                    std::strerror(why) + "), and neither standard input nor output is a terminal";
            return nullptr;
        }
    }
    if (fd < 0) {
        if (!outOfDescriptors("to open the terminal", error)) {
            error = noTerminal();
        }
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
    termios saved{};
    if (::tcgetattr(fd, &saved) != 0) {
        error = noTerminal();
        ::close(fd);
        return nullptr;
    }
    std::optional<TerminalDescription> description = describeTerminal(fd, error);
    if (!description) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    openedOnce = true;
    return std::unique_ptr<TtyTerminal>(new TtyTerminal(fd, saved, std::move(*description)));
}

TtyTerminal::TtyTerminal(int fd, const termios& saved, TerminalDescription description)
    : fd_(fd),
      saved_(saved),
      description_(std::move(description)),
      screen_(1, 1),
      decoder_(static_cast<char>(saved.c_cc[VERASE])) {
    std::string enter = description_.enter + description_.hideCursor;
    signal_restore::Plan plan{fd_, saved_, description_.leave, enter};
    if (!signal_restore::install(plan)) {
        // Absurdly long terminfo strings: enter and restore as an ANSI
        // terminal.
        const TerminalDescription ansi = ansiTerminal();
        description_.enter = ansi.enter;
        description_.leave = ansi.leave;
        description_.hideCursor = ansi.hideCursor;
        enter = description_.enter + description_.hideCursor;
        plan.leave = description_.leave;
        plan.enter = enter;
        signal_restore::install(plan);
    }
    // Input arriving raises SIGIO, so a poll with nothing to read costs no
    // system call; the polls between clock checks only look at the notes.
    attention_ = &signal_restore::notes();
    ::fcntl(fd_, F_SETOWN, ::getpid());
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_ASYNC);

    readWindowSize();
    clearPicture();
    screen_.forgetChanges();
    // The terminal is taken (its modes set, the enter bytes sent) only in
    // the foreground: started in the background (novemra &), the program
    // leaves the shell's terminal alone until fg, which repaints.
    if (signal_restore::takeBackIfForeground()) {
        signal_restore::take(signal_restore::Note::Resumed);
        // The alternate screen keeps the user's own screen for the end; it
        // starts blank in the terminal's default colours, as the picture
        // does.
        writeAll(description_.resetAttributes + description_.clearScreen);
        shownAttribute_ = kDefaultAttribute;
        repaintAll_ = false;
    }
}

TtyTerminal::~TtyTerminal() {
    signal_restore::restoreAndRemove();
    ::close(fd_);
    terminfo::unload();
    openedOnce = false;
}

void TtyTerminal::clearPicture() {
    // The only place the window's size is taken for the picture. It is
    // never smaller than what the program draws on (the grid, its prompts,
    // the help page), so a small window shows part of it rather than the
    // lines scrolling into each other.
    screen_.clear(std::max(windowWidth_, kMinPictureWidth),
                  std::max(windowHeight_, kMinPictureHeight));
}

void TtyTerminal::readWindowSize() {
    winsize size{};
    if (::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        windowWidth_ = std::min<int>(size.ws_col, kMaxScreenWidth);
        windowHeight_ = std::min<int>(size.ws_row, kMaxScreenHeight);
    } else {
        windowWidth_ = 80;
        windowHeight_ = 24;
    }
}

void TtyTerminal::serviceSignals() {
    if (!signal_restore::noted()) {
        return;
    }
    bool changed = false;
    if (signal_restore::take(signal_restore::Note::Resized)) {
        readWindowSize();
        resizeEventPending_ = true;
        quietPolls_ = 0;  // the next poll takes the event
        changed = true;
    }
    if (signal_restore::take(signal_restore::Note::Resumed)) {
        // The window may have been resized while the terminal was the
        // shell's: SIGWINCH goes to the foreground job only. Its erase key
        // may have changed too.
        readWindowSize();
        decoder_.setEraseCharacter(static_cast<char>(signal_restore::userModes().c_cc[VERASE]));
        changed = true;
    }
    if (changed) {
        // The terminal may show anything now: paint it all, with the
        // cursor's line in view.
        repaintAll_ = true;
        followCursor();
        flush();
    }
}

void TtyTerminal::hideCursor() {
    writeAll(description_.hideCursor);
}

void TtyTerminal::setColour(int foreground, int background) {
    serviceSignals();
    screen_.setAttribute(makeAttribute(foreground, background));
}

void TtyTerminal::clear() {
    serviceSignals();
    clearPicture();
    followCursor();
    flush();
}

void TtyTerminal::locate(int row, int column) {
    serviceSignals();
    screen_.locate(row, column);
}

void TtyTerminal::print(std::initializer_list<PrintItem> items, LineEnd lineEnd) {
    serviceSignals();
    checkClockAtNextPoll();
    screen_.print(items, lineEnd);
    if (openFrames_ == 0) {
        flush();
    }
}

void TtyTerminal::attendToSignals() {
    // fg sends no signal to a job that runs in the background: look.
    if (!signal_restore::holding()) {
        signal_restore::takeBackIfForeground();
    }
    serviceSignals();
    followCursor();
    flush();
}

void TtyTerminal::beginFrame() {
    ++openFrames_;
}

void TtyTerminal::endFrame() {
    if (openFrames_ > 0 && --openFrames_ == 0) {
        flush();
    }
}

}  // namespace novemra
