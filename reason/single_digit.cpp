// Patterns of one digit built from conjugate pairs (a unit where the digit
// has exactly two places, one of which must hold it): Skyscraper, 2-String
// Kite and simple colouring.
#include <bit>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

// The two cells of a unit where digit has exactly two places.
struct Pair {
    int first = -1;
    int second = -1;
};

Pair pairIn(const Board& board, int unit, int digit) {
    const unsigned positions = board.positions(unit, digit);
    if (bitCount(positions) != 2) {
        return {};
    }
    const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
    return {cells[static_cast<std::size_t>(std::countr_zero(positions))],
            cells[static_cast<std::size_t>(31 - std::countl_zero(positions))]};
}

std::string chainText(int digit, int a, int b, int c, int d) {
    return std::to_string(digit) + " strong in " + cellName(a) + "-" + cellName(b) + " and " +
           cellName(c) + "-" + cellName(d);
}

}  // namespace

void findSkyscrapers(const Board& board, std::vector<Step>& found) {
    for (int digit = 1; digit <= 9; ++digit) {
        for (const int base : {0, 9}) {
            // Along rows the cells of a pair share a column at one end;
            // along columns, a row.
            const auto across = [base](int cell) {
                return base == 0 ? columnOf(cell) : rowOf(cell);
            };
            for (int one = 0; one < 9; ++one) {
                const Pair p = pairIn(board, base + one, digit);
                if (p.first < 0) {
                    continue;
                }
                for (int two = one + 1; two < 9; ++two) {
                    const Pair q = pairIn(board, base + two, digit);
                    if (q.first < 0) {
                        continue;
                    }
                    for (const auto& [joinP, endP] :
                         {std::pair{p.first, p.second}, std::pair{p.second, p.first}}) {
                        for (const auto& [joinQ, endQ] :
                             {std::pair{q.first, q.second}, std::pair{q.second, q.first}}) {
                            if (across(joinP) != across(joinQ) || across(endP) == across(endQ)) {
                                continue;
                            }
                            Step step{Technique::Skyscraper,
                                      chainText(digit, endP, joinP, joinQ, endQ),
                                      {},
                                      {}};
                            eliminateSeenByAll(board, {endP, endQ}, digit, step.eliminations);
                            if (!step.eliminations.empty()) {
                                found.push_back(std::move(step));
                            }
                        }
                    }
                }
            }
        }
    }
}

void findTwoStringKites(const Board& board, std::vector<Step>& found) {
    for (int digit = 1; digit <= 9; ++digit) {
        for (int row = 0; row < 9; ++row) {
            const Pair r = pairIn(board, row, digit);
            if (r.first < 0) {
                continue;
            }
            for (int column = 0; column < 9; ++column) {
                const Pair c = pairIn(board, 9 + column, digit);
                if (c.first < 0) {
                    continue;
                }
                for (const auto& [joinR, endR] :
                     {std::pair{r.first, r.second}, std::pair{r.second, r.first}}) {
                    for (const auto& [joinC, endC] :
                         {std::pair{c.first, c.second}, std::pair{c.second, c.first}}) {
                        // The row's and the column's inner ends share a
                        // box; all four cells are different.
                        if (boxOf(joinR) != boxOf(joinC) || joinR == joinC || endR == joinC ||
                            endC == joinR || endR == endC) {
                            continue;
                        }
                        Step step{Technique::TwoStringKite,
                                  chainText(digit, endR, joinR, joinC, endC),
                                  {},
                                  {}};
                        eliminateSeenByAll(board, {endR, endC}, digit, step.eliminations);
                        if (!step.eliminations.empty()) {
                            found.push_back(std::move(step));
                        }
                    }
                }
            }
        }
    }
}

