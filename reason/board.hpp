// The board as a person solving by hand keeps it: each cell's value, and
// for each open cell the digits still possible (its pencil marks).
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "puzzle/grid.hpp"

namespace novemra::reason {

// Digit d is bit d - 1.
using DigitSet = std::uint16_t;
constexpr DigitSet kAllDigits = 0x1FF;

constexpr DigitSet digitBit(int digit) {
    return static_cast<DigitSet>(1U << (digit - 1));
}
// How many of the low nine bits are set: by table, since the processors
// Debian builds for need not count bits in one instruction, and a library
// call for it took 40 % of a generator's time.
inline constexpr std::array<std::uint8_t, 512> kBitCounts = [] {
    std::array<std::uint8_t, 512> counts{};
    for (unsigned bits = 1; bits < 512; ++bits) {
        counts[bits] = static_cast<std::uint8_t>(counts[bits >> 1] + (bits & 1U));
    }
    return counts;
}();
inline int bitCount(unsigned nineBits) {
    return kBitCounts[nineBits & 0x1FFU];
}
inline int digitCount(DigitSet digits) {
    return bitCount(digits);
}
// The lowest digit of a non-empty set.
inline int firstDigit(DigitSet digits) {
    return std::countr_zero(static_cast<unsigned>(digits)) + 1;
}

// The 27 units: rows 0-8, columns 9-17, boxes 18-26; each lists its nine
// cells (0..80, reading order) in reading order.
constexpr int kUnitCount = 27;
using UnitCells = std::array<std::uint8_t, kGridSize>;
extern const std::array<UnitCells, kUnitCount> kUnits;

constexpr int rowOf(int cell) {
    return cell / 9;
}
constexpr int columnOf(int cell) {
    return cell % 9;
}
constexpr int boxOf(int cell) {
    return cell / 27 * 3 + cell % 9 / 3;
}
constexpr bool sees(int a, int b) {
    return a != b && (rowOf(a) == rowOf(b) || columnOf(a) == columnOf(b) || boxOf(a) == boxOf(b));
}

// "r5c8"; "row 5", "column 8", "box 6" (all 1-based).
std::string cellName(int cell);
// "(5)r1c2": a digit as a candidate of a cell.
std::string candidateName(int cell, int digit);
std::string unitName(int unit);

class Board {
  public:
    // The givens placed and every open cell's candidates reduced by them.
    static Board fromPuzzle(const CellValues& puzzle);

    int value(int cell) const { return values_[static_cast<std::size_t>(cell)]; }
    bool open(int cell) const { return value(cell) == 0; }
    DigitSet candidates(int cell) const { return candidates_[static_cast<std::size_t>(cell)]; }
    bool has(int cell, int digit) const {
        return open(cell) && (candidates(cell) & digitBit(digit)) != 0;
    }
    int openCount() const { return openCount_; }

    // The unit's positions (bit k for its k-th cell) where digit is still a
    // candidate; kept up to date as candidates go.
    unsigned positions(int unit, int digit) const {
        return positions_[static_cast<std::size_t>(unit)][static_cast<std::size_t>(digit)];
    }

    // The unit's open cells (bit k for its k-th cell).
    unsigned openIn(int unit) const { return openCells_[static_cast<std::size_t>(unit)]; }

    // Places digit in the open cell and takes it from the cell's peers.
    void place(int cell, int digit);
    // Takes digit from an open cell's candidates.
    void eliminate(int cell, int digit);

  private:
    std::array<std::int8_t, kCellCount> values_{};
    std::array<DigitSet, kCellCount> candidates_{};
    std::array<std::array<std::uint16_t, 10>, kUnitCount> positions_{};
    std::array<std::uint16_t, kUnitCount> openCells_{};
    int openCount_ = 0;
};

}  // namespace novemra::reason
