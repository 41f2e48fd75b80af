#include "print/bounded_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "print/connection_budget.hpp"
#include "print/print_times.hpp"

namespace novemra {

namespace {

// Descriptor numbers from here on are the process's own.
constexpr int kFirstFreeDescriptor = 3;

// Makes the process a stranger to the terminal: its own session, so the
// terminal's signals (Ctrl-C, Ctrl-Z, a hang-up) do not reach it and an ssh
// logout does not wait for it; /dev/null as its standard streams and no
// other descriptor but keep (moved to 3); default signal actions, so the
// program's handlers, which restore the terminal, are not its to run. False
// when any step fails: the process then ends without doing anything.
bool detachFromTerminal(int keep) {
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) {
            ::signal(signal, SIG_DFL);
        }
    }
    ::signal(SIGPIPE, SIG_IGN);
    if (::setsid() < 0) {
        return false;
    }
    // Descriptors are freed before /dev/null is opened, so that it opens
    // whatever the descriptor limit (ulimit -n).
    if (keep != kFirstFreeDescriptor && ::dup2(keep, kFirstFreeDescriptor) < 0) {
        return false;
    }
    if (::close_range(kFirstFreeDescriptor + 1, ~0U, 0) != 0) {
        for (int fd = kFirstFreeDescriptor + 1; fd < ::sysconf(_SC_OPEN_MAX); ++fd) {
            ::close(fd);
        }
    }
    for (int fd = 0; fd < kFirstFreeDescriptor; ++fd) {
        ::close(fd);
    }
    // The lowest free numbers: 0, then 1 and 2 as copies.
    if (::open("/dev/null", O_RDWR) != 0 || ::dup(0) != 1 || ::dup(0) != 2) {
        return false;
    }
    ::fcntl(kFirstFreeDescriptor, F_SETFD, FD_CLOEXEC);
    sigset_t none;
    sigemptyset(&none);
    return ::sigprocmask(SIG_SETMASK, &none, nullptr) == 0;
}

// Ends this process by SIGALRM (its default action) once the time has
// passed, whatever it is doing: a bound that no server can stretch.
bool endAfter(std::chrono::milliseconds time) {
    itimerval timer{};
    const auto milliseconds = std::max<long long>(time.count(), 1);
    timer.it_value.tv_sec = static_cast<time_t>(milliseconds / 1000);
    timer.it_value.tv_usec = static_cast<suseconds_t>(milliseconds % 1000 * 1000);
    return ::setitimer(ITIMER_REAL, &timer, nullptr) == 0;
}

bool limitMemory(rlim_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves far more address space than this.
    (void)bytes;
    return true;
#else
    // Lowered, never raised: an administrator's or a user's stricter limit
    // (ulimit -v) stays, as it does for lp.
    rlimit memory{};
    if (::getrlimit(RLIMIT_AS, &memory) != 0) {
        return false;
    }
    memory.rlim_cur = std::min(memory.rlim_cur, bytes);
    memory.rlim_max = std::min(memory.rlim_max, bytes);
    return ::setrlimit(RLIMIT_AS, &memory) == 0;
#endif
}

// Waits until fd reports its end (the process holding its other end is
// gone) or the deadline passes; false at the deadline or when waiting fails.
// whileWaiting runs at every interruption and every kWaitHookInterval.
bool waitForEnd(int fd, PrintClock::time_point deadline,
                const std::function<void()>& whileWaiting) {
    for (;;) {
        const int left = millisecondsUntil(deadline);
        const int slice = whileWaiting ? std::min<int>(left, kWaitHookInterval.count()) : left;
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, slice);
        if ((ready < 0 && errno == EINTR) || (ready == 0 && slice < left)) {
            // A resize, a return from a stop, or time to look again.
            if (whileWaiting) {
                whileWaiting();
            }
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        std::array<char, 64> bytes{};
        const ssize_t count = ::read(fd, bytes.data(), bytes.size());
        if (count <= 0) {
            return count == 0;
        }
    }
}

}  // namespace

void runBounded(const ProcessBounds& bounds, const std::function<void()>& work,
                const std::function<void()>& whileWaiting) {
    const auto deadline = PrintClock::now() + bounds.waitLimit;
    // The process holds the write end (as descriptor 3) for its whole life;
    // the read end reports its end.
    std::array<int, 2> done{-1, -1};
    if (::pipe2(done.data(), O_CLOEXEC) != 0) {
        return;
    }
    // No handler of the program's may run in the child before it has set
    // itself up.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    ::sigprocmask(SIG_BLOCK, &all, &before);
    const pid_t child = ::fork();
    if (child == 0) {
        if (detachFromTerminal(done[1]) && endAfter(bounds.lifeLimit) &&
            limitMemory(bounds.memoryLimit)) {
            limitConnections(bounds.connectionLimit);
            work();
        }
        ::_exit(0);
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    ::close(done[1]);
    if (child > 0) {
        if (!waitForEnd(done[0], deadline, whileWaiting)) {
            // Past the limit, or waiting failed: end it and whatever it
            // started (it leads a process group of its own).
            ::kill(-child, SIGKILL);
            ::kill(child, SIGKILL);
        }
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(done[0]);
}

}  // namespace novemra
