// Puzzles for the reasoning tests: from text, rearranged, and made by
// taking givens away from a solved grid while one solution remains.
#pragma once

#include <array>
#include <numeric>
#include <string>
#include <string_view>

#include "puzzle/grid.hpp"
#include "solver/digit_search.hpp"
#include "support/puzzle_builder.hpp"
#include "support/rearrange.hpp"

namespace novemra::testing {

// 81 characters: 1-9 a given, anything else a blank.
inline CellValues valuesOf(std::string_view text) {
    CellValues values{};
    for (std::size_t cell = 0; cell < values.size(); ++cell) {
        const char ch = text[cell];
        values[cell] = ch >= '1' && ch <= '9' ? ch - '0' : 0;
    }
    return values;
}

inline std::string textOf(const CellValues& values) {
    std::string text(values.size(), '0');
    for (std::size_t cell = 0; cell < values.size(); ++cell) {
        text[cell] = static_cast<char>('0' + values[cell]);
    }
    return text;
}

// A random solution: random givens kept while the grid stays solvable,
// then the engine's completion.
inline CellValues randomSolution(SeededRandom& random) {
    CellValues grid{};
    for (int placed = 0; placed < 24;) {
        const auto cell = static_cast<std::size_t>(random.below(81));
        if (grid[cell] != 0) {
            continue;
        }
        grid[cell] = 1 + random.below(9);
        CellValues first{};
        const CompletionCount count = countCompletions(grid, 1, first);
        if (count.clash || count.completions == 0) {
            grid[cell] = 0;
        } else {
            ++placed;
        }
    }
    CellValues solution{};
    countCompletions(grid, 1, solution);
    return solution;
}

// A minimal puzzle with one solution: a random solution with its givens
// taken away in a random order, each while one solution remains.
inline CellValues minimalPuzzle(SeededRandom& random) {
    CellValues puzzle = randomSolution(random);
    std::array<int, 81> order{};
    std::iota(order.begin(), order.end(), 0);
    random.shuffle(order);
    for (const int cell : order) {
        const auto at = static_cast<std::size_t>(cell);
        const int given = puzzle[at];
        puzzle[at] = 0;
        CellValues first{};
        if (countCompletions(puzzle, 2, first).completions != 1) {
            puzzle[at] = given;
        }
    }
    return puzzle;
}

}  // namespace novemra::testing
