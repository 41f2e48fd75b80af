// Reading keys from the terminal: without a system call while nothing has
// arrived, with a short wait for the rest of a sequence cut short, and with
// the wait for input woken by resizes and returns from a stop.
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>

#include "console/process_group.hpp"
#include "console/signal_restore.hpp"
#include "console/tty_terminal.hpp"

namespace novemra {

namespace {

// Without a note of input a read is still made now and then, in case a
// hang-up sends no signal or SIGIO cannot reach the program: the clock is
// looked at every so many polls (and at the first poll after a print, when
// time has surely passed), and the terminal is read when the last read is
// long enough ago. A key then takes at most this long to be noticed.
constexpr int kPollsPerClockCheck = 256;
constexpr auto kReadInterval = std::chrono::milliseconds(20);
constexpr std::size_t kMaxReadPerCall = 65536;
// How often a program in the background looks whether it is in the
// foreground again.
constexpr int kBackgroundCheckMs = 200;
// How often a program waiting for a key in the foreground looks whether it
// still is: a shell may take the terminal without a signal to say so.
constexpr int kForegroundCheckMs = 1000;
constexpr char kCtrlC = 0x03;

}  // namespace

bool TtyTerminal::readDue() const {
    return std::chrono::steady_clock::now() - lastRead_ >= kReadInterval;
}

void TtyTerminal::checkClockAtNextPoll() {
    quietPolls_ = 0;
}

void TtyTerminal::readAvailable() {
    std::array<char, 4096> bytes{};
    // A bounded amount per call: a terminal that never stops sending (a
    // stuck key, a binary stream) cannot keep the program here, and what is
    // held stays small.
    for (std::size_t total = 0; total < kMaxReadPerCall;) {
        const ssize_t count = ::read(fd_, bytes.data(), bytes.size());
        if (count > 0) {
            decoder_.feed(std::string_view(bytes.data(), static_cast<std::size_t>(count)));
            total += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EIO && signal_restore::letGoIfTaken()) {
            return;  // read from the background: the terminal is the shell's
        }
        if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            closed_ = true;  // hung up
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return;
    }
}

std::optional<InputEvent> TtyTerminal::nextEvent() {
    std::optional<InputEvent> event = decoder_.take();
    while (!event && decoder_.waitingForMore() && !closed_) {
        // The bytes end inside a sequence: give its rest a moment to come,
        // as it does when a link splits it.
        pollfd readable{fd_, POLLIN, 0};
        const int ready = ::poll(&readable, 1, kEscapeTimeMs);
        if (ready > 0) {
            readAvailable();
            event = decoder_.take();
        } else if (ready == 0) {
            event = decoder_.take(true);
        }
    }
    return event;
}

std::string TtyTerminal::pollKey(std::string* pasted) {
    if (pasted != nullptr) {
        pasted->clear();
    }
    // Most polls: nothing noted by the signal handlers, no clock check due.
    // The search makes these without a call (ConsoleTerminal::pollForKey).
    if (quietPolls_ > 0 && !signal_restore::noted()) {
        --quietPolls_;
        return {};
    }
    const int left = quietPolls_;
    std::string key = pollAttentively(pasted, left == 0 && readDue());
    // Polls may end at once again while nothing is held that a poll must
    // act on; the count towards the next clock check goes on.
    const bool quiet = !resizeEventPending_ && !closed_ && !decoder_.waitingForMore();
    quietPolls_ = quiet ? (left == 0 ? kPollsPerClockCheck : left) - 1 : 0;
    return key;
}

std::string TtyTerminal::pollAttentively(std::string* pasted, bool due) {
    serviceSignals();
    if (resizeEventPending_) {
        // A resize is an event without a character; it discards nothing.
        resizeEventPending_ = false;
        return {};
    }
    if (closed_) {
        return {};
    }
    if (!signal_restore::holding()) {
        // In the background the terminal's input is the shell's; now and
        // then the program looks whether the terminal has gone (a closed
        // window ends a disowned search too) and whether it is in the
        // foreground again.
        if (!due) {
            return {};
        }
        if (hungUp()) {
            closed_ = true;
            return {};
        }
        if (!signal_restore::takeBackIfForeground()) {
            endIfOrphaned();
            return {};
        }
        serviceSignals();
    }
    if (!signal_restore::take(signal_restore::Note::InputArrived) && !due &&
        !decoder_.waitingForMore()) {
        return {};
    }
    lastRead_ = std::chrono::steady_clock::now();
    readAvailable();
    const std::optional<InputEvent> event = nextEvent();
    if (!event) {
        return "";
    }
    // Whatever else is queued goes with this key press or paste.
    readAvailable();
    decoder_.discard();
    if (event->kind == InputEvent::Kind::Paste) {
        if (pasted != nullptr) {
            *pasted = event->text;
        }
        // At a question a paste counts as one key press: its first character.
        return event->text.empty() ? std::string() : std::string(1, event->text.front());
    }
    if (event->key == kCtrlC && !signal_restore::controllingTerminal()) {
        // On a terminal that is not the program's controlling one, Ctrl-C
        // arrives as a key: it ends the program as the signal would.
        ::raise(SIGINT);
        return {};
    }
    return event->key == 0 ? std::string() : std::string(1, event->key);
}

bool TtyTerminal::hungUp() const {
    // Asking for no events still reports a hang-up; no wait.
    pollfd terminal{fd_, 0, 0};
    return ::poll(&terminal, 1, 0) == 1 && (terminal.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool TtyTerminal::endIfOrphaned() {
    // No shell is left to fg the program, and the kernel tells a process
    // group nothing when it is orphaned while running: end, as the
    // kernel's rule ends a stopped orphan, rather than wait for ever.
    if (processGroupOrphaned()) {
        orphaned_ = true;
        closed_ = true;
    }
    return orphaned_;
}

bool TtyTerminal::waitForInputOr(int other) {
    serviceSignals();
    if (closed_) {
        return false;
    }
    const bool holding = signal_restore::holding();
    if (holding && (resizeEventPending_ || decoder_.waitingForMore())) {
        return true;
    }
    followCursor();
    flush();
    // The handlers write to the wake pipe, so a resize or a return from a
    // stop that lands just before the wait still ends it. In the background
    // the terminal's input is the shell's: the terminal is watched only for
    // a hang-up, and now and then the program looks whether fg (which sends
    // no signal to a running job) has made it the foreground again.
    // The other input, when given, is watched throughout (a negative
    // descriptor is skipped by poll).
    std::array<pollfd, 3> waiting{{{signal_restore::wakeDescriptor(), POLLIN, 0},
                                   {fd_, static_cast<short>(holding ? POLLIN : 0), 0},
                                   {other, POLLIN, 0}}};
    const nfds_t first = waiting[0].fd >= 0 ? 0 : 1;
    const int ready = ::poll(waiting.data() + first, 3 - first,
                             holding ? kForegroundCheckMs : kBackgroundCheckMs);
    if (ready > 0 && (waiting[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        closed_ = true;
        return false;
    }
    if (!holding) {
        signal_restore::drainWake();
        if (!signal_restore::takeBackIfForeground() && endIfOrphaned()) {
            return false;
        }
        serviceSignals();
        return true;
    }
    if (ready < 0) {
        serviceSignals();  // interrupted by a signal
        return true;
    }
    if (ready == 0) {
        // Still the foreground's? If not, the next wait is the background's.
        signal_restore::letGoIfTaken();
        return true;
    }
    if ((waiting[0].revents & POLLIN) != 0) {
        signal_restore::drainWake();
        serviceSignals();
    }
    return true;
}

}  // namespace novemra
