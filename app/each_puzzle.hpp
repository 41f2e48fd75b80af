// The modes without a screen (--solve, --check, --explain, --rate) read
// the given puzzles one at a time and write a reply to each: one loop for
// all of them, with the same refusals, write checks and statuses.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "app/command_line.hpp"

namespace novemra {

struct PuzzleReply {
    enum class Outcome { Answered, NoSolution, Several };
    Outcome outcome = Outcome::Answered;
    // For standard output.
    std::string text;
    // For standard error after the text, named by the puzzle's place:
    // "novemra: p.txt line 3: NOTE", or "novemra: the puzzle has NOTE".
    std::string note;
};

using ReplyTo = std::function<void(const StoredPuzzle& puzzle, PuzzleReply& reply)>;

// Replies to each given puzzle as it is read; replies that are ready go
// out before the input is waited for. reply may be called on several
// threads at once (--jobs), so it keeps no state between calls; between is
// written between two replies. Returns 0 when every puzzle was
// answered, 1 when any had no solution, otherwise severalStatus when any
// had several; 2 when the input was bad or the output is the input file,
// or a reply could not be written (named on err; nothing more is read).
int replyToEachPuzzle(const CommandLine& command, std::FILE* out, std::FILE* err,
                      const ReplyTo& reply, int severalStatus, std::string_view between = {});

}  // namespace novemra
