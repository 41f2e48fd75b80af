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
    // Each cell's count of digits, bit-sliced: bit k of counts[i] is bit i
    // of cell k's count, summed over the digits' bands at once, so that a
    // cell's count costs four shifts rather than a look at nine digits.
    std::array<Bands, 4> counts{};
    for (const Bands& digit : cells_) {
        Bands carry = digit;
        for (Bands& bit : counts) {
            const Bands next = bit & carry;
            bit ^= carry;
            carry = next;
        }
    }
    int bestCell = -1;
    // Compared as count / (1 + weight), without dividing.
    std::uint64_t bestCount = 1;
    std::uint64_t bestWeight = 0;
    for (int band = 0; band < kBands; ++band) {
        for (std::uint32_t open = open_[band]; open != 0; open &= open - 1) {
            const int inBand = std::countr_zero(open);
            const int cell = band * 27 + inBand;
            std::uint64_t count = 0;
            for (std::size_t bit = 0; bit < counts.size(); ++bit) {
                count |= static_cast<std::uint64_t>((counts[bit][band] >> inBand) & 1U) << bit;
            }
            const std::uint64_t weight = 1 + weights[static_cast<std::size_t>(cell)];
            if (bestCell < 0 || count * bestWeight < bestCount * weight) {
                bestCell = cell;
                bestCount = count;
                bestWeight = weight;
            }
        }
    }
    return bestCell < 0 ? Choice{} : Choice{bestCell, digitsOf(bestCell)};
}

}  // namespace novemra
