// Techniques that rely on the puzzle having one solution: a unique
// rectangle of type 1 and BUG+1. A pattern that would let two digits swap
// freely cannot be completed, so whatever avoids it must hold.
#include <bit>
#include <vector>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

std::string cornerNames(const std::array<int, 4>& corners) {
    std::string names;
    for (const int cell : corners) {
        if (!names.empty()) {
            names += ',';
        }
        names += cellName(cell);
    }
    return names;
}

Elimination eliminationOf(int cell, int digit) {
    return {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)};
}

// The units two cells share.
std::vector<int> sharedUnits(int a, int b) {
    std::vector<int> units;
    if (rowOf(a) == rowOf(b)) {
        units.push_back(rowOf(a));
    }
    if (columnOf(a) == columnOf(b)) {
        units.push_back(9 + columnOf(a));
    }
    if (boxOf(a) == boxOf(b)) {
        units.push_back(18 + boxOf(a));
    }
    return units;
}

// A rectangle whose floor (the corners holding just the pair) is two cells
// and whose roof (the other two) shares a line: types 2, 3 and 4.
void roofTypes(const Board& board, const std::array<int, 4>& corners, DigitSet pair, int roofA,
               int roofB, std::vector<Step>& found) {
    const std::string rectangle = digitList(pair) + " in " + cornerNames(corners);
    const auto extraA = static_cast<DigitSet>(board.candidates(roofA) & ~pair);
    const auto extraB = static_cast<DigitSet>(board.candidates(roofB) & ~pair);
    // Type 2: one extra digit, the same in both: one of them holds it.
    if (extraA == extraB && digitCount(extraA) == 1) {
        Step step{Technique::UniqueRectangle,
                  "type 2: " + rectangle + ", extra " + digitList(extraA),
                  {},
                  {}};
        eliminateSeenByAll(board, {roofA, roofB}, firstDigit(extraA), step.eliminations);
        if (!step.eliminations.empty()) {
            found.push_back(std::move(step));
        }
    }
    for (const int unit : sharedUnits(roofA, roofB)) {
        const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
        // Type 4: a digit of the pair only in the roof within a unit it
        // shares: the roof cannot hold the other digit.
        for (const int digit :
             {firstDigit(pair), firstDigit(static_cast<DigitSet>(pair & (pair - 1)))}) {
            if (bitCount(board.positions(unit, digit)) != 2) {
                continue;
            }
            const int other = firstDigit(static_cast<DigitSet>(pair & ~digitBit(digit)));
            Step step{Technique::UniqueRectangle,
                      "type 4: " + rectangle + ", " + std::to_string(digit) +
                          " only in the roof of " + unitName(unit),
                      {},
                      {}};
            for (const int roof : {roofA, roofB}) {
                if (board.has(roof, other)) {
                    step.eliminations.push_back(eliminationOf(roof, other));
                }
            }
            if (!step.eliminations.empty()) {
                found.push_back(std::move(step));
            }
        }
        // Type 3: the roof's extra digits are two, and another cell of the
        // unit holds just those: a naked pair with the roof.
        const auto extras = static_cast<DigitSet>(extraA | extraB);
        if (digitCount(extras) != 2) {
            continue;
        }
        for (const std::uint8_t partner : cells) {
            if (partner == roofA || partner == roofB || !board.open(partner) ||
                board.candidates(partner) != extras) {
                continue;
            }
            Step step{Technique::UniqueRectangle,
                      "type 3: " + rectangle + ", extras " + digitList(extras) + " with " +
                          cellName(partner) + " in " + unitName(unit),
                      {},
                      {}};
            for (const std::uint8_t cell : cells) {
                if (cell == roofA || cell == roofB || cell == partner) {
                    continue;
                }
                for (int digit = 1; digit <= 9; ++digit) {
                    if ((extras & digitBit(digit)) != 0 && board.has(cell, digit)) {
                        step.eliminations.push_back(eliminationOf(cell, digit));
                    }
                }
            }
            if (!step.eliminations.empty()) {
                found.push_back(std::move(step));
            }
        }
    }
}

}  // namespace

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
                    std::vector<int> roof;
                    for (const int cell : corners) {
                        if (board.candidates(cell) != common) {
                            roof.push_back(cell);
                        }
                    }
                    if (roof.size() == 1) {
                        // Type 1: the one corner with more loses the pair.
                        Step step{Technique::UniqueRectangle,
                                  "type 1: " + digitList(common) + " in " + cornerNames(corners),
                                  {},
                                  {}};
                        for (int digit = 1; digit <= 9; ++digit) {
                            if ((common & digitBit(digit)) != 0) {
                                step.eliminations.push_back(eliminationOf(roof[0], digit));
                            }
                        }
                        found.push_back(std::move(step));
                    } else if (roof.size() == 2 && (rowOf(roof[0]) == rowOf(roof[1]) ||
                                                    columnOf(roof[0]) == columnOf(roof[1]))) {
                        roofTypes(board, corners, common, roof[0], roof[1], found);
                    }
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
            const int places = bitCount(board.positions(unit, digit));
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
