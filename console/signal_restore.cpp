#include "console/signal_restore.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace novemra::signal_restore {

namespace {

// What the handlers use. Static because a handler can reach nothing else;
// written only while the handlers are not installed, or by the handlers.
struct State {
    int fd = -1;
    termios saved{};
    std::array<char, 512> leave{};
    std::size_t leaveLength = 0;
    std::array<char, 512> enter{};
    std::size_t enterLength = 0;
    std::array<int, 2> wakePipe{-1, -1};
    bool controlling = true;
    // What the handlers noted for the program, one bit per Note. Lock-free,
    // so a handler may set a bit while the program takes another.
    std::atomic<unsigned> notes{0};
    // The terminal is the program's now: its modes set, its enter bytes
    // sent. Cleared by a restore, set again when it is taken back.
    volatile std::sig_atomic_t held = 0;
    // The terminal was taken from the program while it held it: its screen
    // may still show the program's (the alternate screen) until left.
    volatile std::sig_atomic_t lost = 0;
    // What each signal did before install, put back on the way out.
    std::array<struct sigaction, NSIG> original{};
    std::array<bool, NSIG> handled{};
};

State state;

// The handlers run here, so that the crash path can restore the terminal
// even when the program's own stack has overflowed.
alignas(16) std::array<char, 65536> alternateStack;

// Cancels an escape sequence the terminal may be in the middle of, when
// the output queue was cut short.
constexpr char kCancel = 0x18;
// A restore waits at most this often, this long each, for a terminal that
// does not take its bytes.
constexpr int kRestoreWaits = 4;
constexpr int kRestoreWaitMs = 50;

// Signals that end the process by default and leave a core: the program
// may be broken, so they are always caught, then raised again.
constexpr std::array kCrashSignals = {SIGQUIT, SIGILL, SIGTRAP, SIGABRT,
                                      SIGBUS,  SIGFPE, SIGSEGV, SIGSYS};
// Signals that end the process by default without a core.
constexpr std::array kEndingSignals = {SIGHUP,    SIGUSR1, SIGUSR2, SIGPIPE,   SIGALRM, SIGTERM,
                                       SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGPWR};

// Every signal blocked while it lives, so the program's own reads and
// writes of the state never meet a handler halfway; the mask before it is
// put back at the end.
class AllSignalsBlocked {
  public:
    AllSignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        ::sigprocmask(SIG_BLOCK, &all, &before_);
    }
    ~AllSignalsBlocked() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    AllSignalsBlocked(const AllSignalsBlocked&) = delete;
    AllSignalsBlocked& operator=(const AllSignalsBlocked&) = delete;

  private:
    sigset_t before_;
};

void note(Note which) {
    state.notes.fetch_or(static_cast<unsigned>(which));
}

// Writes within a bounded wait; false when the terminal would not take it.
bool writeWithin(const char* bytes, std::size_t length) {
    int waits = 0;
    while (length > 0) {
        const ssize_t written = ::write(state.fd, bytes, length);
        if (written > 0) {
            bytes += written;
            length -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN && waits++ < kRestoreWaits) {
            pollfd writable{state.fd, POLLOUT, 0};
            ::poll(&writable, 1, kRestoreWaitMs);
        } else {
            return false;
        }
    }
    return true;
}

// Puts the user's terminal back. When urgent (a signal), output still queued
// is thrown away first: it would only be drawn over, and a terminal that
// reads slowly must not keep the restore from getting through. Otherwise the
// queue is given a moment to drain, and is thrown away only if it does not.
void restoreTerminal(bool urgent) {
    if (state.fd < 0 || state.held == 0) {
        return;
    }
    state.held = 0;
    const int savedErrno = errno;
    bool delivered = false;
    if (!urgent) {
        delivered = writeWithin(state.leave.data(), state.leaveLength);
    }
    if (!delivered) {
        ::tcflush(state.fd, TCOFLUSH);
        if (writeWithin(&kCancel, 1)) {
            writeWithin(state.leave.data(), state.leaveLength);
        }
    }
    ::tcsetattr(state.fd, TCSANOW, &state.saved);
    errno = savedErrno;
}

void wake() {
    const int savedErrno = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::write(state.wakePipe[1], &byte, 1);
    errno = savedErrno;
}

void setHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    // Every other signal waits while a handler runs, so a restore is never
    // interrupted halfway by a stop or another ending signal. No
    // SA_RESTART: a resize must interrupt a wait.
    sigfillset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    ::sigaction(signal, &action, nullptr);
}

// Restore, then end the process by the same signal: the signal is raised
// again with its default action and is delivered when this handler returns.
void onEndingSignal(int signal) {
    restoreTerminal(true);
    setHandler(signal, SIG_DFL);
    ::raise(signal);
}

// Ctrl-C ends the program as "x" does: terminal restored, status 0.
void onInterrupt(int) {
    restoreTerminal(true);
    ::_exit(0);
}

// True when the program may use the terminal: it is in the terminal's
// foreground, or the terminal is not its controlling terminal at all (one
// opened for it, as the tests do), which has no jobs to share it with.
bool inForeground() {
    const pid_t foreground = ::tcgetpgrp(state.fd);
    return foreground == ::getpgrp() || (foreground < 0 && errno == ENOTTY);
}

// Reads the user's modes again (they may have been changed while the
// terminal was the shell's), sets the program's, sends its enter bytes, and
// has the program repaint.
void takeTerminal() {
    termios current{};
    if (::tcgetattr(state.fd, &current) == 0) {
        state.saved = current;
    }
    const termios program = programModes(state.saved, state.controlling);
    ::tcsetattr(state.fd, TCSANOW, &program);
    writeWithin(state.enter.data(), state.enterLength);
    state.held = 1;
    state.lost = 0;
    note(Note::Resumed);
    wake();
}

// Ctrl-Z, and reading or setting the terminal from the background
// (SIGTTIN, SIGTTOU): restore, then stop for real. The return is handled by
// onContinue. When the stop does not happen (no job-control shell above the
// program: the kernel discards it), the program keeps its terminal, as
// shells and full-screen programs do.
void onStop(int signal) {
    const int savedErrno = errno;
    restoreTerminal(true);
    setHandler(signal, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, signal);
    ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    ::raise(signal);  // stops here until the process is continued
    ::sigprocmask(SIG_BLOCK, &stop, nullptr);
    setHandler(signal, onStop);
    // A stop that happened ended with SIGCONT, which waits (blocked) for
    // this handler to return.
    sigset_t pending;
    sigemptyset(&pending);
    ::sigpending(&pending);
    if (sigismember(&pending, SIGCONT) == 0 && state.held == 0 && inForeground()) {
        takeTerminal();
    }
    errno = savedErrno;
}

// After Ctrl-Z and fg, or kill -STOP and kill -CONT: take the terminal
// again and have the program repaint it. After bg the terminal is the
// shell's, and the program leaves it alone until it is in the foreground
// again.
void onContinue(int) {
    const int savedErrno = errno;
    if (inForeground()) {
        takeTerminal();
    }
    errno = savedErrno;
}

void onResize(int) {
    note(Note::Resized);
    wake();
}

void onInput(int) {
    note(Note::InputArrived);
}

bool startedIgnored(int signal) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

// Installs the handler unless the signal was ignored when the program
// started (nohup, a background job): then it stays ignored, as the user
// asked.
void take(int signal, void (*handler)(int), bool evenIfIgnored = false) {
    ::sigaction(signal, nullptr, &state.original[static_cast<std::size_t>(signal)]);
    if (!evenIfIgnored && startedIgnored(signal)) {
        return;
    }
    state.handled[static_cast<std::size_t>(signal)] = true;
    setHandler(signal, handler);
}

template <std::size_t N>
bool keep(std::string_view bytes, std::array<char, N>& target, std::size_t& length) {
    if (bytes.size() > target.size()) {
        return false;
    }
    std::memcpy(target.data(), bytes.data(), bytes.size());
    length = bytes.size();
    return true;
}

}  // namespace

termios programModes(const termios& user, bool controlling) {
    termios program = user;
    program.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN | (controlling ? 0 : ISIG));
    program.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
    program.c_cc[VMIN] = 1;
    program.c_cc[VTIME] = 0;
    return program;
}

termios userModes() {
    const AllSignalsBlocked blocked;
    return state.saved;
}

