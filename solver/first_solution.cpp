#include "solver/first_solution.hpp"

#include <array>
#include <cstdint>
#include <span>

#include "solver/digit_search.hpp"

namespace novemra {

namespace {

int cellIndex(CellCode code) {
    return (cellRow(code) - 1) * kGridSize + (cellColumn(code) - 1);
}

// Replaces filling, one completion of a puzzle with several (81 values: 0
// a blank, 1..9 a given), with the first in list order of the listed cells
// (indexes into the values).
void findFirstOfSeveral(const CellValues& values, std::span<const std::uint8_t> listed,
                        CellValues& filling, int listOrderBudget, SearchEffort& effort) {
    // Where there are many, a search in list order finds the first at once.
    if (firstInListOrder(values, listed, listOrderBudget, filling, effort) ==
        ListOrderResult::Found) {
        return;
    }
    // Otherwise: fix the listed cells in order, each to the smallest digit
    // that can still be completed. The filling in hand completes every
    // prefix fixed so far, so only the digits below its own need asking
    // about; once a prefix's completion is unique, it is the answer.
    CellValues prefix = values;
    for (const std::uint8_t cell : listed) {
        const int filledDigit = filling[cell];
        bool moved = false;
        bool unique = false;
        for (int digit = 1; digit < filledDigit && !moved && !effort.stopped; ++digit) {
            prefix[cell] = digit;
            CellValues trialFilling{};
            const CompletionCount trial = countCompletions(prefix, 2, trialFilling, effort);
            if (!effort.stopped && !trial.clash && trial.completions > 0) {
                filling = trialFilling;
                moved = true;
                unique = trial.completions == 1;
            }
        }
        if (!moved) {
            prefix[cell] = filledDigit;
        }
        if (unique || effort.stopped) {
            break;
        }
    }
}

}  // namespace

FirstSolution solveFirstInOrder(PuzzleState& puzzle, int listOrderBudget,
                                std::function<bool()> stopRequested) {
    std::array<BlankSlot, kCellCount> slots{};
    std::array<std::uint8_t, kCellCount> listed{};
    std::size_t listedCount = 0;
    forEachListed(puzzle.blanks, [&](BlankSlot slot, CellCode code) {
        slots[listedCount] = slot;
        listed[listedCount++] = static_cast<std::uint8_t>(cellIndex(code));
    });
    CellValues values{};
    for (int cell = 0; cell < kCellCount; ++cell) {
        values[static_cast<std::size_t>(cell)] =
            puzzle.grid.at(cell / kGridSize + 1, cell % kGridSize + 1);
    }

    SearchEffort effort{.stopRequested = std::move(stopRequested)};
    CellValues filling{};
    const CompletionCount counted = countCompletions(values, 2, filling, effort);
    if (counted.clash) {
        puzzle.status = SolveStatus::Unsolvable;
        return {};
    }
    const bool several = counted.completions > 1;
    if (several && !effort.stopped) {
        findFirstOfSeveral(values, std::span(listed.data(), listedCount), filling, listOrderBudget,
                           effort);
    }
    if (effort.stopped) {
        return {.stopped = true};
    }
    const bool solvable = counted.completions > 0;
    for (std::size_t index = 0; index < listedCount; ++index) {
        const int cell = listed[index];
        puzzle.grid.set(cell / kGridSize + 1, cell % kGridSize + 1,
                        solvable ? filling[static_cast<std::size_t>(cell)] : kBlank);
    }
    if (!solvable) {
        puzzle.currentSlot = previousSlot(kFirstSlot);
        puzzle.status = SolveStatus::Unsolvable;
        return {};
    }
    puzzle.currentSlot = listedCount == 0 ? kFirstSlot : nextSlot(slots[listedCount - 1]);
    puzzle.status = SolveStatus::Solved;
    return {.severalSolutions = several};
}

FirstSolution solveFirstInReadingOrder(const CellValues& puzzle, CellValues& solution,
                                       SolveStatus& status) {
    // The count leaves solution untouched when there is no completion, and
    // its completion is the answer when it is the only one.
    SearchEffort effort;
    const CompletionCount counted = countCompletions(puzzle, 2, solution, effort);
    status = counted.completions > 0 ? SolveStatus::Solved : SolveStatus::Unsolvable;
    if (counted.completions < 2) {
        return {};
    }
    std::array<std::uint8_t, kCellCount> listed{};
    std::size_t listedCount = 0;
    for (std::size_t cell = 0; cell < puzzle.size(); ++cell) {
        if (puzzle[cell] == kBlank) {
            listed[listedCount++] = static_cast<std::uint8_t>(cell);
        }
    }
    findFirstOfSeveral(puzzle, std::span(listed.data(), listedCount), solution, kListOrderBudget,
                       effort);
    return {.severalSolutions = true};
}

CellValues secondInReadingOrder(const CellValues& puzzle, const CellValues& first) {
    // The next completion in order differs from the first at the latest
    // cell that can take a higher digit with every cell before it kept.
    std::array<std::uint8_t, kCellCount> listed{};
    std::size_t listedCount = 0;
    for (std::size_t cell = 0; cell < puzzle.size(); ++cell) {
        if (puzzle[cell] == kBlank) {
            listed[listedCount++] = static_cast<std::uint8_t>(cell);
        }
    }
    for (std::size_t index = listedCount; index-- > 0;) {
        CellValues prefix = puzzle;
        for (std::size_t before = 0; before < index; ++before) {
            prefix[listed[before]] = first[listed[before]];
        }
        const std::uint8_t cell = listed[index];
        for (int digit = first[cell] + 1; digit <= kGridSize; ++digit) {
            prefix[cell] = digit;
            CellValues second{};
            SolveStatus status = SolveStatus::NotSolved;
            solveFirstInReadingOrder(prefix, second, status);
            if (status == SolveStatus::Solved) {
                return second;
            }
        }
    }
    return first;  // there is no second
}

}  // namespace novemra
