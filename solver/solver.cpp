#include "solver/solver.hpp"

#include <array>
#include <bit>
#include <cstdint>

#include "console/grid_picture.hpp"
#include "solver/first_solution.hpp"

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
                if ((free(units) & bit) == 0) {
                    return false;
                }
                add(units, bit);
            }
        }
        return true;
    }

    // The digits none of the cell's units holds yet.
    unsigned free(Units units) const {
        return ~static_cast<unsigned>(masks_[units.row] | masks_[units.column] |
                                      masks_[units.box]) &
               kAllDigits;
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

constexpr int kMaxBlanks = kCellCount;

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

SolveRun searchInOrder(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                       SlowDelay delay, std::int64_t stepBackLimit) {
    SolveRun run;
    Occupancy occupancy;
    if (!occupancy.takeGrid(puzzle.grid)) {
        puzzle.status = SolveStatus::Unsolvable;
        return run;
    }

    // The listed cells in slot order and their slots. The search walks
    // these arrays, writes every change through to the grid, and sets the
    // slot pointer wherever it can be observed: at a draw, a poll and the
    // end.
    std::array<BlankCell, kMaxBlanks> cells{};
    std::array<BlankSlot, kMaxBlanks> slots{};
    std::size_t count = 0;
    forEachListed(puzzle.blanks, [&](BlankSlot slot, CellCode code) {
        const int row = cellRow(code);
        const int column = cellColumn(code);
        cells[count] = BlankCell{static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(column),
                                 Occupancy::unitsOf(row, column)};
        slots[count] = slot;
        ++count;
    });

    if (count == 0) {
        puzzle.currentSlot = kFirstSlot;
        puzzle.status = SolveStatus::Solved;
        return run;
    }

    // For each cell on the path: the digit placed there (as its bit) and
    // the digits it has yet to try. The cells before a cell stay as they
    // are while it is on the path, so the digits free for it when the
    // search arrived stay free until it steps back past it; trying them in
    // ascending order is what a scan of every digit above the cell's value
    // would do, without looking at the masks again.
    std::array<unsigned, kMaxBlanks> placedBit{};
    std::array<unsigned, kMaxBlanks> untried{};

    const bool drawing = speed != SpeedMode::ExtraFast;
    Grid& grid = puzzle.grid;
    std::int64_t placements = 0;
    std::int64_t stepsBack = 0;
    std::size_t index = 0;
    unsigned candidates = occupancy.free(cells[0].units);
    for (;;) {
        if (candidates != 0) {
            const BlankCell& cell = cells[index];
            const unsigned bit = candidates & (0U - candidates);
            placedBit[index] = bit;
            untried[index] = candidates ^ bit;
            occupancy.add(cell.units, bit);
            grid.set(cell.row, cell.column, std::countr_zero(bit) + 1);
            ++placements;
            ++index;
            if (drawing) {
                puzzle.currentSlot = slots[index - 1];
                drawGrid(grid, terminal);
                delay(speed);
                puzzle.currentSlot = nextSlot(slots[index - 1]);
                drawGrid(grid, terminal);
            }
            if (index == count) {
                puzzle.currentSlot = nextSlot(slots[count - 1]);
                puzzle.status = SolveStatus::Solved;
                break;
            }
            candidates = occupancy.free(cells[index].units);
            continue;
        }

        grid.set(cells[index].row, cells[index].column, kBlank);
        ++stepsBack;
        if (index == 0) {
            puzzle.currentSlot = previousSlot(slots[0]);
            puzzle.status = SolveStatus::Unsolvable;
            break;
        }
        --index;
        // The step back takes the cell's digit out of its units; the next
        // digit it tries goes in with the next placement.
        occupancy.remove(cells[index].units, placedBit[index]);
        candidates = untried[index];
        puzzle.currentSlot = slots[index];
        if (terminal.pollForKey(kQuitKey) || terminal.closed()) {
            run.flow = Flow::Quit;
            break;
        }
        if (stepsBack == stepBackLimit) {
            break;
        }
    }
    run.placements = placements;
    run.stepsBack = stepsBack;
    return run;
}

SolveRun solvePuzzle(PuzzleState& puzzle, SpeedMode speed, ConsoleTerminal& terminal,
                     SlowDelay delay) {
    if (speed != SpeedMode::ExtraFast) {
        return searchInOrder(puzzle, speed, terminal, delay);
    }
    SolveRun run = searchInOrder(puzzle, speed, terminal, delay, kWalkedStepsBack);
    if (run.flow == Flow::Quit || puzzle.status != SolveStatus::NotSolved) {
        return run;
    }
    // The walk is long: blank what it filled and find its end directly,
    // still hearing "x" while the engine works.
    forEachListed(puzzle.blanks, [&puzzle](BlankSlot, CellCode code) {
        puzzle.grid.set(cellRow(code), cellColumn(code), kBlank);
    });
    const FirstSolution answer = solveFirstInOrder(puzzle, kListOrderBudget, [&terminal] {
        return terminal.pollForKey(kQuitKey) || terminal.closed();
    });
    if (answer.stopped) {
        run.flow = Flow::Quit;
        return run;
    }
    run.answeredDirectly = true;
    return run;
}

}  // namespace novemra
