// Steps through the real program's questions in a pseudo-terminal, shared by
// the whole-program tests and the harnesses: each key is sent once the
// question it answers shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/pty_process.hpp"

namespace novemra::testing {

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

// Answers "n" and the speed, and waits for the entry cursor in the first cell.
inline bool startTyping(PtyProcess& p, char speed) {
    p.send("n");
    if (!p.waitForLine(19, " Extra fast, Fast or Slow [e,f or s]?")) {
        return false;
    }
    p.send(std::string(1, speed));
    return p.waitForLine(5, "    |>     |      |      |");
}

// Typing a puzzle in key by key, as a person does: keys typed ahead are
// dropped, so each waits for the entry cursor to move on. Types every key
// but the last; false when the cursor stops following.
inline bool typeAllButTheLastKey(PtyProcess& p, std::string_view puzzle) {
    for (std::size_t i = 0; i + 1 < puzzle.size(); ++i) {
        p.send(std::string(1, puzzle[i]));
        const int row = static_cast<int>((i + 1) / 9) + 1;
        const int column = static_cast<int>((i + 1) % 9) + 1;
        const int line = 4 + row + (row - 1) / 3;
        const int screenColumn = 6 + 2 * (column - 1) + (column - 1) / 3;
        if (!p.waitUntil(
                [&](const VirtualTerminal& s) { return s.cell(line, screenColumn).ch == '>'; })) {
            return false;
        }
    }
    return true;
}

}  // namespace novemra::testing
