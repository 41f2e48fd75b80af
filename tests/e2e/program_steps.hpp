// Steps shared by the whole-program tests: the binary under test and the
// questions it asks on the way to a solve.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "support/pty_process.hpp"

namespace novemra::testing {

// The binary under test: the one built here, or another named by
// NOVEMRA_PROGRAM (to check that a test fails on an older build).
inline const std::string kProgram =
    std::getenv("NOVEMRA_PROGRAM") != nullptr ? std::getenv("NOVEMRA_PROGRAM") : NOVEMRA_BINARY;

inline bool exitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

constexpr std::string_view kFirstPrompt = " Use Test data or Help [y,n or h]?";

// Waits for the first question.
inline bool atFirstPrompt(PtyProcess& p) {
    return p.waitForLine(18, kFirstPrompt);
}

// Answers "y", the level and the speed, each once its question shows.
inline bool startTestPuzzle(PtyProcess& p, char level, char speed) {
    p.send("y");
    if (!p.waitForLine(19, " Easy,Difficult,Hard, Xtreme (e,d,h,x)?")) {
        return false;
    }
    p.send(std::string(1, level));
    if (!p.waitForLine(20, " Extra fast, Fast or Slow [e,f or s]?")) {
        return false;
    }
    p.send(std::string(1, speed));
    return true;
}

}  // namespace novemra::testing
