// Wings: a pivot and two pincers that between them force a digit into one
// of the pincers (XY-Wing, XYZ-Wing), or two equal pairs joined by a
// conjugate pair (W-Wing).
#include <array>
#include <bit>
#include <vector>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

std::string withDigits(const Board& board, int cell) {
    return cellName(cell) + " {" + digitList(board.candidates(cell)) + "}";
}

void findWings(const Board& board, bool xyz, std::vector<Step>& found) {
    // The two-digit cells, which the pincers are.
    std::vector<int> pairs;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (board.open(cell) && digitCount(board.candidates(cell)) == 2) {
            pairs.push_back(cell);
        }
    }
    for (int pivot = 0; pivot < kCellCount; ++pivot) {
        const DigitSet pivotDigits = board.candidates(pivot);
        if (!board.open(pivot) || digitCount(pivotDigits) != (xyz ? 3 : 2)) {
            continue;
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const int one = pairs[i];
            const DigitSet a = board.candidates(one);
            if (!sees(pivot, one) || (a & pivotDigits) == 0) {
                continue;
            }
            for (std::size_t j = i + 1; j < pairs.size(); ++j) {
                const int two = pairs[j];
                const DigitSet b = board.candidates(two);
                if (!sees(pivot, two) || a == b) {
                    continue;
                }
                // The pincers share one digit z, and with it make up the
                // pivot's digits (XY: the pivot is the other two; XYZ: all
                // three).
                const auto shared = static_cast<DigitSet>(a & b);
                if (digitCount(shared) != 1) {
                    continue;
                }
                const DigitSet covered =
                    xyz ? static_cast<DigitSet>(a | b) : static_cast<DigitSet>((a | b) & ~shared);
                if (covered != pivotDigits || (!xyz && (pivotDigits & shared) != 0)) {
                    continue;
                }
                const int z = firstDigit(shared);
                Step step{xyz ? Technique::XYZWing : Technique::XYWing,
                          "pivot " + withDigits(board, pivot) + ", pincers " +
                              withDigits(board, one) + " and " + withDigits(board, two),
                          {},
                          {}};
                if (xyz) {
                    eliminateSeenByAll(board, {pivot, one, two}, z, step.eliminations);
                } else {
                    eliminateSeenByAll(board, {one, two}, z, step.eliminations);
                }
                if (!step.eliminations.empty()) {
                    found.push_back(std::move(step));
                }
            }
        }
    }
}

}  // namespace

void findXYWings(const Board& board, std::vector<Step>& found) {
    findWings(board, false, found);
}

void findXYZWings(const Board& board, std::vector<Step>& found) {
    findWings(board, true, found);
}

void findWWings(const Board& board, std::vector<Step>& found) {
    for (int one = 0; one < kCellCount; ++one) {
        const DigitSet pair = board.candidates(one);
        if (!board.open(one) || digitCount(pair) != 2) {
            continue;
        }
        for (int two = one + 1; two < kCellCount; ++two) {
            if (!board.open(two) || board.candidates(two) != pair || sees(one, two)) {
                continue;
            }
            for (const int linked :
                 {firstDigit(pair), firstDigit(static_cast<DigitSet>(pair & (pair - 1)))}) {
                const int other = firstDigit(static_cast<DigitSet>(pair & ~digitBit(linked)));
                // A unit where the linked digit has two places, one seen by
                // each cell of the pair: one of the pair must be the other
                // digit.
                for (int unit = 0; unit < kUnitCount; ++unit) {
                    const unsigned positions = board.positions(unit, linked);
                    if (bitCount(positions) != 2) {
                        continue;
                    }
                    const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
                    const int a = cells[static_cast<std::size_t>(std::countr_zero(positions))];
                    const int b = cells[static_cast<std::size_t>(31 - std::countl_zero(positions))];
                    if (!((sees(a, one) && sees(b, two)) || (sees(a, two) && sees(b, one)))) {
                        continue;
                    }
                    if (a == one || a == two || b == one || b == two) {
                        continue;
                    }
                    Step step{Technique::WWing,
                              withDigits(board, one) + " and " + withDigits(board, two) +
                                  " joined by " + std::to_string(linked) + " in " + cellName(a) +
                                  "-" + cellName(b),
                              {},
                              {}};
                    eliminateSeenByAll(board, {one, two}, other, step.eliminations);
                    if (!step.eliminations.empty()) {
                        found.push_back(std::move(step));
                    }
                }
            }
        }
    }
}

void findRemotePairs(const Board& board, std::vector<Step>& found) {
    for (int a = 1; a <= 9; ++a) {
        for (int b = a + 1; b <= 9; ++b) {
            const auto pair = static_cast<DigitSet>(digitBit(a) | digitBit(b));
            // The cells holding just this pair, coloured along the peers
            // that hold it too: neighbours take opposite digits.
            std::array<int, kCellCount> colour{};
            for (int start = 0; start < kCellCount; ++start) {
                if (!board.open(start) || board.candidates(start) != pair ||
                    colour[static_cast<std::size_t>(start)] != 0) {
                    continue;
                }
                std::vector<int> component{start};
                colour[static_cast<std::size_t>(start)] = 1;
                bool twoColoured = true;
                for (std::size_t at = 0; at < component.size(); ++at) {
                    const int cell = component[at];
                    for (int other = 0; other < kCellCount; ++other) {
                        if (!sees(cell, other) || !board.open(other) ||
                            board.candidates(other) != pair) {
                            continue;
                        }
                        const int want = 3 - colour[static_cast<std::size_t>(cell)];
                        if (colour[static_cast<std::size_t>(other)] == 0) {
                            colour[static_cast<std::size_t>(other)] = want;
                            component.push_back(other);
                        } else if (colour[static_cast<std::size_t>(other)] != want) {
                            twoColoured = false;
                        }
                    }
                }
                if (!twoColoured || component.size() < 4) {
                    continue;
                }
                std::string names;
                for (const int cell : component) {
                    if (!names.empty()) {
                        names += ',';
                    }
                    names += cellName(cell);
                }
                Step step{
                    Technique::RemotePair, digitList(pair) + " alternating in " + names, {}, {}};
                for (int cell = 0; cell < kCellCount; ++cell) {
                    if (!board.open(cell) || (board.candidates(cell) & pair) == 0 ||
                        board.candidates(cell) == pair) {
                        continue;
                    }
                    bool seesFirst = false;
                    bool seesSecond = false;
                    for (const int member : component) {
                        const bool first = colour[static_cast<std::size_t>(member)] == 1;
                        seesFirst = seesFirst || (first && sees(cell, member));
                        seesSecond = seesSecond || (!first && sees(cell, member));
                    }
                    if (!seesFirst || !seesSecond) {
                        continue;
                    }
                    for (const int digit : {a, b}) {
                        if (board.has(cell, digit)) {
                            step.eliminations.push_back({static_cast<std::uint8_t>(cell),
                                                         static_cast<std::uint8_t>(digit)});
                        }
                    }
                }
                if (!step.eliminations.empty()) {
                    found.push_back(std::move(step));
                }
            }
        }
    }
}

}  // namespace novemra::reason
