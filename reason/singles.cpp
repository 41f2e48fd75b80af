// Full house, naked single, hidden single: the placements.
#include <bit>

#include "reason/techniques.hpp"

namespace novemra::reason {

void findFullHouses(const Board& board, std::vector<Step>& found) {
    for (int unit = 0; unit < kUnitCount; ++unit) {
        const unsigned open = board.openIn(unit);
        if (bitCount(open) != 1) {
            continue;
        }
        const int openCell = kUnits[static_cast<std::size_t>(unit)]
                                   [static_cast<std::size_t>(std::countr_zero(open))];
        if (digitCount(board.candidates(openCell)) == 1) {
            const int digit = firstDigit(board.candidates(openCell));
            found.push_back(
                {Technique::FullHouse,
                 "the last open cell of " + unitName(unit),
                 {{static_cast<std::uint8_t>(openCell), static_cast<std::uint8_t>(digit)}},
                 {}});
        }
    }
}

void findNakedSingles(const Board& board, std::vector<Step>& found) {
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (board.open(cell) && digitCount(board.candidates(cell)) == 1) {
            const int digit = firstDigit(board.candidates(cell));
            found.push_back({Technique::NakedSingle,
                             "the only candidate left",
                             {{static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)}},
                             {}});
        }
    }
}

void findHiddenSingles(const Board& board, std::vector<Step>& found) {
    // Boxes first, then rows and columns, as people look.
    for (const int kind : {2, 0, 1}) {
        for (int index = 0; index < 9; ++index) {
            const int unit = kind * 9 + index;
            for (int digit = 1; digit <= 9; ++digit) {
                const unsigned positions = board.positions(unit, digit);
                if (bitCount(positions) != 1) {
                    continue;
                }
                const int cell = kUnits[static_cast<std::size_t>(unit)]
                                       [static_cast<std::size_t>(std::countr_zero(positions))];
                found.push_back(
                    {Technique::HiddenSingle,
                     "the only " + std::to_string(digit) + " in " + unitName(unit),
                     {{static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)}},
                     {}});
            }
        }
    }
}

}  // namespace novemra::reason
