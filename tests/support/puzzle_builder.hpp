// Builds puzzle states for tests from 81 characters in reading order:
// '1'..'9' are givens, '0' or '.' blanks; anything else is skipped, so rows
// can be separated by spaces.
#pragma once

#include <string>
#include <string_view>

#include "puzzle/grid.hpp"

namespace novemra::testing {

// A complete, valid Sudoku; its first row is 5 3 4 6 7 8 9 1 2.
constexpr std::string_view kSolvedSudoku =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

// Two puzzles that make the search work hard, for benchmarks and for tests
// that need a long search: one with only 17 givens, and one built against
// brute force (its first row is blank and solves to 987654321).
constexpr std::string_view kSeventeenGivens =
    "000000010400000000020000000000050407008000300001090000300400200050100000000806000";
constexpr std::string_view kAgainstBruteForce =
    "000000000000003085001020000000507000004000100090000000500000073002010000000040009";

inline PuzzleState puzzleFrom(std::string_view text) {
    PuzzleState puzzle;
    resetPuzzle(puzzle);
    int cell = 0;
    for (const char ch : text) {
        if (ch != '.' && (ch < '0' || ch > '9')) {
            continue;
        }
        const int row = cell / 9 + 1;
        const int column = cell % 9 + 1;
        const int value = ch == '.' ? 0 : ch - '0';
        puzzle.grid.set(row, column, value);
        if (value == 0) {
            appendBlank(puzzle, row, column);
        }
        ++cell;
    }
    return puzzle;
}

// One grid row as nine digits, e.g. "534678912".
inline std::string rowDigits(const Grid& grid, int row) {
    std::string digits;
    for (int column = 1; column <= 9; ++column) {
        digits.push_back(static_cast<char>('0' + grid.at(row, column)));
    }
    return digits;
}

}  // namespace novemra::testing
