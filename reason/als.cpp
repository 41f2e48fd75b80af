// ALS-XZ: two almost locked sets (n cells of one unit holding n + 1 digits
// between them) that share a digit x whose every place in the one sees
// every place in the other, so x is in at most one of them and the other
// is locked. For another digit z they share, one of them holds z, and a
// cell that sees all their places for z cannot.
#include <bit>
#include <bitset>
#include <vector>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

using CellSet = std::bitset<kCellCount>;

struct AlmostLockedSet {
    CellSet cells;
    DigitSet digits = 0;
    // For each digit, the set's cells that may hold it.
    std::array<CellSet, 10> places{};
};

// Up to this many cells a set: larger sets add little and cost much.
constexpr int kLargestSet = 3;

struct PeerSets {
    std::array<CellSet, kCellCount> of{};
};
PeerSets makePeerSets() {
    PeerSets peers;
    for (int a = 0; a < kCellCount; ++a) {
        for (int b = 0; b < kCellCount; ++b) {
            peers.of[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = sees(a, b);
        }
    }
    return peers;
}

std::vector<AlmostLockedSet> almostLockedSets(const Board& board) {
    std::vector<AlmostLockedSet> sets;
    std::vector<CellSet> seen;
    for (int unit = 0; unit < kUnitCount; ++unit) {
        const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
        for (unsigned chosen = 1; chosen < 512; ++chosen) {
            const int size = bitCount(chosen);
            if (size > kLargestSet) {
                continue;
            }
            AlmostLockedSet set;
            bool open = true;
            for (std::size_t k = 0; k < cells.size() && open; ++k) {
                if ((chosen >> k & 1U) != 0) {
                    open = board.open(cells[k]);
                    set.cells.set(cells[k]);
                    set.digits |= board.candidates(cells[k]);
                }
            }
            if (!open || digitCount(set.digits) != size + 1) {
                continue;
            }
            bool duplicate = false;
            for (const CellSet& other : seen) {
                duplicate = duplicate || other == set.cells;
            }
            if (duplicate) {
                continue;
            }
            seen.push_back(set.cells);
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if ((chosen >> k & 1U) == 0) {
                    continue;
                }
                for (int digit = 1; digit <= 9; ++digit) {
                    if (board.has(cells[k], digit)) {
                        set.places[static_cast<std::size_t>(digit)].set(cells[k]);
                    }
                }
            }
            sets.push_back(set);
        }
    }
    return sets;
}

std::string cellsText(const CellSet& cells) {
    std::string text;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (cells[static_cast<std::size_t>(cell)]) {
            if (!text.empty()) {
                text += ',';
            }
            text += cellName(cell);
        }
    }
    return text;
}

// The cells that see every cell of the set.
CellSet seenByAll(const CellSet& cells, const PeerSets& peers) {
    CellSet seen;
    seen.set();
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (cells[static_cast<std::size_t>(cell)]) {
            seen &= peers.of[static_cast<std::size_t>(cell)];
        }
    }
    return seen;
}

}  // namespace

void findAlsXz(const Board& board, std::vector<Step>& found) {
    static const PeerSets kPeerSets = makePeerSets();
    const std::vector<AlmostLockedSet> sets = almostLockedSets(board);
    for (std::size_t i = 0; i < sets.size(); ++i) {
        for (std::size_t j = i + 1; j < sets.size(); ++j) {
            const AlmostLockedSet& a = sets[i];
            const AlmostLockedSet& b = sets[j];
            const auto common = static_cast<DigitSet>(a.digits & b.digits);
            if (digitCount(common) < 2 || (a.cells & b.cells).any()) {
                continue;
            }
            for (int x = 1; x <= 9; ++x) {
                if ((common & digitBit(x)) == 0) {
                    continue;
                }
                // x restricted: every place of x in the one sees every
                // place of x in the other.
                const CellSet& placesA = a.places[static_cast<std::size_t>(x)];
                const CellSet& placesB = b.places[static_cast<std::size_t>(x)];
                if ((seenByAll(placesA, kPeerSets) & placesB) != placesB) {
                    continue;
                }
                Step step{Technique::AlsXz,
                          "sets " + cellsText(a.cells) + " {" + digitList(a.digits) + "} and " +
                              cellsText(b.cells) + " {" + digitList(b.digits) + "}, restricted " +
                              std::to_string(x),
                          {},
                          {}};
                for (int z = 1; z <= 9; ++z) {
                    if (z == x || (common & digitBit(z)) == 0) {
                        continue;
                    }
                    const CellSet targets = seenByAll(a.places[static_cast<std::size_t>(z)] |
                                                          b.places[static_cast<std::size_t>(z)],
                                                      kPeerSets);
                    for (int cell = 0; cell < kCellCount; ++cell) {
                        if (targets[static_cast<std::size_t>(cell)] && board.has(cell, z)) {
                            step.eliminations.push_back(
                                {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(z)});
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
