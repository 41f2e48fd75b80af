#include "solver/first_solution.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <span>

#include "solver/digit_masks.hpp"

namespace novemra {

namespace {

constexpr int kCells = kGridSize * kGridSize;
constexpr int kUnits = 3 * kGridSize;
constexpr int kPeers = 20;
// Digit d is bit d - 1.
constexpr unsigned kAllDigits = 0x1FF;

struct Layout {
    // The nine cells of each row, column and box (in that order).
    std::array<std::array<std::uint8_t, kGridSize>, kUnits> unitCells{};
    // The twenty other cells that share a unit with each cell.
    std::array<std::array<std::uint8_t, kPeers>, kCells> peers{};
    // Each cell's row, column and box, as indexes of unitCells.
    std::array<std::array<std::uint8_t, 3>, kCells> unitsOf{};
};

constexpr Layout makeLayout() {
    Layout layout;
    for (int cell = 0; cell < kCells; ++cell) {
        const int row = cell / kGridSize;
        const int column = cell % kGridSize;
        const int box = row / 3 * 3 + column / 3;
        const int position = row % 3 * 3 + column % 3;
        layout.unitCells[row][column] = static_cast<std::uint8_t>(cell);
        layout.unitCells[kGridSize + column][row] = static_cast<std::uint8_t>(cell);
        layout.unitCells[2 * kGridSize + box][position] = static_cast<std::uint8_t>(cell);
        layout.unitsOf[cell] = {static_cast<std::uint8_t>(row),
                                static_cast<std::uint8_t>(kGridSize + column),
                                static_cast<std::uint8_t>(2 * kGridSize + box)};
    }
    for (int cell = 0; cell < kCells; ++cell) {
        const int row = cell / kGridSize;
        const int column = cell % kGridSize;
        int count = 0;
        for (int other = 0; other < kCells; ++other) {
            const int otherRow = other / kGridSize;
            const int otherColumn = other % kGridSize;
            const bool sameBox = row / 3 == otherRow / 3 && column / 3 == otherColumn / 3;
            if (other != cell && (row == otherRow || column == otherColumn || sameBox)) {
                layout.peers[cell][count++] = static_cast<std::uint8_t>(other);
            }
        }
    }
    return layout;
}

constexpr Layout kLayout = makeLayout();

bool single(unsigned mask) {
    return (mask & (mask - 1)) == 0;
}

// A partly filled grid with the digits each cell may still take: for an
// open cell, every digit no fixed peer holds, less what the rules below
// have ruled out; for a fixed cell, its digit and kFixedMark, so that it
// never reads as a cell with one digit left. Small enough to copy at every
// branch of the search.
class Board {
  public:
    static constexpr unsigned kFixedMark = 0x8000;

    Board() { candidates_.fill(kAllDigits); }

    // Fixes the digit (as its bit) in the open cell and takes it from the
    // cell's peers. False when that contradicts the board.
    bool fix(int cell, unsigned bit) {
        if (!isOpen(cell)) {
            return (candidates_[cell] & kAllDigits) == bit;
        }
        const auto& units = kLayout.unitsOf[cell];
        if ((candidates_[cell] & bit) == 0 ||
            ((fixedIn_[units[0]] | fixedIn_[units[1]] | fixedIn_[units[2]]) & bit) != 0) {
            return false;
        }
        for (const std::uint8_t unit : units) {
            fixedIn_[unit] |= static_cast<std::uint16_t>(bit);
        }
        candidates_[cell] = static_cast<std::uint16_t>(bit | kFixedMark);
        open_[cell / 64] &= ~(std::uint64_t{1} << (cell % 64));
        --openCount_;
        // No fixed peer holds the digit (the units said so), so taking it
        // from every peer touches only open ones; an open peer it leaves
        // with one digit or none is looked at by propagate. The count is
        // kept in a local: the list's bytes could alias the member, which
        // would tie every step to the one before.
        int pending = pendingCount_;
        for (const std::uint8_t peer : kLayout.peers[cell]) {
            const unsigned before = candidates_[peer];
            const unsigned left = before & ~bit;
            candidates_[peer] = static_cast<std::uint16_t>(left);
            // Listed without a branch: the slot is written either way and
            // kept only when the peer has just come down to one or none.
            pending_[static_cast<std::size_t>(pending)] = peer;
            pending += static_cast<int>(single(left) & (left != before));
        }
        pendingCount_ = pending;
        return true;
    }

