// The solved Sudoku of the tests and the exact page its hard copy prints.
#pragma once

#include <string>

#include "support/puzzle_builder.hpp"

namespace novemra::testing {

inline const Grid& solvedGrid() {
    static const Grid grid = puzzleFrom(kSolvedSudoku).grid;
    return grid;
}

// The 16 lines of the hard copy of solvedGrid(), each ended by CR LF.
inline const std::string& solvedPage() {
    static const std::string separator = "    -------------\r\n";
    static const std::string page =
        " *** Novemra ***\r\n"
        " Solved by backtracking search\r\n"
        " \r\n" +
        separator + "    |534|678|912|\r\n    |672|195|348|\r\n    |198|342|567|\r\n" + separator +
        "    |859|761|423|\r\n    |426|853|791|\r\n    |713|924|856|\r\n" + separator +
        "    |961|537|284|\r\n    |287|419|635|\r\n    |345|286|179|\r\n" + separator;
    return page;
}

}  // namespace novemra::testing
