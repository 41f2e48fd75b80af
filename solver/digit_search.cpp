#include "solver/digit_search.hpp"

#include <bit>

#include "solver/digit_board.hpp"

namespace novemra {

namespace {

// Takes away every digit of an open cell whose placing the rules refute,
// until no probe refutes one. False when the board cannot be completed.
bool probeCandidates(DigitBoard& board) {
    for (bool changed = true; changed;) {
        changed = false;
        for (int band = 0; band < board::kBands; ++band) {
            for (std::uint32_t open = board.openInBand(band); open != 0; open &= open - 1) {
                const int cell = band * 27 + std::countr_zero(open);
                if (!board.isOpen(cell)) {
                    continue;  // placed by the rules after an earlier probe
                }
                for (unsigned digits = board.digitsOf(cell); digits != 0; digits &= digits - 1) {
                    const int digit = std::countr_zero(digits);
                    DigitBoard trial = board;
                    if (trial.place(digit, cell) && trial.propagate()) {
                        continue;
                    }
                    board.eliminate(digit, cell);
                    changed = true;
                    if (!board.propagate()) {
                        return false;
                    }
                    if (board.complete()) {
                        return true;
                    }
                    if (!board.isOpen(cell)) {
                        break;
                    }
                }
            }
        }
    }
    return true;
}

struct CountSearch {
    CellValues& first;
    SearchEffort& effort;
    bool recorded = false;
    // Branches of this count alone: the count of a board that has needed
    // few is neither weighed nor probed.
    std::int64_t branches = 0;
};

int countFrom(const DigitBoard& board, int limit, CountSearch& search) {
    if (board.complete()) {
        if (!search.recorded) {
            board.write(search.first);
            search.recorded = true;
        }
        return 1;
    }
    DigitBoard probed;
    const DigitBoard* from = &board;
    if (search.branches > kPlainBranches) {
        probed = board;
        if (!probeCandidates(probed)) {
            return 0;
        }
        if (probed.complete()) {
            return countFrom(probed, limit, search);
        }
        from = &probed;
    }
    // A board that needs few branches is not worth weighing its cells.
    const DigitBoard::Choice choice = search.branches > kUnweightedBranches
                                          ? from->weightedOpenCell(search.effort.failures)
                                          : from->narrowestOpenCell();
    int found = 0;
    for (unsigned digits = choice.digits; digits != 0 && found < limit; digits &= digits - 1) {
        if (!search.effort.branch()) {
            return found;
        }
        ++search.branches;
        DigitBoard next = *from;
        if (next.place(std::countr_zero(digits), choice.cell) && next.propagate()) {
            found += countFrom(next, limit - found, search);
        } else {
            ++search.effort.failures[static_cast<std::size_t>(choice.cell)];
        }
    }
    return found;
}

// Depth first in list order: branches on the first open listed cell, its
// digits ascending, so the first completion it finds is the first in list
// order.
ListOrderResult searchInListOrder(const DigitBoard& board, std::span<const std::uint8_t> listed,
                                  std::size_t from, int& budget, CellValues& first,
                                  SearchEffort& effort) {
    while (from < listed.size() && !board.isOpen(listed[from])) {
        ++from;
    }
    if (from == listed.size()) {
        board.write(first);
        return ListOrderResult::Found;
    }
    const int cell = listed[from];
    for (unsigned digits = board.digitsOf(cell); digits != 0; digits &= digits - 1) {
        if (--budget < 0 || !effort.branch()) {
            return ListOrderResult::GaveUp;
        }
        DigitBoard next = board;
        if (!next.place(std::countr_zero(digits), cell) || !next.propagate(false)) {
            continue;
        }
        const ListOrderResult found =
            searchInListOrder(next, listed, from + 1, budget, first, effort);
        if (found != ListOrderResult::None) {
            return found;
        }
    }
    return ListOrderResult::None;
}

}  // namespace

bool SearchEffort::branch() {
    if (stopped) {
        return false;
    }
    ++branches;
    // The terminal's poll is a load and a decrement when nothing is due, so
    // it is asked at every branch.
    stopped = stopRequested && stopRequested();
    return !stopped;
}

ListOrderResult firstInListOrder(const CellValues& values, std::span<const std::uint8_t> listed,
                                 int budget, CellValues& first, SearchEffort& effort) {
    DigitBoard board;
    if (!board.load(values) || !board.propagate(false)) {
        return ListOrderResult::None;
    }
    return searchInListOrder(board, listed, 0, budget, first, effort);
}

CompletionCount countCompletions(const CellValues& values, int limit, CellValues& first,
                                 SearchEffort& effort) {
    DigitBoard board;
    if (!board.load(values)) {
        return {.clash = true};
    }
    if (!board.propagate()) {
        return {};
    }
    CountSearch search{first, effort};
    return {.completions = countFrom(board, limit, search)};
}

bool completesOtherwise(const CellValues& values, int cell, int digit) {
    DigitBoard board;
    if (!board.load(values)) {
        return false;
    }
    board.eliminate(digit - 1, cell);
    if (!board.propagate()) {
        return false;
    }
    SearchEffort effort;
    CellValues first{};
    CountSearch search{first, effort};
    return countFrom(board, 1, search) > 0;
}

CompletionCount countCompletions(const CellValues& values, int limit, CellValues& first) {
    SearchEffort effort;
    return countCompletions(values, limit, first, effort);
}

}  // namespace novemra
