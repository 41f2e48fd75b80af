// Compile-time tables for the digit board (solver/digit_board.hpp): a band
// is three rows, and its cell at row r (0..2 within the band) and column c
// is bit 9r + c of a 27-bit word.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "puzzle/grid.hpp"

namespace novemra::board {

constexpr int kBands = 3;
constexpr std::uint32_t kLine = 0x1FF;
constexpr std::uint32_t kFullBand = (std::uint32_t{1} << 27) - 1;

struct Tables {
    // The other cells of a cell's row and box, within its band.
    std::array<std::uint32_t, 27> peersInBand{};
    // For a set of columns (bit c), their cells in a band.
    std::array<std::uint32_t, 512> columnCells{};
    // The nine cells of each box of a band.
    std::array<std::uint32_t, 3> boxCells{};
    // Which thirds of a nine-cell line hold any cell.
    std::array<std::uint8_t, 512> thirds{};
    // A band has each digit once in each of its rows and once in each of
    // its boxes, so the digit's row-box crossings (bit 3 * row + box) form
    // a permutation; the same holds for a stack's band-column crossings.
    // Of the occupied crossings, those that lie on a fully occupied
    // permutation: 0 when there is none.
    std::array<std::uint16_t, 512> onPermutation{};
    // For a set of row-box crossings, their cells in a band.
    std::array<std::uint32_t, 512> crossingCells{};
    // How many bits a nine-bit set holds: a table, as the processors
    // Debian builds for need not count bits in one instruction.
    std::array<std::uint8_t, 512> bitCount{};
};

constexpr Tables makeTables() {
    Tables tables;
    for (int cell = 0; cell < 27; ++cell) {
        const int row = cell / 9;
        const int box = cell % 9 / 3;
        std::uint32_t peers = 0;
        for (int other = 0; other < 27; ++other) {
            if (other != cell && (other / 9 == row || other % 9 / 3 == box)) {
                peers |= std::uint32_t{1} << other;
            }
        }
        tables.peersInBand[static_cast<std::size_t>(cell)] = peers;
    }
    constexpr std::array<std::array<int, 3>, 6> kPermutations{
        {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
    for (unsigned set = 0; set < 512; ++set) {
        std::uint32_t cells = 0;
        std::uint32_t crossings = 0;
        std::uint8_t thirds = 0;
        for (int bit = 0; bit < 9; ++bit) {
            if ((set >> bit & 1U) != 0) {
                cells |= (std::uint32_t{1} << bit) | (std::uint32_t{1} << (bit + 9)) |
                         (std::uint32_t{1} << (bit + 18));
                crossings |= std::uint32_t{7} << (bit / 3 * 9 + bit % 3 * 3);
                thirds = static_cast<std::uint8_t>(thirds | (1U << (bit / 3)));
            }
        }
        tables.columnCells[set] = cells;
        tables.crossingCells[set] = crossings;
        tables.thirds[set] = thirds;
        unsigned on = 0;
        for (const auto& permutation : kPermutations) {
            unsigned crossing = 0;
            for (int line = 0; line < 3; ++line) {
                crossing |= 1U << (3 * line + permutation[static_cast<std::size_t>(line)]);
            }
            if ((set & crossing) == crossing) {
                on |= crossing;
            }
        }
        tables.onPermutation[set] = static_cast<std::uint16_t>(on);
        tables.bitCount[set] = static_cast<std::uint8_t>(std::popcount(set));
    }
    for (int box = 0; box < 3; ++box) {
        tables.boxCells[static_cast<std::size_t>(box)] =
            0x7U << (3 * box) | 0x7U << (3 * box + 9) | 0x7U << (3 * box + 18);
    }
    return tables;
}

inline constexpr Tables kTables = makeTables();

// One digit's three bands, a band a lane, so that the rules run on all
// three at once (the GCC/Clang vector extension: SSE2 on amd64, plain code
// elsewhere). The fourth lane is the sentinel lane: it stays full in every
// digit and empty in the open cells, which no rule can mistake for a
// single, an empty unit or an open cell.
using Bands = std::uint32_t __attribute__((vector_size(16)));
constexpr std::size_t kSentinelLane = 3;
constexpr Bands kFull = {kFullBand, kFullBand, kFullBand, kFullBand};
constexpr Bands kLines = {kLine, kLine, kLine, kLine};
constexpr Bands kNone = {0, 0, 0, 0};

// All ones in the lanes where a comparison of Bands holds, zero elsewhere.
template <typename Comparison>
Bands lanesWhere(Comparison comparison) {
    return std::bit_cast<Bands>(comparison);
}

// Whether any of the three bands holds a bit.
inline bool anyBand(Bands lanes) {
    return (lanes[0] | lanes[1] | lanes[2]) != 0;
}

// Four lanes as a Bands value holds them, and aligned as it is, so that
// tables of them can be built at compile time.
struct alignas(Bands) Lanes {
    std::array<std::uint32_t, 4> lane{};
};

struct CellMasks {
    // The cell's bit, in its band's lane.
    std::array<Lanes, kCellCount> bit{};
    // What the digit placed in the cell leaves of its own cells: everything
    // but the cell's peers.
    std::array<Lanes, kCellCount> keep{};
};

constexpr CellMasks makeCellMasks() {
    CellMasks masks;
    for (std::size_t cell = 0; cell < kCellCount; ++cell) {
        const std::size_t band = cell / 27;
        const std::size_t inBand = cell % 27;
        const std::uint32_t column = kTables.columnCells[1U << (inBand % 9)];
        masks.bit[cell].lane[band] = std::uint32_t{1} << inBand;
        masks.keep[cell].lane = {~column, ~column, ~column, ~std::uint32_t{0}};
        masks.keep[cell].lane[band] = ~kTables.peersInBand[inBand];
    }
    return masks;
}

inline constexpr CellMasks kCellMasks = makeCellMasks();

inline Bands cellBit(int cell) {
    return std::bit_cast<Bands>(kCellMasks.bit[static_cast<std::size_t>(cell)]);
}

}  // namespace novemra::board