void findSimpleColouring(const Board& board, std::vector<Step>& found) {
    for (int digit = 1; digit <= 9; ++digit) {
        // colour[cell]: 0 none, else component * 2 + (1 or 2).
        std::array<int, kCellCount> colour{};
        std::array<std::vector<int>, kCellCount> links;
        for (int unit = 0; unit < kUnitCount; ++unit) {
            const Pair p = pairIn(board, unit, digit);
            if (p.first >= 0) {
                links[static_cast<std::size_t>(p.first)].push_back(p.second);
                links[static_cast<std::size_t>(p.second)].push_back(p.first);
            }
        }
        int component = 0;
        for (int start = 0; start < kCellCount; ++start) {
            if (links[static_cast<std::size_t>(start)].empty() ||
                colour[static_cast<std::size_t>(start)] != 0) {
                continue;
            }
            ++component;
            std::array<std::vector<int>, 2> sides;
            std::vector<int> queue{start};
            colour[static_cast<std::size_t>(start)] = component * 2 + 1;
            for (std::size_t at = 0; at < queue.size(); ++at) {
                const int cell = queue[at];
                const int mine = colour[static_cast<std::size_t>(cell)];
                sides[static_cast<std::size_t>(mine % 2 == 1 ? 0 : 1)].push_back(cell);
                for (const int next : links[static_cast<std::size_t>(cell)]) {
                    if (colour[static_cast<std::size_t>(next)] == 0) {
                        colour[static_cast<std::size_t>(next)] =
                            mine % 2 == 1 ? mine + 1 : mine - 1;
                        queue.push_back(next);
                    }
                }
            }
            if (sides[0].size() + sides[1].size() < 4) {
                continue;  // a lone pair, or a chain a simpler pattern covers
            }
            std::string names[2];
            for (std::size_t side = 0; side < 2; ++side) {
                for (const int cell : sides[side]) {
                    if (!names[side].empty()) {
                        names[side] += ',';
                    }
                    names[side] += cellName(cell);
                }
            }
            const std::string reason =
                std::to_string(digit) + " coloured " + names[0] + " against " + names[1];
            Step step{Technique::SimpleColouring, reason, {}, {}};
            // A colour with two cells in one unit is false everywhere.
            for (std::size_t side = 0; side < 2; ++side) {
                bool wraps = false;
                for (const int a : sides[side]) {
                    for (const int b : sides[side]) {
                        wraps = wraps || sees(a, b);
                    }
                }
                if (wraps) {
                    for (const int cell : sides[side]) {
                        step.eliminations.push_back(
                            {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
                    }
                }
            }
            if (step.eliminations.empty()) {
                // A cell that sees both colours cannot hold the digit.
                for (int cell = 0; cell < kCellCount; ++cell) {
                    if (!board.has(cell, digit) || colour[static_cast<std::size_t>(cell)] != 0) {
                        continue;
                    }
                    bool seesFirst = false;
                    bool seesSecond = false;
                    for (const int a : sides[0]) {
                        seesFirst = seesFirst || sees(cell, a);
                    }
                    for (const int b : sides[1]) {
                        seesSecond = seesSecond || sees(cell, b);
                    }
                    if (seesFirst && seesSecond) {
                        step.eliminations.push_back(
                            {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
                    }
                }
            }
            if (!step.eliminations.empty()) {
                found.push_back(std::move(step));
            }
        }
    }
}

void findEmptyRectangles(const Board& board, std::vector<Step>& found) {
    for (int digit = 1; digit <= 9; ++digit) {
        for (int box = 0; box < 9; ++box) {
            const unsigned inBox = board.positions(18 + box, digit);
            if (bitCount(inBox) < 2) {
                continue;
            }
            for (int boxRow = 0; boxRow < 3; ++boxRow) {
                for (int boxColumn = 0; boxColumn < 3; ++boxColumn) {
                    // Box position k is row k / 3 and column k % 3.
                    const unsigned cross = (7U << (3 * boxRow)) | (0x49U << boxColumn);
                    const unsigned rowOnly = 7U << (3 * boxRow);
                    const unsigned columnOnly = 0x49U << boxColumn;
                    if ((inBox & ~cross) != 0 || (inBox & ~rowOnly) == 0 ||
                        (inBox & ~columnOnly) == 0) {
                        continue;
                    }
                    const int row = box / 3 * 3 + boxRow;
                    const int column = box % 3 * 3 + boxColumn;
                    // A conjugate pair in a line across the box's row or
                    // column, its far end outside the box's band or stack.
                    for (const bool alongColumn : {true, false}) {
                        for (int line = 0; line < 9; ++line) {
                            if (alongColumn ? line / 3 == box % 3 : line / 3 == box / 3) {
                                continue;
                            }
                            const Pair p = pairIn(board, alongColumn ? 9 + line : line, digit);
                            if (p.first < 0) {
                                continue;
                            }
                            for (const auto& [near, far] :
                                 {std::pair{p.first, p.second}, std::pair{p.second, p.first}}) {
                                const bool meets =
                                    alongColumn ? rowOf(near) == row : columnOf(near) == column;
                                const bool outside = alongColumn ? rowOf(far) / 3 != box / 3
                                                                 : columnOf(far) / 3 != box % 3;
                                if (!meets || !outside) {
                                    continue;
                                }
                                const int target =
                                    alongColumn ? rowOf(far) * 9 + column : row * 9 + columnOf(far);
                                if (!board.has(target, digit)) {
                                    continue;
                                }
                                found.push_back({Technique::EmptyRectangle,
                                                 std::to_string(digit) + " in " +
                                                     unitName(18 + box) + " only in row " +
                                                     std::to_string(row + 1) + " and column " +
                                                     std::to_string(column + 1) + ", strong in " +
                                                     cellName(near) + "-" + cellName(far),
                                                 {},
                                                 {{static_cast<std::uint8_t>(target),
                                                   static_cast<std::uint8_t>(digit)}}});
                            }
                        }
                    }
                }
            }
        }
    }
}

}  // namespace novemra::reason
