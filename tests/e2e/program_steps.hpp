// The binary the whole-program tests run, and how it ended; the steps
// through its questions are in support/program_steps.hpp.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/program_steps.hpp"
#include "support/pty_process.hpp"

namespace novemra::testing {

// The binary under test: the one built here, or another named by
// NOVEMRA_PROGRAM (to check that a test fails on an older build).
inline const std::string kProgram =
    std::getenv("NOVEMRA_PROGRAM") != nullptr ? std::getenv("NOVEMRA_PROGRAM") : NOVEMRA_BINARY;

inline bool exitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

// An interactive bash in a pseudo-terminal, for the job-control tests.
inline std::vector<std::string> interactiveShell() {
    return {"/bin/bash", "--norc", "--noprofile", "-i"};
}

// Starts the program from the interactive shell in p, after the shell
// words given (`export X=y;`, say); its process id once it shows its first
// question, or -1.
inline pid_t startFromTheShell(PtyProcess& p, const std::string& before = "") {
    p.send(before + "PS1='$ '; " + kProgram + "\r");
    return atFirstPrompt(p) ? firstChildOf(p.pid()) : -1;
}

// Ctrl-Z, and the shell's word that the job has stopped.
inline bool suspendFromTheShell(PtyProcess& p) {
    p.send("\x1a");
    return p.waitUntil(
        [](const VirtualTerminal& s) { return s.text().find("Stopped") != std::string::npos; });
}

}  // namespace novemra::testing
