#include "solver/first_solution.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <span>

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
    // a digit with one cell left in a row, column or box) and takes out the
    // digits that locked candidates rule out (a digit that a box holds only
    // in one of its rows or columns, or a row or column only in one box).
    // False when the board cannot be completed. Locked candidates cost more
    // than they find on a board with many completions, so a search that
    // expects many can leave them out.
    bool propagate(bool withLockedCandidates = true) {
        for (;;) {
            if (!fixNakedSingles()) {
                return false;
            }
            if (openCount_ == 0) {
                return true;
            }
            Progress progress = fixHiddenSingles();
            if (progress == Progress::None && withLockedCandidates) {
                progress = removeLockedCandidates();
            }
            if (progress == Progress::Impossible) {
                return false;
            }
            if (progress == Progress::None) {
                return true;
            }
        }
    }

    bool complete() const { return openCount_ == 0; }

    // The open cell with the fewest digits left.
    int narrowestOpenCell() const {
        int best = -1;
        int bestCount = kGridSize + 1;
        for (int word = 0; word < 2; ++word) {
            std::uint64_t open = open_[word];
            while (open != 0) {
                const int cell = word * 64 + std::countr_zero(open);
                open &= open - 1;
                const int count = std::popcount(static_cast<unsigned>(candidates_[cell]));
                if (count < bestCount) {
                    best = cell;
                    bestCount = count;
                    if (count == 2) {
                        return best;
                    }
                }
            }
        }
        return best;
    }

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

    // Takes the digits in mask out of three open cells, counting each cell
    // that loses any in removed.
    bool removeFrom(int first, int step, unsigned mask, int& removed) {
        for (int i = 0, cell = first; i < 3; ++i, cell += step) {
            const unsigned before = candidates_[cell];
            if ((before & mask) == 0) {
                continue;
            }
            const unsigned left = before & ~mask;
            if (left == 0 || (left & kFixedMark) != 0) {
                return false;
            }
            candidates_[cell] = static_cast<std::uint16_t>(left);
            ++removed;
            if (single(left)) {
                pending_[pendingCount_++] = static_cast<std::uint8_t>(cell);
            }
        }
        return true;
    }

    Progress removeLockedCandidates() {
        // The digits of each third of a row (row, stack) and of a column
        // (column, band).
        std::array<std::array<unsigned, 3>, kGridSize> rowThird{};
        std::array<std::array<unsigned, 3>, kGridSize> columnThird{};
        for (int line = 0; line < kGridSize; ++line) {
            for (int third = 0; third < 3; ++third) {
                const int rowStart = line * kGridSize + third * 3;
                rowThird[line][third] = static_cast<unsigned>(
                    candidates_[rowStart] | candidates_[rowStart + 1] | candidates_[rowStart + 2]);
                const int columnStart = third * 3 * kGridSize + line;
                columnThird[line][third] =
                    static_cast<unsigned>(candidates_[columnStart] |
                                          candidates_[columnStart + kGridSize] |
                                          candidates_[columnStart + 2 * kGridSize]) &
                    kAllDigits;
            }
        }
        int removed = 0;
        const auto remove = [&](int first, int step, unsigned mask) {
            return mask == 0 || removeFrom(first, step, mask, removed);
        };
        for (int band = 0; band < 3; ++band) {
            for (int stack = 0; stack < 3; ++stack) {
                const int box = band * 3 + stack;
                const unsigned fixedInBox = fixedIn_[2 * kGridSize + box];
                for (int i = 0; i < 3; ++i) {
                    const int row = band * 3 + i;
                    const int column = stack * 3 + i;
                    // In the box, only in this row (column): not elsewhere
                    // in the row (column).
                    const unsigned inRow = rowThird[row][stack] &
                                           ~(rowThird[band * 3 + (i + 1) % 3][stack] |
                                             rowThird[band * 3 + (i + 2) % 3][stack]) &
                                           ~fixedInBox;
                    const unsigned inColumn = columnThird[column][band] &
                                              ~(columnThird[stack * 3 + (i + 1) % 3][band] |
                                                columnThird[stack * 3 + (i + 2) % 3][band]) &
                                              ~fixedInBox;
                    // In the row (column), only in this box: not elsewhere
                    // in the box.
                    const unsigned rowInBox =
                        rowThird[row][stack] &
                        ~(rowThird[row][(stack + 1) % 3] | rowThird[row][(stack + 2) % 3]) &
                        ~static_cast<unsigned>(fixedIn_[row]);
                    const unsigned columnInBox =
                        columnThird[column][band] &
                        ~(columnThird[column][(band + 1) % 3] |
                          columnThird[column][(band + 2) % 3]) &
                        ~static_cast<unsigned>(fixedIn_[kGridSize + column]);
                    for (int other = 1; other < 3; ++other) {
                        const int otherStack = (stack + other) % 3;
                        const int otherBand = (band + other) % 3;
                        const int otherRow = band * 3 + (i + other) % 3;
                        const int otherColumn = stack * 3 + (i + other) % 3;
                        if (!remove(row * kGridSize + otherStack * 3, 1, inRow) ||
                            !remove(otherBand * 3 * kGridSize + column, kGridSize, inColumn) ||
                            !remove(otherRow * kGridSize + stack * 3, 1, rowInBox) ||
                            !remove(band * 3 * kGridSize + otherColumn, kGridSize, columnInBox)) {
                            return Progress::Impossible;
                        }
                    }
                }
            }
        }
        return removed > 0 ? Progress::Some : Progress::None;
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

using Filling = std::array<std::uint16_t, kCells>;

void record(const Board& board, Filling& filling) {
    for (int cell = 0; cell < kCells; ++cell) {
        filling[cell] = static_cast<std::uint16_t>(board.candidates(cell));
    }
}

// Counts the completions of a propagated board, up to limit, and keeps the
// first one found in first.
int countCompletions(const Board& board, int limit, Filling& first) {
    if (board.complete()) {
        record(board, first);
        return 1;
    }
    const int cell = board.narrowestOpenCell();
    int found = 0;
    unsigned digits = board.candidates(cell);
    while (digits != 0) {
        const unsigned bit = digits & (0U - digits);
        digits ^= bit;
        Board next = board;
        if (!next.fix(cell, bit) || !next.propagate()) {
            continue;
        }
        Filling unused;
        found += countCompletions(next, limit - found, found == 0 ? first : unused);
        if (found >= limit) {
            break;
        }
    }
    return found;
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
        if (!next.fix(cell, bit) || !next.propagate(false)) {
            continue;
        }
        const int found = firstInListOrder(next, listed, from + 1, budget, filling);
        if (found != 0) {
            return found;
        }
    }
    return 0;
}

