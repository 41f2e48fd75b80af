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

namespace novemra::testing {

// SplitMix64: a fixed sequence for a seed.
class SeededRandom {
  public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number in [0, bound).
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

    template <typename T, std::size_t N>
    void shuffle(std::array<T, N>& items) {
        for (std::size_t i = N - 1; i > 0; --i) {
            std::swap(items[i], items[static_cast<std::size_t>(below(static_cast<int>(i) + 1))]);
        }
    }

  private:
    std::uint64_t state_;
};

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
