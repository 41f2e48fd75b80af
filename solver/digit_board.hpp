// A Sudoku board kept digit by digit, for the answer engine's searches.
//
// For each digit, the cells of each band (three rows) that may still hold
// it, as one 27-bit word, the three bands side by side in one vector.
// Placing a digit is a handful of mask operations, and the rules (naked and
// hidden singles, and which row-box and column-box crossings can still take
// a digit) run on whole bands at once, so a puzzle with one completion is
// proved to have no second in a few microseconds.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "puzzle/grid.hpp"
#include "solver/board_tables.hpp"

namespace novemra {

class DigitBoard {
  public:
    DigitBoard() {
        cells_.fill(board::kFull);
        open_ = board::kFull;
        open_[board::kSentinelLane] = 0;
    }

    // Places digit (0..8) in a cell (0..80). False when the cell cannot
    // take it. The placed cell stays in its digit's bands, so a digit's
    // bands end as exactly the cells it holds.
    bool place(int digit, int cell) {
        const board::Bands bit = board::cellBit(cell);
        board::Bands& mine = cells_[static_cast<std::size_t>(digit)];
        if (!board::anyBand(mine & bit)) {
            return false;
        }
        for (board::Bands& other : cells_) {
            other &= ~bit;
        }
        mine = (mine & std::bit_cast<board::Bands>(
                           board::kCellMasks.keep[static_cast<std::size_t>(cell)])) |
               bit;
        open_ &= ~bit;
        digits_[static_cast<std::size_t>(cell)] = static_cast<std::int8_t>(digit + 1);
        return true;
    }

    // Takes digit (0..8) away from an open cell; the rules find what
    // follows.
    void eliminate(int digit, int cell) {
        cells_[static_cast<std::size_t>(digit)] &= ~board::cellBit(cell);
    }

    bool complete() const { return !board::anyBand(open_); }

    bool isOpen(int cell) const { return board::anyBand(open_ & board::cellBit(cell)); }

    // The open cells of a band (0..2), bit k for its cell k.
    std::uint32_t openInBand(int band) const { return open_[static_cast<std::size_t>(band)]; }

    // The digits (bit d for digit d) an open cell may still take.
    unsigned digitsOf(int cell) const {
        const auto band = static_cast<std::size_t>(cell / 27);
        const int inBand = cell % 27;
        unsigned digits = 0;
        for (int digit = 0; digit < kGridSize; ++digit) {
            digits |= ((cells_[static_cast<std::size_t>(digit)][band] >> inBand) & 1U) << digit;
        }
        return digits;
    }

    // Loads 81 values (0 a blank, 1..9 a given) into an empty board. False
    // when two givens with the same digit share a row, column or box.
    bool load(const CellValues& values);

    // Applies the rules until none finds anything. False when the board
    // cannot be completed. The crossings cost more than they find on a
    // board with many completions, so a search that expects many can leave
    // them out.
    bool propagate(bool withCrossings = true);

    // An open cell with the fewest digits left, and its digits (bit d for
    // digit d): the first with two when there is one.
    struct Choice {
        int cell = 0;
        unsigned digits = 0;
    };
    Choice narrowestOpenCell() const;
    // The open cell with the fewest digits left for its weight: where the
    // search has failed often, it branches sooner.
    Choice weightedOpenCell(const std::array<std::uint32_t, kCellCount>& weights) const;

    // Writes the digits of a complete board as 1..9 in reading order.
    void write(CellValues& values) const {
        for (std::size_t cell = 0; cell < values.size(); ++cell) {
            values[cell] = digits_[cell];
        }
    }

  private:
    enum class Progress { None, Some, Impossible };

    // Loading, in three steps: each digit's givens, then whether two of
    // them share a unit, then the candidates they take from their peers.
    using GivenCells = std::array<board::Bands, kGridSize>;
    board::Bands collectGivens(const CellValues& values, GivenCells& given);
    static bool givensClash(const GivenCells& given);
    void removeCandidatesOfGivens(const GivenCells& given, board::Bands anyGiven);

    bool placeNakedSingles();
    Progress placeHiddenSingles();
    Progress keepCrossingsOnPermutations();

    // For each digit, the cells of each band that may hold it.
    std::array<board::Bands, kGridSize> cells_{};
    // The cells that hold no digit yet.
    board::Bands open_{};
    // The digit (1..9) each placed cell holds, in reading order.
    std::array<std::int8_t, kCellCount> digits_{};
    // Each digit's cells when a rule last found nothing for it: a rule that
    // depends on a digit's cells alone need not look at it again until they
    // change. Every bit set at first, which no digit's cells are (a band
    // has 27 cells, and the fourth lane none).
    static constexpr board::Bands kUnsettled{~0U, ~0U, ~0U, ~0U};
    std::array<board::Bands, kGridSize> hiddenSettled_ = filled(kUnsettled);
    std::array<board::Bands, kGridSize> crossingsSettled_ = filled(kUnsettled);

    static constexpr std::array<board::Bands, kGridSize> filled(board::Bands value) {
        std::array<board::Bands, kGridSize> all{};
        for (board::Bands& each : all) {
            each = value;
        }
        return all;
    }
};

}  // namespace novemra
