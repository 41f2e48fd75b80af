// Two searches for completions of a puzzle on the digit board
// (solver/digit_board.hpp): a count, up to a limit, and the first
// completion in a given order of the blank cells.
//
// Both branch after the board's rules have run. Most boards need a few
// dozen branches; a sparse board can hide a contradiction that the rules
// see only deep down, under a huge tree with no completion. Two things keep
// a count out of such trees:
// - it learns where it fails: every branch whose digit the rules refute at
//   once adds to its cell's weight, and past kUnweightedBranches branches a
//   count branches on the cell with the fewest digits for its weight, which
//   keeps it near the contradiction until that is proved;
// - past kPlainBranches branches, each further node is probed first: each
//   digit left in each open cell is placed on a copy and the rules run, and
//   a digit they refute is taken away. That finds such contradictions near
//   where they arise, at a cost only a board already known to be hard pays.
// Neither changes what is counted, only the order of the search.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "puzzle/grid.hpp"

namespace novemra {

constexpr std::int64_t kPlainBranches = 1000;
constexpr std::int64_t kUnweightedBranches = 100;

// What the searches of one answer share: how many branches they took, where
// branches failed, and a question asked at every branch whether to stop
// (the user pressed "x"), after which every search ends at once.
struct SearchEffort {
    std::int64_t branches = 0;
    std::function<bool()> stopRequested;
    bool stopped = false;
    // How often a digit placed in each cell was refuted at once.
    std::array<std::uint32_t, kCellCount> failures{};

    // Counts one branch; false when the searches are to stop.
    bool branch();
};

struct CompletionCount {
    // Two givens with the same digit share a row, column or box.
    bool clash = false;
    // How many completions were found, at most the limit asked for (not
    // meaningful when the effort was stopped).
    int completions = 0;
};

// Counts the completions of 81 values (0 a blank, 1..9 a given), stopping
// at limit, and writes the first one found into first as digits 1..9
// (untouched when there is none). Which completion is found first depends
// on the search, not on any order of the cells.
CompletionCount countCompletions(const CellValues& values, int limit, CellValues& first,
                                 SearchEffort& effort);
CompletionCount countCompletions(const CellValues& values, int limit, CellValues& first);

// Whether the 81 values (cell among the blanks) have a completion in which
// cell holds another digit than digit (1..9): for a puzzle whose one
// solution has digit there, whether taking that given away leaves several.
bool completesOtherwise(const CellValues& values, int cell, int digit);

enum class ListOrderResult { Found, None, GaveUp };

// The first completion in list order of the listed cells (indexes into the
// 81 values, every blank among them): the smallest digit for the first
// listed cell that leaves the rest completable, and so on. Searched depth
// first in that order, which finds it at once where there are many
// completions but can meet a large part with none: it gives up after
// budget branches (or when the effort is stopped). On Found, first holds
// the completion as digits 1..9.
ListOrderResult firstInListOrder(const CellValues& values, std::span<const std::uint8_t> listed,
                                 int budget, CellValues& first, SearchEffort& effort);

}  // namespace novemra
