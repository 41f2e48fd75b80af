// The search as it was before the solver kept digit masks: every trial digit
// is checked by scanning its row, column and box. Kept only so that the
// benchmark can show both side by side in one run; extra fast mode only (no
// drawing, no keyboard).
#pragma once

#include "puzzle/grid.hpp"
#include "solver/solver.hpp"

namespace novemra::bench {

SolveRun scanningSearch(PuzzleState& puzzle);

}  // namespace novemra::bench