bool install(const Plan& plan) {
    if (!keep(plan.leave, state.leave, state.leaveLength) ||
        !keep(plan.enter, state.enter, state.enterLength)) {
        return false;
    }
    if (::pipe2(state.wakePipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        state.wakePipe = {-1, -1};
    }
    state.fd = plan.fd;
    state.saved = plan.saved;
    state.controlling = ::tcgetpgrp(plan.fd) >= 0;
    // Input may have come before the handler was there to note it.
    state.notes.store(static_cast<unsigned>(Note::InputArrived));
    state.handled.fill(false);
    // Held only once taken (takeBackIfForeground): a stop before that has
    // nothing to restore.
    state.held = 0;

    stack_t stack{};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    ::sigaltstack(&stack, nullptr);

    for (const int signal : kCrashSignals) {
        take(signal, onEndingSignal, signal != SIGQUIT);
    }
    for (const int signal : kEndingSignals) {
        take(signal, onEndingSignal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        take(signal, onEndingSignal);
    }
    take(SIGINT, onInterrupt);
    take(SIGTSTP, onStop);
    take(SIGTTIN, onStop);
    take(SIGTTOU, onStop);
    take(SIGCONT, onContinue, true);
    take(SIGWINCH, onResize, true);
    take(SIGIO, onInput, true);

    // A parent may have left some of these blocked (some supervisors block
    // SIGIO, for one); the program needs every one it handles.
    sigset_t handled;
    sigemptyset(&handled);
    for (int signal = 1; signal < NSIG; ++signal) {
        if (state.handled[static_cast<std::size_t>(signal)]) {
            sigaddset(&handled, signal);
        }
    }
    ::sigprocmask(SIG_UNBLOCK, &handled, nullptr);
    return true;
}

void restoreAndRemove() {
    // A signal that comes during the teardown meets, once the guard goes,
    // the dispositions the process started with, on a terminal that is
    // already restored.
    const AllSignalsBlocked blocked;
    if (state.fd >= 0) {
        // No more input signals once the handlers are gone.
        ::fcntl(state.fd, F_SETFL, ::fcntl(state.fd, F_GETFL) & ~O_ASYNC);
    }
    restoreTerminal(false);
    if (state.fd >= 0 && state.lost != 0) {
        // Taken away while the program's screen was up: its modes are the
        // shell's business now, but the screen is left as on every way out,
        // so the shell is not left on the alternate screen. With every
        // signal blocked a terminal that stops background writers lets
        // this through rather than stop the program.
        writeWithin(state.leave.data(), state.leaveLength);
        state.lost = 0;
    }
    if (state.handled[SIGIO]) {
        // Input that came during the teardown left a SIGIO pending. It was
        // only ever a note for the handler; under the default action it would
        // end the process. Ignoring it discards it.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGIO, &ignore, nullptr);
    }
    for (int signal = 1; signal < NSIG; ++signal) {
        if (state.handled[static_cast<std::size_t>(signal)]) {
            ::sigaction(signal, &state.original[static_cast<std::size_t>(signal)], nullptr);
        }
    }
    state.handled.fill(false);
    state.fd = -1;
    stack_t stack{};
    stack.ss_flags = SS_DISABLE;
    ::sigaltstack(&stack, nullptr);
    for (int& end : state.wakePipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

bool controllingTerminal() {
    return state.controlling;
}

bool holding() {
    return state.held != 0;
}

bool takeBackIfForeground() {
    const AllSignalsBlocked blocked;
    const bool taken = state.fd >= 0 && state.held == 0 && inForeground();
    if (taken) {
        takeTerminal();
    }
    return taken;
}

bool letGoIfTaken() {
    const AllSignalsBlocked blocked;
    const bool taken = state.fd >= 0 && state.held != 0 && !inForeground();
    if (taken) {
        state.held = 0;
        state.lost = 1;
    }
    return taken;
}

bool noted() {
    return state.notes.load(std::memory_order_relaxed) != 0;
}

const std::atomic<unsigned>& notes() {
    return state.notes;
}

bool take(Note which) {
    const auto bit = static_cast<unsigned>(which);
    if ((state.notes.load(std::memory_order_relaxed) & bit) == 0) {
        return false;
    }
    return (state.notes.fetch_and(~bit) & bit) != 0;
}

int wakeDescriptor() {
    return state.wakePipe[0];
}

void drainWake() {
    std::array<char, 64> bytes{};
    while (::read(state.wakePipe[0], bytes.data(), bytes.size()) > 0) {
    }
}

}  // namespace novemra::signal_restore
