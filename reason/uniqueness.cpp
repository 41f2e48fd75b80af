// Techniques that rely on the puzzle having one solution: a unique
// rectangle of type 1 and BUG+1. A pattern that would let two digits swap
// freely cannot be completed, so whatever avoids it must hold.
#include <bit>

#include "reason/techniques.hpp"

namespace novemra::reason {

void findUniqueRectangles(const Board& board, std::vector<Step>& found) {
    for (int r1 = 0; r1 < 9; ++r1) {
        for (int r2 = r1 + 1; r2 < 9; ++r2) {
            for (int c1 = 0; c1 < 9; ++c1) {
                for (int c2 = c1 + 1; c2 < 9; ++c2) {
                    // Two boxes exactly: the rows share a band or the
                    // columns a stack, not both.
                    if ((r1 / 3 == r2 / 3) == (c1 / 3 == c2 / 3)) {
                        continue;
                    }
                    const std::array<int, 4> corners{r1 * 9 + c1, r1 * 9 + c2, r2 * 9 + c1,
                                                     r2 * 9 + c2};
                    DigitSet common = kAllDigits;
                    for (const int cell : corners) {
                        common &= board.open(cell) ? board.candidates(cell) : 0;
                    }
                    if (digitCount(common) != 2) {
                        continue;
                    }
                    int extra = -1;
                    int pairs = 0;
                    for (const int cell : corners) {
                        if (board.candidates(cell) == common) {
                            ++pairs;
                        } else {
                            extra = cell;
                        }
                    }
                    if (pairs != 3) {
                        continue;
                    }
                    std::string others;
                    for (const int cell : corners) {
                        if (cell != extra) {
                            if (!others.empty()) {
                                others += ',';
                            }
                            others += cellName(cell);
                        }
                    }
                    Step step{Technique::UniqueRectangle,
                              digitList(common) + " in " + others + " and " + cellName(extra) +
                                  ", which would swap freely",
                              {},
                              {}};
                    for (int digit = 1; digit <= 9; ++digit) {
                        if ((common & digitBit(digit)) != 0) {
                            step.eliminations.push_back({static_cast<std::uint8_t>(extra),
                                                         static_cast<std::uint8_t>(digit)});
                        }
                    }
                    found.push_back(std::move(step));
                }
            }
        }
    }
}

void findBugPlusOne(const Board& board, std::vector<Step>& found) {
    int three = -1;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (!board.open(cell)) {
            continue;
        }
        const int count = digitCount(board.candidates(cell));
        if (count == 3 && three < 0) {
            three = cell;
        } else if (count != 2) {
            return;
        }
    }
    if (three < 0) {
        return;
    }
    // Every digit has two places in every unit, but for one digit in the
    // three units of the cell with three: that digit is the cell's.
    int digitOfThree = 0;
    for (int unit = 0; unit < kUnitCount; ++unit) {
        for (int digit = 1; digit <= 9; ++digit) {
            const int places = std::popcount(board.positions(unit, digit));
            if (places == 0 || places == 2) {
                continue;
            }
            const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
            bool holdsThree = false;
            for (const std::uint8_t cell : cells) {
                holdsThree = holdsThree || cell == three;
            }
            if (places != 3 || !holdsThree || (digitOfThree != 0 && digitOfThree != digit)) {
                return;
            }
            digitOfThree = digit;
        }
    }
    if (digitOfThree == 0 || !board.has(three, digitOfThree)) {
        return;
    }
    found.push_back({Technique::BugPlusOne,
                     "every other open cell has two digits left, each twice in its units",
                     {{static_cast<std::uint8_t>(three), static_cast<std::uint8_t>(digitOfThree)}},
                     {}});
}

}  // namespace novemra::reason
