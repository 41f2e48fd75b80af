#include "solver/digit_board.hpp"

#include <array>
#include <bit>
#include <cstdint>

namespace novemra {

using board::anyBand;
using board::Bands;
using board::kBands;
using board::kLine;
using board::kLines;
using board::kNone;
using board::kTables;
using board::lanesWhere;

namespace {

// The columns (bit c) where a digit's bands hold any cell, and those where
// they hold more than one.
struct ColumnScan {
    std::uint32_t columns = 0;
    std::uint32_t columnsTwice = 0;
};

ColumnScan scanColumns(Bands cells) {
    const Bands row0 = cells & kLines;
    const Bands row1 = (cells >> 9) & kLines;
    const Bands row2 = (cells >> 18) & kLines;
    const Bands once = row0 | row1 | row2;
    const Bands twice = (row0 & row1) | ((row0 | row1) & row2);
    return {.columns = once[0] | once[1] | once[2],
            .columnsTwice = twice[0] | twice[1] | twice[2] | (once[0] & once[1]) |
                            ((once[0] | once[1]) & once[2])};
}

}  // namespace

Bands DigitBoard::collectGivens(const CellValues& values, GivenCells& given) {
    // The given cells are found as a mask first, so that the blanks cost no
    // memory traffic.
    Bands anyGiven = kNone;
    for (int band = 0; band < kBands; ++band) {
        std::uint32_t givenCells = 0;
        for (int cell = 0; cell < 27; ++cell) {
            const auto value =
                static_cast<unsigned>(values[static_cast<std::size_t>(band * 27 + cell)]);
            givenCells |= static_cast<std::uint32_t>(value - 1 < kGridSize) << cell;
        }
        anyGiven[band] = givenCells;
        while (givenCells != 0) {
            const int cell = std::countr_zero(givenCells);
            givenCells &= givenCells - 1;
            const int digit = values[static_cast<std::size_t>(band * 27 + cell)];
            given[static_cast<std::size_t>(digit - 1)][band] |= std::uint32_t{1} << cell;
            digits_[static_cast<std::size_t>(band * 27 + cell)] = static_cast<std::int8_t>(digit);
        }
    }
    return anyGiven;
}

bool DigitBoard::givensClash(const GivenCells& given) {
    bool clash = false;
    for (const Bands mine : given) {
        for (int row = 0; row < 3; ++row) {
            const Bands line = (mine >> (9 * row)) & kLines;
            clash = clash || anyBand(line & (line - 1));
        }
        for (const std::uint32_t boxCells : kTables.boxCells) {
            const Bands box = mine & boxCells;
            clash = clash || anyBand(box & (box - 1));
        }
        clash = clash || scanColumns(mine).columnsTwice != 0;
    }
    return clash;
}

void DigitBoard::removeCandidatesOfGivens(const GivenCells& given, Bands anyGiven) {
    open_ &= ~anyGiven;
    for (std::size_t digit = 0; digit < given.size(); ++digit) {
        const Bands mine = given[digit];
        // Every row, box and column that holds the digit as a given loses
        // it everywhere but there, and every given cell loses every other
        // digit.
        Bands taken = anyGiven;
        for (int row = 0; row < 3; ++row) {
            const Bands line = (mine >> (9 * row)) & kLines;
            taken |= (kLines << (9 * row)) & lanesWhere(line != 0);
        }
        for (const std::uint32_t boxCells : kTables.boxCells) {
            taken |= boxCells & lanesWhere((mine & boxCells) != 0);
        }
        taken |= kTables.columnCells[scanColumns(mine).columns];
        taken[board::kSentinelLane] = 0;
        cells_[digit] = (cells_[digit] & ~taken) | mine;
    }
}

bool DigitBoard::load(const CellValues& values) {
    GivenCells given{};
    const Bands anyGiven = collectGivens(values, given);
    if (givensClash(given)) {
        return false;
    }
    removeCandidatesOfGivens(given, anyGiven);
    return true;
}

bool DigitBoard::propagate(bool withCrossings) {
    for (;;) {
        if (!placeNakedSingles()) {
            return false;
        }
        if (complete()) {
            return true;
        }
        const Progress hidden = placeHiddenSingles();
        if (hidden == Progress::Impossible) {
            return false;
        }
        if (hidden == Progress::Some) {
            continue;
        }
        if (!withCrossings) {
            return true;
        }
        const Progress crossings = keepCrossingsOnPermutations();
        if (crossings != Progress::Some) {
            return crossings == Progress::None;
        }
    }
}

bool DigitBoard::placeNakedSingles() {
    for (;;) {
        Bands once = kNone;
        Bands twice = kNone;
        for (const Bands& digit : cells_) {
            twice |= once & digit;
            once |= digit;
        }
        if (anyBand(open_ & ~once)) {
            return false;
        }
        const Bands singles = open_ & ~twice;
        if (!anyBand(singles)) {
            return true;
        }
        // Bit k of the index (0..8) of each single's digit.
        const std::array<Bands, 4> indexBits{cells_[1] | cells_[3] | cells_[5] | cells_[7],
                                             cells_[2] | cells_[3] | cells_[6] | cells_[7],
                                             cells_[4] | cells_[5] | cells_[6] | cells_[7],
                                             cells_[8]};
        for (int band = 0; band < kBands; ++band) {
            std::uint32_t left = singles[band];
            while (left != 0) {
                const int cell = std::countr_zero(left);
                left &= left - 1;
                int digit = 0;
                for (std::size_t bit = 0; bit < indexBits.size(); ++bit) {
                    digit |= static_cast<int>(indexBits[bit][band] >> cell & 1U) << bit;
                }
                // Placing an earlier single may have taken this one's last
                // digit.
                if (!place(digit, band * 27 + cell)) {
                    return false;
                }
            }
        }
    }
}

DigitBoard::Progress DigitBoard::placeHiddenSingles() {
    Progress progress = Progress::None;
    for (int digit = 0; digit < kGridSize; ++digit) {
        const Bands cells = cells_[static_cast<std::size_t>(digit)];
        Bands& settled = hiddenSettled_[static_cast<std::size_t>(digit)];
        if (!anyBand(cells ^ settled)) {
            continue;  // nothing found for it last time, and nothing changed
        }
        Bands empty = kNone;
        Bands singles = kNone;
        for (int row = 0; row < 3; ++row) {
            const Bands line = (cells >> (9 * row)) & kLines;
            empty |= lanesWhere(line == 0);
            singles |= (line & lanesWhere((line & (line - 1)) == 0)) << (9 * row);
        }
        for (const std::uint32_t boxCells : kTables.boxCells) {
            const Bands box = cells & boxCells;
            empty |= lanesWhere(box == 0);
            singles |= box & lanesWhere((box & (box - 1)) == 0);
        }
        const ColumnScan scan = scanColumns(cells);
        if (anyBand(empty) || scan.columns != kLine) {
            return Progress::Impossible;
        }
        singles |= cells & kTables.columnCells[scan.columns & ~scan.columnsTwice];
        const Bands hidden = singles & open_;
        if (!anyBand(hidden)) {
            settled = cells;
            continue;
        }
        progress = Progress::Some;
        for (int band = 0; band < kBands; ++band) {
            std::uint32_t left = hidden[band];
            while (left != 0) {
                // A failed place means two of these singles contradict.
                if (!place(digit, band * 27 + std::countr_zero(left))) {
                    return Progress::Impossible;
                }
                left &= left - 1;
            }
        }
    }
    return progress;
}

// Takes each digit out of the row-box and band-column crossings that lie on
// no permutation of its crossings: what locked candidates find, and a
// little more.
DigitBoard::Progress DigitBoard::keepCrossingsOnPermutations() {
    bool removed = false;
    for (std::size_t digit = 0; digit < cells_.size(); ++digit) {
        Bands& cells = cells_[digit];
        const Bands before = cells;
        if (!anyBand(before ^ crossingsSettled_[digit])) {
            continue;
        }
        std::array<std::uint32_t, kBands> columns{};
        for (int band = 0; band < kBands; ++band) {
            const std::uint32_t word = cells[band];
            const unsigned occupied = kTables.thirds[word & kLine] |
                                      kTables.thirds[(word >> 9) & kLine] << 3 |
                                      kTables.thirds[(word >> 18) & kLine] << 6;
            const unsigned kept = kTables.onPermutation[occupied];
            if (kept == 0) {
                return Progress::Impossible;
            }
            const std::uint32_t left = word & kTables.crossingCells[kept];
            cells[band] = left;
            columns[static_cast<std::size_t>(band)] = (left | left >> 9 | left >> 18) & kLine;
        }
        std::array<std::uint32_t, kBands> keptColumns{};
        for (int stack = 0; stack < 3; ++stack) {
            const int shift = 3 * stack;
            const unsigned occupied = ((columns[0] >> shift) & 7U) |
                                      ((columns[1] >> shift) & 7U) << 3 |
                                      ((columns[2] >> shift) & 7U) << 6;
            const unsigned kept = kTables.onPermutation[occupied];
            if (kept == 0) {
                return Progress::Impossible;
            }
            for (std::size_t band = 0; band < kBands; ++band) {
                keptColumns[band] |= ((kept >> (3 * band)) & 7U) << shift;
            }
        }
        for (int band = 0; band < kBands; ++band) {
            cells[band] &= kTables.columnCells[keptColumns[static_cast<std::size_t>(band)]];
        }
        if (anyBand(cells ^ before)) {
            removed = true;
        } else {
            crossingsSettled_[digit] = cells;
        }
    }
    return removed ? Progress::Some : Progress::None;
}

}  // namespace novemra