    // Fixes every cell the singles rules force (a cell with one digit left,
    // a digit with one cell left in a row, column or box). False when the
    // board cannot be completed.
    bool propagate() {
        for (;;) {
            if (!fixNakedSingles()) {
                return false;
            }
            if (openCount_ == 0) {
                return true;
            }
            const Progress progress = fixHiddenSingles();
            if (progress != Progress::Some) {
                return progress == Progress::None;
            }
        }
    }

    bool complete() const { return openCount_ == 0; }

    // The digits the cell may take: the fixed digit of a fixed cell.
    unsigned candidates(int cell) const { return candidates_[cell] & kAllDigits; }
    bool isOpen(int cell) const { return ((open_[cell / 64] >> (cell % 64)) & 1U) != 0; }

  private:
    enum class Progress { None, Some, Impossible };

    // Fixes the listed cells left with one digit, and those their fixes
    // leave so. False on a cell left with none.
    bool fixNakedSingles() {
        while (pendingCount_ > 0) {
            const int cell = pending_[--pendingCount_];
            const unsigned left = candidates_[cell];
            if (left == 0) {
                return false;
            }
            if ((left & kFixedMark) == 0 && !fix(cell, left)) {
                return false;
            }
        }
        return true;
    }

    Progress fixHiddenSingles() {
        Progress progress = Progress::None;
        for (int unit = 0; unit < kUnits; ++unit) {
            const unsigned fixed = fixedIn_[unit];
            if (fixed == kAllDigits) {
                continue;
            }
            const auto& cells = kLayout.unitCells[unit];
            unsigned once = 0;
            unsigned twice = 0;
            for (const std::uint8_t cell : cells) {
                const unsigned mask = candidates_[cell];
                twice |= once & mask;
                once |= mask;
            }
            if ((once & kAllDigits) != kAllDigits) {
                return Progress::Impossible;  // a digit has no cell left here
            }
            unsigned hidden = once & ~twice & ~fixed & kAllDigits;
            while (hidden != 0) {
                const unsigned bit = hidden & (0U - hidden);
                hidden ^= bit;
                int at = -1;
                for (const std::uint8_t cell : cells) {
                    if ((candidates_[cell] & bit) != 0) {
                        at = cell;
                        break;
                    }
                }
                // Its one cell may have been fixed to another digit
                // meanwhile. What it forces is fixed at once, so the units
                // after this one see it in this pass.
                if (at < 0 || !fix(at, bit) || !fixNakedSingles()) {
                    return Progress::Impossible;
                }
                progress = Progress::Some;
            }
        }
        return progress;
    }

