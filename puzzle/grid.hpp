// The puzzle model: the grid of cell values, cell codes, the blank list with
// its slot numbering, and the solve status. Plain data, no screen, no I/O.
#pragma once

#include <array>
#include <cstdint>

namespace novemra {

constexpr int kGridSize = 9;
constexpr int kCellCount = kGridSize * kGridSize;

// 81 cell values in reading order (row 1 first, column 1 first in a row).
using CellValues = std::array<std::int32_t, kCellCount>;

// Cell values: 0 is a blank, 1..9 a digit, -1 the entry cursor while typing.
constexpr int kBlank = 0;
constexpr int kEntryCursor = -1;

// Nine rows by nine columns, addressed 1-based as (row, column).
class Grid {
  public:
    int at(int row, int column) const { return cells_[index(row, column)]; }
    void set(int row, int column, int value) { cells_[index(row, column)] = value; }
    void fill(int value) { cells_.fill(value); }

    bool operator==(const Grid&) const = default;

  private:
    static constexpr int index(int row, int column) { return (row - 1) * kGridSize + (column - 1); }
    CellValues cells_{};
};

// A cell is named by row * 10 + column: 11..19 for row 1 up to 91..99.
// Code 0 is never a cell; in the blank list it marks the end.
using CellCode = std::int32_t;

constexpr CellCode cellCode(int row, int column) {
    return row * 10 + column;
}
constexpr int cellRow(CellCode code) {
    return code / 10;
}
constexpr int cellColumn(CellCode code) {
    return code - cellRow(code) * 10;
}

// Slots of the blank list are numbered like cell codes: 11..19, 21..29, ...
// 91..99. Numbers that are multiples of 10 are skipped.
using BlankSlot = std::int32_t;

constexpr BlankSlot kFirstSlot = 11;
// One past slot 99; it is never written and so always ends a full list.
constexpr BlankSlot kLastListSlot = 101;

constexpr BlankSlot nextSlot(BlankSlot slot) {
    const BlankSlot next = slot + 1;
    return next % 10 == 0 ? next + 1 : next;
}

constexpr BlankSlot previousSlot(BlankSlot slot) {
    const BlankSlot previous = slot - 1;
    return previous % 10 == 0 ? previous - 1 : previous;
}

// The cells the solver has to fill, by slot. Slot content 0 ends the list.
class BlankList {
  public:
    CellCode at(BlankSlot slot) const { return slots_[static_cast<std::size_t>(slot)]; }
    void set(BlankSlot slot, CellCode code) { slots_[static_cast<std::size_t>(slot)] = code; }
    void clear() { slots_.fill(0); }

    bool operator==(const BlankList&) const = default;

  private:
    // Slots 0..101 exist so that every slot number the loaders and the solver
    // can reach, including the end mark in slot 101, is inside the array.
    std::array<CellCode, kLastListSlot + 1> slots_{};
};

enum class SolveStatus : std::int32_t { NotSolved = 0, Solved = 1, Unsolvable = 2 };

// The puzzle part of the program state, reset at the start of every run.
struct PuzzleState {
    Grid grid;
    BlankList blanks;
    BlankSlot currentSlot = kFirstSlot;
    SolveStatus status = SolveStatus::NotSolved;
};

// Empties the grid and the blank list and forgets the last outcome.
void resetPuzzle(PuzzleState& puzzle);

// Lists the cell in the slot under the current slot pointer and moves the
// pointer on to the next slot.
void appendBlank(PuzzleState& puzzle, int row, int column);

// Calls visit(slot, code) for each listed cell, from the first slot up to
// the 0 that ends the list.
template <typename Visit>
void forEachListed(const BlankList& blanks, Visit&& visit) {
    for (BlankSlot slot = kFirstSlot; slot < kLastListSlot && blanks.at(slot) != 0;
         slot = nextSlot(slot)) {
        visit(slot, blanks.at(slot));
    }
}

}  // namespace novemra
