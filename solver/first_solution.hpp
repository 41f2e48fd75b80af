// The answer the ordered search ends with, found without walking its tree.
//
// The search on the screen tries the listed cells in list order and the
// digits in ascending order, so the filling it ends with is the first one in
// that order: the smallest digit for the first listed cell that leaves the
// rest fillable, then the same for the next cell, and so on. A fast count
// of completions (solver/digit_search.hpp) answers most puzzles at once: a
// puzzle with one completion has that as its answer, one with none has
// none. Only a puzzle with several needs the order: a search in list order
// finds the first, or the count is asked, cell by cell, whether a prefix
// can still be completed, until the completion of a prefix is unique.
#pragma once

#include <functional>

#include "puzzle/grid.hpp"

namespace novemra {

struct FirstSolution {
    // More than one filling exists; the puzzle still gets the first.
    bool severalSolutions = false;
    // The stop question said yes before the answer was found: the puzzle
    // is left with its listed cells blank and its status untouched.
    bool stopped = false;
};

// Fills the listed blank cells of the puzzle exactly as the ordered search
// would end: on Solved, every listed cell holds its digit and the slot
// pointer stands after the last one; on Unsolvable, every listed cell holds
// 0 and the pointer stands before the first slot. Givens that clash are
// Unsolvable at once, with the grid and pointer left as they are. Cells
// that are not listed must hold digits, as the loaders leave them.
//
// A puzzle with several fillings is first searched in list order, which
// finds the first at once unless it meets a large part with no filling;
// after listOrderBudget branches it asks instead, cell by cell, whether a
// filling exists. stopRequested, when given, is asked at every branch.
constexpr int kListOrderBudget = 1000;
FirstSolution solveFirstInOrder(PuzzleState& puzzle, int listOrderBudget = kListOrderBudget,
                                std::function<bool()> stopRequested = {});

// The same for 81 values in reading order (0 a blank, 1..9 a given) whose
// blanks are listed in reading order, as a loaded puzzle's are: status
// Solved with every digit of the answer in solution, or Unsolvable (clashing
// givens included) with solution untouched.
FirstSolution solveFirstInReadingOrder(const CellValues& puzzle, CellValues& solution,
                                       SolveStatus& status);

// For a puzzle with several solutions and the first in reading order of
// its blanks: the second in that order, the first that comes after it.
CellValues secondInReadingOrder(const CellValues& puzzle, const CellValues& first);

}  // namespace novemra
