// --check: whether each given puzzle has one solution, none or several,
// and where the first two differ.
#pragma once

#include <cstdio>
#include <string>

#include "app/command_line.hpp"

namespace novemra {

// The cells where two fillings differ, as "r1c2 r1c5".
std::string differingCells(const CellValues& first, const CellValues& second);

// One line a puzzle: "unique", "unsolvable", or "several: CELLS" (with a
// count limit, "several: N solutions; first two differ at CELLS", or
// "N or more"). Returns 0 when every puzzle was unique, 1 when any had
// none, else 3 when any had several; 2 for bad input or answers that could
// not be written.
int checkWithoutScreen(const CommandLine& command, std::FILE* out, std::FILE* err);

}  // namespace novemra
