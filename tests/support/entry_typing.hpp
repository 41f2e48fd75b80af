// Typing a puzzle into the real program key by key, as a person does: keys
// typed ahead are dropped, so each waits for the entry cursor to move on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/pty_process.hpp"

namespace novemra::testing {

// Types every key but the last; false when the cursor stops following.
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
