// Puzzles for the reasoning tests: from text, and made by the generator.
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

// A minimal puzzle with one solution, as the generator makes them.
inline CellValues minimalPuzzle(SeededRandom& random) {
    return generate::minimalPuzzle(generate::randomSolution(random), generate::Symmetry::None,
                                   random);
}

}  // namespace novemra::testing
