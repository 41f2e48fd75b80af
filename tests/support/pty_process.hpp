// Runs a program in a pseudo-terminal and shows its screen through an
// emulated terminal, for whole-program tests and benchmarks.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/virtual_terminal.hpp"

namespace novemra::testing {

using namespace std::chrono_literals;

class PtyProcess {
  public:
    // Starts argv[0] with TERM set to term in a rows x columns terminal,
    // with the signals in blocked blocked, as some parents leave them.
    PtyProcess(const std::vector<std::string>& argv, int rows = 30, int columns = 80,
               const std::string& term = "xterm-256color", const std::vector<int>& blocked = {});
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Types bytes at the terminal.
    void send(std::string_view bytes);
    // Reads output until the screen satisfies the condition; false on timeout.
    bool waitUntil(const std::function<bool(const VirtualTerminal&)>& condition,
                   std::chrono::milliseconds timeout = 10s);
    // Waits until the bytes have arrived, in one piece, since the start.
    bool waitForBytes(std::string_view bytes, std::chrono::milliseconds timeout = 10s);
    // Waits until the 1-based screen line reads exactly text.
    bool waitForLine(int row, std::string_view text, std::chrono::milliseconds timeout = 10s);
    // Reads output until the process ends; its wait status, or none on timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = 10s);
    // Waits until the program sleeps waiting for input without a time
    // limit: everything typed so far has been read and acted on.
    bool waitUntilWaitingForInput(std::chrono::milliseconds timeout = 10s);
    // The bytes the program has read so far (from /proc/PID/io), and a wait
    // until it has read at least count: what was typed has reached it.
    long long bytesRead() const;
    bool waitUntilRead(long long count, std::chrono::milliseconds timeout = 10s);
    // The same for another process on this terminal (a shell's job).
    bool waitUntilWaitingForInput(pid_t pid, std::chrono::milliseconds timeout = 10s);
    // True when no process holds the terminal any more (the master side
    // reports a hang-up): nothing the program left behind keeps it, so an
    // ssh logout would not wait.
    bool nobodyHoldsTheTerminal() const;
    // Changes the terminal's size; the program gets SIGWINCH.
    void resize(int rows, int columns);
    // Closes the terminal, as when its window is closed.
    void hangUp();
    // Draws on the emulated screen as another program would, so a test can
    // see whether the program paints over it.
    void scribble(std::string_view bytes) { screen_.feed(bytes); }

    const VirtualTerminal& screen() const { return screen_; }
    std::size_t bytesReceived() const { return received_.size(); }
    // Every byte the program sent so far.
    const std::string& received() const { return received_; }
    pid_t pid() const { return pid_; }

  private:
    // Reads what is available, waiting up to the given time for the first byte.
    void pump(std::chrono::milliseconds wait);

    VirtualTerminal screen_;
    int master_ = -1;
    pid_t pid_ = -1;
    std::optional<int> status_;
    // Every byte the program sent.
    std::string received_;
};

// Whether a process is blocked in poll, and for what: ForAKey is the
// program's wait for a key in the foreground (no time limit, or the second
// after which it looks whether it still is in the foreground);
// WithTimeLimit its shorter waits (the rest of a sequence, a look from the
// background).
enum class PollWait { NotPolling, ForAKey, WithTimeLimit };
PollWait pollWait(pid_t pid);

// The bytes a process has read so far, by any call (/proc/PID/io); -1 when
// it is gone.
long long bytesReadBy(pid_t pid);

// The first child of a process (a shell's job); -1 when it has none.
pid_t firstChildOf(pid_t parent);

// The screen as text, for failure messages.
std::string dump(const VirtualTerminal& screen);

}  // namespace novemra::testing
