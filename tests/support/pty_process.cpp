#include "support/pty_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace novemra::testing {

PtyProcess::PtyProcess(const std::vector<std::string>& argv, int rows, int columns,
                       const std::string& term, const std::vector<int>& blocked)
    : screen_(rows, columns) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_ = ::forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0) {
        throw std::runtime_error("forkpty failed");
    }
    if (pid_ == 0) {
        ::setenv("TERM", term.c_str(), 1);
        sigset_t mask;
        sigemptyset(&mask);
        for (const int signal : blocked) {
            sigaddset(&mask, signal);
        }
        ::sigprocmask(SIG_BLOCK, &mask, nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyProcess::~PtyProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

void PtyProcess::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(master_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                // The terminal's input is full until the program reads; a
                // program that has ended never will.
                int status = 0;
                if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                    status_ = status;
                }
                if (status_) {
                    return;
                }
                pump(1ms);
                continue;
            }
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void PtyProcess::pump(std::chrono::milliseconds wait) {
    if (master_ < 0) {
        return;
    }
    pollfd readable{master_, POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(wait.count())) <= 0) {
        return;
    }
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(master_, buffer.data(), buffer.size());
        if (count <= 0) {
            return;
        }
        received_.append(buffer.data(), static_cast<std::size_t>(count));
        screen_.feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    }
}

bool PtyProcess::waitUntil(const std::function<bool(const VirtualTerminal&)>& condition,
                           std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // The condition is checked on everything that has arrived by then, so
    // it never sees a screen that lags behind what it waited for.
    pump(0ms);
    while (!condition(screen_)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        pump(10ms);
    }
    return true;
}

bool PtyProcess::waitForBytes(std::string_view bytes, std::chrono::milliseconds timeout) {
    return waitUntil(
        [&](const VirtualTerminal&) { return received_.find(bytes) != std::string::npos; },
        timeout);
}

bool PtyProcess::waitForLine(int row, std::string_view text, std::chrono::milliseconds timeout) {
    return waitUntil([&](const VirtualTerminal& s) { return s.line(row) == text; }, timeout);
}

std::optional<int> PtyProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status_) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        pump(10ms);
    }
    // Read what the process sent before it ended: everything is in once no
    // process holds the terminal's other side any more (the master then
    // reports a hang-up). A process left holding it is waited for briefly.
    const auto drainDeadline = std::chrono::steady_clock::now() + 1s;
    while (master_ >= 0 && std::chrono::steady_clock::now() < drainDeadline) {
        pollfd readable{master_, POLLIN, 0};
        if (::poll(&readable, 1, 10) > 0 && (readable.revents & POLLIN) == 0) {
            break;  // hung up with nothing left to read
        }
        pump(0ms);
    }
    return status_;
}

long long PtyProcess::bytesRead() const {
    return bytesReadBy(pid_);
}

long long bytesReadBy(pid_t pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string name;
    long long value = 0;
    while (io >> name >> value) {
        if (name == "rchar:") {
            return value;
        }
    }
    return -1;
}

bool PtyProcess::waitUntilRead(long long count, std::chrono::milliseconds timeout) {
    return waitUntil([&](const VirtualTerminal&) { return bytesRead() >= count; }, timeout);
}

bool PtyProcess::waitUntilWaitingForInput(std::chrono::milliseconds timeout) {
    return waitUntilWaitingForInput(pid_, timeout);
}

bool PtyProcess::waitUntilWaitingForInput(pid_t pid, std::chrono::milliseconds timeout) {
    return waitUntil([&](const VirtualTerminal&) { return pollWait(pid) == PollWait::ForAKey; },
                     timeout);
}

bool PtyProcess::nobodyHoldsTheTerminal() const {
    pollfd hangUp{master_, 0, 0};
    return master_ >= 0 && ::poll(&hangUp, 1, 0) == 1 && (hangUp.revents & POLLHUP) != 0;
}

void PtyProcess::resize(int rows, int columns) {
    winsize size{};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    screen_.resize(rows, columns);
    ::ioctl(master_, TIOCSWINSZ, &size);
}

void PtyProcess::hangUp() {
    ::close(master_);
    master_ = -1;
}

PollWait pollWait(pid_t pid) {
    // /proc/PID/syscall names the call the process is blocked in and its
    // arguments: poll (7 on x86-64), its descriptors, their count, and its
    // timeout (-1 for none).
    std::ifstream in("/proc/" + std::to_string(pid) + "/syscall");
    std::string number;
    std::string fds;
    std::string count;
    std::string wait;
    in >> number >> fds >> count >> wait;
    if (number != "7") {
        return PollWait::NotPolling;
    }
    // The program's foreground wait, in milliseconds.
    constexpr const char* kForegroundCheck = "0x3e8";
    return wait == "0xffffffff" || wait == "0xffffffffffffffff" || wait == kForegroundCheck
               ? PollWait::ForAKey
               : PollWait::WithTimeLimit;
}

pid_t firstChildOf(pid_t parent) {
    const std::string id = std::to_string(parent);
    std::ifstream children("/proc/" + id + "/task/" + id + "/children");
    pid_t child = -1;
    children >> child;
    return child;
}

std::string dump(const VirtualTerminal& screen) {
    std::string text = "\n";
    for (int row = 1; row <= screen.rows(); ++row) {
        text += std::to_string(row) + "|" + screen.line(row) + "\n";
    }
    return text;
}

}  // namespace novemra::testing
