#include "solver/solver.hpp"

#include <array>
#include <bit>
#include <cstdint>

#include "console/grid_picture.hpp"

namespace novemra {

namespace {

constexpr int kDelayOuterSteps = 500;
constexpr int kDelayInnerSteps = 100000;
constexpr std::string_view kQuitKey = "x";

// Digit d is bit d - 1 of a mask; kAllDigits holds 1..9.
using DigitMask = std::uint32_t;
constexpr unsigned kAllDigits = 0x1FF;

// Which digits each row, column and 3x3 box holds, in one array: the nine
// rows first, then the nine columns, then the nine boxes. A digit may go
// into a cell exactly when none of the cell's three masks holds it, which
// is what scanning the row, the column and the box for it would tell.
class Occupancy {
  public:
    struct Units {
        std::uint8_t row;
        std::uint8_t column;
        std::uint8_t box;
    };

    static constexpr Units unitsOf(int row, int column) {
        return {static_cast<std::uint8_t>(row - 1),
                static_cast<std::uint8_t>(kGridSize + column - 1),
                static_cast<std::uint8_t>(2 * kGridSize + (row - 1) / 3 * 3 + (column - 1) / 3)};
    }

    // Records the digits of the grid; false when two of them share a row,
    // column or box.
    bool takeGrid(const Grid& grid) {
        for (int row = 1; row <= kGridSize; ++row) {
            for (int column = 1; column <= kGridSize; ++column) {
                const int digit = grid.at(row, column);
                if (digit < 1 || digit > kGridSize) {
                    continue;
                }
                const Units units = unitsOf(row, column);
                const auto bit = static_cast<unsigned>(1U << (digit - 1));
                if ((taken(units) & bit) != 0) {
                    return false;
                }
                add(units, bit);
            }
        }
        return true;
    }

    unsigned taken(Units units) const {
        return static_cast<unsigned>(masks_[units.row] | masks_[units.column] | masks_[units.box]);
    }
    void add(Units units, unsigned bit) {
        masks_[units.row] |= static_cast<DigitMask>(bit);
        masks_[units.column] |= static_cast<DigitMask>(bit);
        masks_[units.box] |= static_cast<DigitMask>(bit);
    }
    void remove(Units units, unsigned bit) {
        const auto kept = static_cast<DigitMask>(~bit);
        masks_[units.row] &= kept;
        masks_[units.column] &= kept;
        masks_[units.box] &= kept;
    }

  private:
    std::array<DigitMask, 3 * kGridSize> masks_{};
};

// One listed cell: where it is in the grid and which masks hold its units.
struct BlankCell {
    std::uint8_t row;
    std::uint8_t column;
    Occupancy::Units units;
};

constexpr int kMaxBlanks = kGridSize * kGridSize;

}  // namespace

void slowModeDelay(SpeedMode speed) {
    if (speed == SpeedMode::Fast) {
        return;
    }
    for (int outer = 1; outer <= kDelayOuterSteps; ++outer) {
        for (int inner = 1; inner <= kDelayInnerSteps; ++inner) {
            // An empty statement the optimiser must treat as having an
            // effect on the counter, so every counting step runs.
            asm volatile("" : "+r"(inner));
        }
    }
}

bool givensClash(const PuzzleState& puzzle) {
    // Listed cells hold 0 before the search, so every digit in the grid is a
    // given.
    Occupancy occupancy;
    return !occupancy.takeGrid(puzzle.grid);
}

SolveRun solvePuzzle(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                     SlowDelay delay) {
    SolveRun run;
    Occupancy occupancy;
    if (!occupancy.takeGrid(puzzle.grid)) {
        puzzle.status = SolveStatus::Unsolvable;
        return run;
    }

    // The listed cells in slot order, their slots, and the digit each was
    // last given. The search walks these arrays, writes every change through
    // to the grid, and sets the slot pointer wherever it can be observed: at
    // a draw, a poll and the end.
    std::array<BlankCell, kMaxBlanks> cells{};
    std::array<BlankSlot, kMaxBlanks> slots{};
    std::array<unsigned, kMaxBlanks> values{};
    std::size_t count = 0;
    for (BlankSlot slot = kFirstSlot; puzzle.blanks.at(slot) != 0; slot = nextSlot(slot)) {
        const CellCode code = puzzle.blanks.at(slot);
        const int row = cellRow(code);
        const int column = cellColumn(code);
        cells[count] = BlankCell{static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(column),
                                 Occupancy::unitsOf(row, column)};
        slots[count] = slot;
        ++count;
    }

    const bool drawing = speed != SpeedMode::ExtraFast;
    Grid& grid = puzzle.grid;
    std::int64_t placements = 0;
    std::int64_t stepsBack = 0;
    std::size_t index = 0;
    // Going forward a cell holds 0; reached by stepping back it holds the
    // last digit tried, whose bit the step back took out of the masks. The
    // lowest free digit above that value is the first one the ascending
    // trial of every digit would accept.
    unsigned value = 0;
    for (;;) {
        if (index == count) {
            puzzle.currentSlot = count == 0 ? kFirstSlot : nextSlot(slots[count - 1]);
            puzzle.status = SolveStatus::Solved;
            break;
        }
        const BlankCell cell = cells[index];
        const unsigned above = (~occupancy.taken(cell.units) & kAllDigits) >> value;

        if (above != 0) {
            const unsigned digit = value + static_cast<unsigned>(std::countr_zero(above)) + 1;
            occupancy.add(cell.units, 1U << (digit - 1));
            values[index] = digit;
            grid.set(cell.row, cell.column, static_cast<int>(digit));
            ++placements;
            ++index;
            value = 0;
            if (drawing) {
                puzzle.currentSlot = slots[index - 1];
                drawGrid(grid, terminal);
                delay(speed);
                puzzle.currentSlot = nextSlot(slots[index - 1]);
                drawGrid(grid, terminal);
            }
            continue;
        }

        grid.set(cell.row, cell.column, kBlank);
        ++stepsBack;
        if (index == 0) {
            puzzle.currentSlot = previousSlot(slots[0]);
            puzzle.status = SolveStatus::Unsolvable;
            break;
        }
        --index;
        value = values[index];
        occupancy.remove(cells[index].units, 1U << (value - 1));
        puzzle.currentSlot = slots[index];
        if (terminal.pollKey() == kQuitKey || terminal.closed()) {
            run.flow = Flow::Quit;
            break;
        }
    }
    run.placements = placements;
    run.stepsBack = stepsBack;
    return run;
}

}  // namespace novemra
