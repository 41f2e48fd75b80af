// Two searches for completions of a puzzle: a count, up to a limit, and the
// first completion in a given order of the blank cells.
//
// The board is kept digit by digit: for each digit, the cells of each band
// (three rows) that may still hold it, as one 27-bit word. Placing a digit
// is a handful of mask operations, and the rules (naked and hidden singles,
// and which row-box and column-box crossings can still take a digit) run on
// whole bands at once, so a puzzle with one completion is proved to have no
// second in a few microseconds.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "puzzle/grid.hpp"

namespace novemra {

struct CompletionCount {
    // Two givens with the same digit share a row, column or box.
    bool clash = false;
    // How many completions were found, at most the limit asked for.
    int completions = 0;
};

// Counts the completions of 81 values in reading order (0 a blank, 1..9 a
// given), stopping at limit, and writes the first one found into first as
// digits 1..9 (untouched when there is none). Which completion is found
// first depends on the search, not on any order of the cells.
CompletionCount countCompletions(const std::array<std::int32_t, kGridSize * kGridSize>& values,
                                 int limit, std::array<std::int32_t, kGridSize * kGridSize>& first);

enum class ListOrderResult { Found, None, GaveUp };

// The first completion in list order of the listed cells (indexes into the
// 81 values, every blank among them): the smallest digit for the first
// listed cell that leaves the rest completable, and so on. Searched depth
// first in that order, which finds it at once where there are many
// completions but can meet a large part with none: it gives up after
// budget branches. On Found, first holds the completion as digits 1..9.
ListOrderResult firstInListOrder(const std::array<std::int32_t, kGridSize * kGridSize>& values,
                                 std::span<const std::uint8_t> listed, int budget,
                                 std::array<std::int32_t, kGridSize * kGridSize>& first);

}  // namespace novemra
