// Seeded rearrangements of a Sudoku that keep it a Sudoku with as many
// solutions: digit relabelling, row and column swaps within bands and
// stacks, band and stack swaps, and transposition. For tests and for the
// benchmark's puzzle file; a small generator of its own so that a seed
// gives the same puzzles with every standard library.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "generate/generator.hpp"

namespace novemra::testing {

// The generator's own: a fixed sequence for a seed with every standard
// library.
using SeededRandom = generate::Random;

// 81 cells in reading order ('0' a blank) rearranged at random.
inline std::string rearranged(std::string_view cells, SeededRandom& random) {
    // An order of the nine rows (or columns): bands shuffled, then the rows
    // within each band.
    const auto lineOrder = [&random] {
        std::array<int, 3> bands{0, 1, 2};
        random.shuffle(bands);
        std::array<int, 9> order{};
        for (int band = 0; band < 3; ++band) {
            std::array<int, 3> within{0, 1, 2};
            random.shuffle(within);
            for (int i = 0; i < 3; ++i) {
                order[static_cast<std::size_t>(band * 3 + i)] =
                    bands[static_cast<std::size_t>(band)] * 3 + within[static_cast<std::size_t>(i)];
            }
        }
        return order;
    };
    const std::array<int, 9> rows = lineOrder();
    const std::array<int, 9> columns = lineOrder();
    std::array<char, 10> digits{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    std::array<char, 9> relabel{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    random.shuffle(relabel);
    for (int d = 0; d < 9; ++d) {
        digits[static_cast<std::size_t>(d + 1)] = relabel[static_cast<std::size_t>(d)];
    }
    const bool transpose = random.below(2) == 1;

    std::string out(81, '0');
    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column) {
            int fromRow = rows[static_cast<std::size_t>(row)];
            int fromColumn = columns[static_cast<std::size_t>(column)];
            if (transpose) {
                std::swap(fromRow, fromColumn);
            }
            const char ch = cells[static_cast<std::size_t>(fromRow * 9 + fromColumn)];
            out[static_cast<std::size_t>(row * 9 + column)] =
                ch >= '1' && ch <= '9' ? digits[static_cast<std::size_t>(ch - '0')] : '0';
        }
    }
    return out;
}

}  // namespace novemra::testing