    std::array<std::uint16_t, kCells> candidates_{};
    // The digits fixed in each row, column and box.
    std::array<std::uint16_t, kUnits> fixedIn_{};
    std::array<std::uint64_t, 2> open_{~std::uint64_t{0}, (std::uint64_t{1} << (kCells - 64)) - 1};
    int openCount_ = kCells;
    // Open cells left with one digit or none, for propagate to fix or
    // refuse. A cell is listed when it gets down to one digit and when it
    // loses that, so at most twice in a board's life; one place more for
    // fix's write past the last entry.
    std::array<std::uint8_t, 2 * kCells + 1> pending_{};
    int pendingCount_ = 0;
};

// Digits 1..9 in reading order.
using Filling = std::array<std::int32_t, kCells>;

void record(const Board& board, Filling& filling) {
    for (int cell = 0; cell < kCells; ++cell) {
        filling[static_cast<std::size_t>(cell)] = std::countr_zero(board.candidates(cell)) + 1;
    }
}

int cellIndex(CellCode code) {
    return (cellRow(code) - 1) * kGridSize + (cellColumn(code) - 1);
}

// Depth first in list order: branches on the first open listed cell, its
// digits ascending, so the first completion it finds is the first in list
// order. Without the fewest-candidates choice a subtree with no completion
// can be large, so it gives up (-1) after budget branches; 1 when found (in
// filling), 0 when there is none.
int firstInListOrder(const Board& board, std::span<const std::uint8_t> listed, std::size_t from,
                     int& budget, Filling& filling) {
    while (from < listed.size() && !board.isOpen(listed[from])) {
        ++from;
    }
    if (from == listed.size()) {
        record(board, filling);
        return 1;
    }
    const int cell = listed[from];
    unsigned digits = board.candidates(cell);
    while (digits != 0) {
        const unsigned bit = digits & (0U - digits);
        digits ^= bit;
        if (--budget < 0) {
            return -1;
        }
        Board next = board;
        if (!next.fix(cell, bit) || !next.propagate()) {
            continue;
        }
        const int found = firstInListOrder(next, listed, from + 1, budget, filling);
        if (found != 0) {
            return found;
        }
    }
    return 0;
}

// Replaces filling, one completion of a puzzle with several (81 values: 0
// a blank, 1..9 a given), with the first in list order of the listed cells
// (indexes into the values).
void findFirstOfSeveral(const std::array<std::int32_t, kCells>& values,
                        std::span<const std::uint8_t> listed, Filling& filling,
                        int listOrderBudget = kListOrderBudget) {
    // Several fillings. Where there are many, a search in list order finds
    // the first at once. The givens do not clash, so fixing them cannot fail.
    Board board;
    for (int cell = 0; cell < kCells; ++cell) {
        const int digit = values[static_cast<std::size_t>(cell)];
        if (digit >= 1 && digit <= kGridSize) {
            board.fix(cell, 1U << (digit - 1));
        }
    }
    int budget = listOrderBudget;
    if (board.propagate() && firstInListOrder(board, listed, 0, budget, filling) == 1) {
        return;
    }
    // Otherwise: fix the listed cells in order, each to the smallest digit
    // that can still be completed. The filling in hand completes every
    // prefix fixed so far, so only the digits below its own need asking
    // about; once a prefix's completion is unique, it is the answer.
    std::array<std::int32_t, kCells> prefix = values;
    for (const std::uint8_t cell : listed) {
        const int known = filling[cell];
        bool moved = false;
        bool unique = false;
        for (int digit = 1; digit < known && !moved; ++digit) {
            prefix[cell] = digit;
            Filling trialFilling{};
            const CompletionCount trial = countCompletions(prefix, 2, trialFilling);
            if (!trial.clash && trial.completions > 0) {
                filling = trialFilling;
                moved = true;
                unique = trial.completions == 1;
            }
        }
        if (!moved) {
            prefix[cell] = known;
        }
        if (unique) {
            break;
        }
    }
}

}  // namespace

FirstSolution solveFirstInOrder(PuzzleState& puzzle, int listOrderBudget) {
    std::array<BlankSlot, kCells> slots{};
    std::array<std::uint8_t, kCells> listed{};
    std::size_t listedCount = 0;
    for (BlankSlot slot = kFirstSlot; puzzle.blanks.at(slot) != 0; slot = nextSlot(slot)) {
        slots[listedCount] = slot;
        listed[listedCount++] = static_cast<std::uint8_t>(cellIndex(puzzle.blanks.at(slot)));
    }
    std::array<std::int32_t, kCells> values{};
    for (int cell = 0; cell < kCells; ++cell) {
        values[static_cast<std::size_t>(cell)] =
            puzzle.grid.at(cell / kGridSize + 1, cell % kGridSize + 1);
    }

    Filling filling{};
    const CompletionCount counted = countCompletions(values, 2, filling);
    if (counted.clash) {
        puzzle.status = SolveStatus::Unsolvable;
        return {};
    }
    const bool several = counted.completions > 1;
    if (several) {
        findFirstOfSeveral(values, std::span(listed.data(), listedCount), filling, listOrderBudget);
    }
    const bool solvable = counted.completions > 0;
    for (std::size_t index = 0; index < listedCount; ++index) {
        const int cell = listed[index];
        puzzle.grid.set(cell / kGridSize + 1, cell % kGridSize + 1,
                        solvable ? filling[static_cast<std::size_t>(cell)] : kBlank);
    }
    if (!solvable) {
        puzzle.currentSlot = previousSlot(kFirstSlot);
        puzzle.status = SolveStatus::Unsolvable;
        return {};
    }
    puzzle.currentSlot = listedCount == 0 ? kFirstSlot : nextSlot(slots[listedCount - 1]);
    puzzle.status = SolveStatus::Solved;
    return {several};
}

FirstSolution solveFirstInReadingOrder(const std::array<std::int32_t, kCells>& puzzle,
                                       std::array<std::int32_t, kCells>& solution,
                                       SolveStatus& status) {
    // The count leaves solution untouched when there is no completion, and
    // its completion is the answer when it is the only one.
    const CompletionCount counted = countCompletions(puzzle, 2, solution);
    status = counted.completions > 0 ? SolveStatus::Solved : SolveStatus::Unsolvable;
    if (counted.completions < 2) {
        return {};
    }
    std::array<std::uint8_t, kCells> listed{};
    std::size_t listedCount = 0;
    for (std::size_t cell = 0; cell < puzzle.size(); ++cell) {
        if (puzzle[cell] == kBlank) {
            listed[listedCount++] = static_cast<std::uint8_t>(cell);
        }
    }
    findFirstOfSeveral(puzzle, std::span(listed.data(), listedCount), solution);
    return {.severalSolutions = true};
}

}  // namespace novemra
