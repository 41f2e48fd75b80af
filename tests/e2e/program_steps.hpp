// The binary the whole-program tests run, and how it ended; the steps
// through its questions are in support/program_steps.hpp.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>

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

}  // namespace novemra::testing
