// Locked candidates: where a digit of a box lies in one line (pointing), or
// a digit of a line in one box (claiming).
#include <bit>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

// A digit confined, within unit from, to its crossing with unit onto: the
// digit leaves the rest of onto.
void lockedIn(const Board& board, Technique technique, int from, int onto, int digit,
              std::vector<Step>& found) {
    Step step{technique, {}, {}, {}};
    const UnitCells& fromCells = kUnits[static_cast<std::size_t>(from)];
    for (const std::uint8_t cell : kUnits[static_cast<std::size_t>(onto)]) {
        bool inFrom = false;
        for (const std::uint8_t other : fromCells) {
            inFrom = inFrom || other == cell;
        }
        if (!inFrom && board.has(cell, digit)) {
            step.eliminations.push_back({cell, static_cast<std::uint8_t>(digit)});
        }
    }
    if (!step.eliminations.empty()) {
        step.reason =
            std::to_string(digit) + " in " + unitName(from) + " only in " + unitName(onto);
        found.push_back(std::move(step));
    }
}

// Which thirds (bit t) of nine positions hold any: the rows of a box's
// positions, or the boxes of a line's.
unsigned thirdsOf(unsigned positions) {
    return ((positions & 0x7) != 0 ? 1U : 0U) | ((positions & 0x38) != 0 ? 2U : 0U) |
           ((positions & 0x1C0) != 0 ? 4U : 0U);
}

}  // namespace

void findPointing(const Board& board, std::vector<Step>& found) {
    for (int box = 0; box < 9; ++box) {
        const int unit = 18 + box;
        for (int digit = 1; digit <= 9; ++digit) {
            const unsigned positions = board.positions(unit, digit);
            if (bitCount(positions) < 2) {
                continue;
            }
            // Box position k is row k / 3 and column k % 3 of the box.
            const unsigned rows = thirdsOf(positions);
            const unsigned columns = ((positions & 0x49) != 0 ? 1U : 0U) |
                                     ((positions & 0x92) != 0 ? 2U : 0U) |
                                     ((positions & 0x124) != 0 ? 4U : 0U);
            if (bitCount(rows) == 1) {
                lockedIn(board, Technique::Pointing, unit, box / 3 * 3 + std::countr_zero(rows),
                         digit, found);
            }
            if (bitCount(columns) == 1) {
                lockedIn(board, Technique::Pointing, unit,
                         9 + box % 3 * 3 + std::countr_zero(columns), digit, found);
            }
        }
    }
}

void findClaiming(const Board& board, std::vector<Step>& found) {
    for (int line = 0; line < 18; ++line) {
        for (int digit = 1; digit <= 9; ++digit) {
            const unsigned positions = board.positions(line, digit);
            if (bitCount(positions) < 2) {
                continue;
            }
            const unsigned thirds = thirdsOf(positions);
            if (bitCount(thirds) != 1) {
                continue;
            }
            const int third = std::countr_zero(thirds);
            const int index = line % 9;
            const int box = line < 9 ? index / 3 * 3 + third : third * 3 + index / 3;
            lockedIn(board, Technique::Claiming, line, 18 + box, digit, found);
        }
    }
}

}  // namespace novemra::reason