// The first filling in list order of the listed cells (indexes into the
// 81 values, which hold 0 for a blank and 1..9 for a given).
struct FirstFilling {
    bool clash = false;
    bool solvable = false;
    bool several = false;
};

FirstFilling findFirstFilling(const std::array<std::int32_t, kCells>& values,
                              std::span<const std::uint8_t> listed, Filling& filling,
                              int listOrderBudget = kListOrderBudget) {
    // Fixing a given fails only on a peer given with the same digit: no
    // rule runs before propagate.
    Board board;
    for (int cell = 0; cell < kCells; ++cell) {
        const int digit = values[static_cast<std::size_t>(cell)];
        if (digit >= 1 && digit <= kGridSize && !board.fix(cell, 1U << (digit - 1))) {
            return {.clash = true};
        }
    }
    const int completions = board.propagate() ? countCompletions(board, 2, filling) : 0;
    if (completions < 2) {
        return {.solvable = completions == 1};
    }
    // Several fillings. Where there are many, a search in list order finds
    // the first at once.
    int budget = listOrderBudget;
    if (firstInListOrder(board, listed, 0, budget, filling) == 1) {
        return {.solvable = true, .several = true};
    }
    // Otherwise: fix the listed cells in order, each to the smallest
    // digit that can still be completed. The filling in hand is a completion
    // of every prefix fixed so far, so only the digits below its own need
    // asking about; once the solver finds a prefix's completion unique,
    // that completion is the answer.
    for (const std::uint8_t cell : listed) {
        if (!board.isOpen(cell)) {
            continue;
        }
        const unsigned known = filling[cell];
        unsigned smaller = board.candidates(cell) & (known - 1);
        bool unique = false;
        bool moved = false;
        while (smaller != 0 && !moved) {
            const unsigned bit = smaller & (0U - smaller);
            smaller ^= bit;
            Board trial = board;
            Filling trialFilling{};
            if (!trial.fix(cell, bit) || !trial.propagate()) {
                continue;
            }
            const int count = countCompletions(trial, 2, trialFilling);
            if (count > 0) {
                board = trial;
                filling = trialFilling;
                moved = true;
                unique = count == 1;
            }
        }
        if (unique) {
            break;
        }
        if (!moved) {
            // The filling in hand completes this digit, so fixing it
            // cannot fail.
            board.fix(cell, known);
            board.propagate();
        }
    }
    return {.solvable = true, .several = true};
}

int digitOf(unsigned bit) {
    return std::countr_zero(bit) + 1;
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
    const FirstFilling found =
        findFirstFilling(values, std::span(listed.data(), listedCount), filling, listOrderBudget);
    if (found.clash) {
        puzzle.status = SolveStatus::Unsolvable;
        return {};
    }
    for (std::size_t index = 0; index < listedCount; ++index) {
        const int cell = listed[index];
        puzzle.grid.set(cell / kGridSize + 1, cell % kGridSize + 1,
                        found.solvable ? digitOf(filling[static_cast<std::size_t>(cell)]) : kBlank);
    }
    if (!found.solvable) {
        puzzle.currentSlot = previousSlot(kFirstSlot);
        puzzle.status = SolveStatus::Unsolvable;
        return {};
    }
    puzzle.currentSlot = listedCount == 0 ? kFirstSlot : nextSlot(slots[listedCount - 1]);
    puzzle.status = SolveStatus::Solved;
    return {found.several};
}

FirstSolution solveFirstInReadingOrder(const std::array<std::int32_t, kCells>& puzzle,
                                       std::array<std::int32_t, kCells>& solution,
                                       SolveStatus& status) {
    std::array<std::uint8_t, kCells> listed{};
    std::size_t listedCount = 0;
    for (std::size_t cell = 0; cell < puzzle.size(); ++cell) {
        if (puzzle[cell] == kBlank) {
            listed[listedCount++] = static_cast<std::uint8_t>(cell);
        }
    }
    Filling filling{};
    const FirstFilling found =
        findFirstFilling(puzzle, std::span(listed.data(), listedCount), filling);
    status = found.solvable ? SolveStatus::Solved : SolveStatus::Unsolvable;
    if (found.solvable) {
        for (std::size_t cell = 0; cell < puzzle.size(); ++cell) {
            solution[cell] = digitOf(filling[cell]);
        }
    }
    return {found.several};
}

}  // namespace novemra
