// A program run from a shell in a pseudo-terminal, with the terminal's modes
// (`stty -g`) recorded before and after it and its exit status kept, so a
// test can see what the program left behind.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/pty_process.hpp"

namespace novemra::testing {

class ShellSession {
  public:
    struct Options {
        std::vector<std::string> arguments;
        std::string term = "xterm-256color";
        // Sent to files instead of the terminal when true.
        bool redirectOutput = false;
        // With redirectOutput, where standard output goes instead of the
        // session's own file (such as /dev/full).
        std::string outputPath;
        // Shell words run before the program (for example `trap '' HUP;`).
        std::string prelude;
        int rows = 30;
        int columns = 80;
    };
    // Runs the program with no arguments.
    explicit ShellSession(const std::string& program) : ShellSession(program, Options{}) {}
    ShellSession(const std::string& program, Options options);
    ~ShellSession();
    ShellSession(const ShellSession&) = delete;
    ShellSession& operator=(const ShellSession&) = delete;

    PtyProcess& process() { return *process_; }
    // Waits until the shell has run the program to its end and everything
    // the program sent has been read: with output on the terminal, until
    // the shell's "DONE" after it; otherwise until the shell exits.
    bool waitUntilDone(std::chrono::milliseconds timeout = 10s);
    // True once the program has ended and the modes after it equal those
    // before it.
    bool modesRestored() const;
    // "N\n" for exit status N, once the shell has recorded it.
    std::string exitLine() const { return file("status"); }
    std::string standardOutput() const { return file("out"); }
    std::string standardError() const { return file("err"); }
    std::string file(const std::string& name) const;
    // The program's process id, once the shell has started it; -1 before.
    pid_t programPid() const;

  private:
    std::filesystem::path folder_;
    bool redirectOutput_ = false;
    std::unique_ptr<PtyProcess> process_;
};

std::string readWholeFile(const std::filesystem::path& path);

}  // namespace novemra::testing
