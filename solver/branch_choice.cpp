// How the searches choose the cell to branch on.
#include <bit>
#include <cstdint>

#include "solver/digit_board.hpp"

namespace novemra {

using board::Bands;
using board::kBands;
using board::kNone;

DigitBoard::Choice DigitBoard::narrowestOpenCell() const {
    Bands once = kNone;
    Bands twice = kNone;
    Bands thrice = kNone;
    for (const Bands& digit : cells_) {
        thrice |= twice & digit;
        twice |= once & digit;
        once |= digit;
    }
    const Bands two = open_ & twice & ~thrice;
    for (int band = 0; band < kBands; ++band) {
        if (two[band] != 0) {
            const int cell = band * 27 + std::countr_zero(two[band]);
            return {cell, digitsOf(cell)};
        }
    }
    Choice best;
    int bestCount = kGridSize + 1;
    for (int band = 0; band < kBands; ++band) {
        std::uint32_t open = open_[band];
        while (open != 0) {
            const int cell = band * 27 + std::countr_zero(open);
            open &= open - 1;
            const unsigned digits = digitsOf(cell);
            const int count = board::kTables.bitCount[digits];
            if (count < bestCount) {
                best = {cell, digits};
                bestCount = count;
            }
        }
    }
    return best;
}

DigitBoard::Choice DigitBoard::weightedOpenCell(
    const std::array<std::uint32_t, kCellCount>& weights) const {
    Choice best;
    // Compared as count / (1 + weight), without dividing.
    std::uint64_t bestCount = 1;
    std::uint64_t bestWeight = 0;
    for (int band = 0; band < kBands; ++band) {
        for (std::uint32_t open = open_[band]; open != 0; open &= open - 1) {
            const int cell = band * 27 + std::countr_zero(open);
            const unsigned digits = digitsOf(cell);
            const auto count = static_cast<std::uint64_t>(board::kTables.bitCount[digits]);
            const std::uint64_t weight = 1 + weights[static_cast<std::size_t>(cell)];
            if (best.digits == 0 || count * bestWeight < bestCount * weight) {
                best = {cell, digits};
                bestCount = count;
                bestWeight = weight;
            }
        }
    }
    return best;
}

}  // namespace novemra
