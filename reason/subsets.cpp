// Naked and hidden subsets: k cells of a unit that hold only k digits
// between them, or k digits of a unit that lie only in k of its cells.
#include <bit>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

// Every set of `size` bits among those of within (as bit masks), in
// ascending order.
template <typename Visit>
void forEachSubset(unsigned within, int size, Visit&& visit) {
    for (unsigned set = (0U - within) & within; set != 0; set = (set - within) & within) {
        if (bitCount(set) == size) {
            visit(set);
        }
    }
}

constexpr std::array<Technique, 5> kNaked{Technique::NakedPair, Technique::NakedPair,
                                          Technique::NakedPair, Technique::NakedTriple,
                                          Technique::NakedQuad};
constexpr std::array<Technique, 5> kHidden{Technique::HiddenPair, Technique::HiddenPair,
                                           Technique::HiddenPair, Technique::HiddenTriple,
                                           Technique::HiddenQuad};

void findNaked(const Board& board, int size, std::vector<Step>& found) {
    for (int unit = 0; unit < kUnitCount; ++unit) {
        const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
        // The open cells, and those with few enough digits to be in the
        // subset.
        unsigned openCells = 0;
        unsigned fitting = 0;
        for (std::size_t k = 0; k < cells.size(); ++k) {
            if (board.open(cells[k])) {
                openCells |= 1U << k;
                if (digitCount(board.candidates(cells[k])) <= size) {
                    fitting |= 1U << k;
                }
            }
        }
        if (bitCount(openCells) <= size || bitCount(fitting) < size) {
            continue;
        }
        forEachSubset(fitting, size, [&](unsigned chosen) {
            DigitSet digits = 0;
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if ((chosen >> k & 1U) != 0) {
                    digits |= board.candidates(cells[k]);
                }
            }
            if (digitCount(digits) != size) {
                return;
            }
            Step step{kNaked[static_cast<std::size_t>(size)], {}, {}, {}};
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if ((chosen >> k & 1U) != 0 || !board.open(cells[k])) {
                    continue;
                }
                for (int digit = 1; digit <= 9; ++digit) {
                    if ((digits & digitBit(digit)) != 0 && board.has(cells[k], digit)) {
                        step.eliminations.push_back({cells[k], static_cast<std::uint8_t>(digit)});
                    }
                }
            }
            if (!step.eliminations.empty()) {
                // Words only for what is kept: most subsets take nothing.
                step.reason =
                    digitList(digits) + " in " + cellList(cells, chosen) + " of " + unitName(unit);
                found.push_back(std::move(step));
            }
        });
    }
}

void findHidden(const Board& board, int size, std::vector<Step>& found) {
    for (int unit = 0; unit < kUnitCount; ++unit) {
        const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
        // The digits still to place, and those in few enough cells to be
        // in the subset.
        std::array<unsigned, 10> positions{};
        DigitSet openDigits = 0;
        DigitSet fitting = 0;
        for (int digit = 1; digit <= 9; ++digit) {
            positions[static_cast<std::size_t>(digit)] = board.positions(unit, digit);
            const int places = bitCount(positions[static_cast<std::size_t>(digit)]);
            if (places != 0) {
                openDigits |= digitBit(digit);
            }
            if (places != 0 && places <= size) {
                fitting |= digitBit(digit);
            }
        }
        if (digitCount(openDigits) <= size || digitCount(fitting) < size) {
            continue;
        }
        forEachSubset(fitting, size, [&](unsigned chosen) {
            const auto digits = static_cast<DigitSet>(chosen);
            unsigned where = 0;
            for (int digit = 1; digit <= 9; ++digit) {
                if ((digits & digitBit(digit)) != 0) {
                    where |= positions[static_cast<std::size_t>(digit)];
                }
            }
            if (bitCount(where) != size) {
                return;
            }
            Step step{kHidden[static_cast<std::size_t>(size)], {}, {}, {}};
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if ((where >> k & 1U) == 0) {
                    continue;
                }
                for (int digit = 1; digit <= 9; ++digit) {
                    if ((digits & digitBit(digit)) == 0 && board.has(cells[k], digit)) {
                        step.eliminations.push_back({cells[k], static_cast<std::uint8_t>(digit)});
                    }
                }
            }
            if (!step.eliminations.empty()) {
                step.reason = digitList(digits) + " only in " + cellList(cells, where) + " of " +
                              unitName(unit);
                found.push_back(std::move(step));
            }
        });
    }
}

}  // namespace

void findNakedPairs(const Board& board, std::vector<Step>& found) {
    findNaked(board, 2, found);
}
void findNakedTriples(const Board& board, std::vector<Step>& found) {
    findNaked(board, 3, found);
}
void findNakedQuads(const Board& board, std::vector<Step>& found) {
    findNaked(board, 4, found);
}
void findHiddenPairs(const Board& board, std::vector<Step>& found) {
    findHidden(board, 2, found);
}
void findHiddenTriples(const Board& board, std::vector<Step>& found) {
    findHidden(board, 3, found);
}
void findHiddenQuads(const Board& board, std::vector<Step>& found) {
    findHidden(board, 4, found);
}

std::string cellList(const UnitCells& cells, unsigned which) {
    std::string list;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if ((which >> k & 1U) != 0) {
            if (!list.empty()) {
                list += ',';
            }
            list += cellName(cells[k]);
        }
    }
    return list;
}

std::string digitList(DigitSet digits) {
    std::string list;
    for (int digit = 1; digit <= 9; ++digit) {
        if ((digits & digitBit(digit)) != 0) {
            if (!list.empty()) {
                list += ',';
            }
            list += std::to_string(digit);
        }
    }
    return list;
}

void eliminateSeenByAll(const Board& board, std::initializer_list<int> cells, int digit,
                        std::vector<Elimination>& eliminations) {
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (!board.has(cell, digit)) {
            continue;
        }
        bool all = true;
        for (const int other : cells) {
            all = all && sees(cell, other);
        }
        if (all) {
            eliminations.push_back(
                {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
        }
    }
}

}  // namespace novemra::reason
