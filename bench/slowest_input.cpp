// Hunts for the inputs the answer engine is slowest on, and prints the worst
// it found for each kind (several solutions, none, one), never judged:
// hill climbing on the engine's time, from seeded random starts, over
// rearrangements that keep a puzzle's kind (relabelling, row, column, band
// and stack swaps, transposition) and over moving, adding and taking away
// one given. A step is kept when the engine takes longer on the new input
// and the input is still of the kind hunted.
//
//   novemra_slowest_input [--starts N] [--steps N] [--seed N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "solver/first_solution.hpp"
#include "support/puzzle_builder.hpp"
#include "support/rearrange.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using novemra::CellValues;
using novemra::testing::SeededRandom;

enum class Kind { Several, None, One };

constexpr std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::Several:
            return "several solutions";
        case Kind::None:
            return "no solution";
        case Kind::One:
            return "one solution";
    }
    return "";
}

CellValues valuesOf(const std::string& cells) {
    CellValues values{};
    for (std::size_t cell = 0; cell < values.size(); ++cell) {
        values[cell] = cells[cell] - '0';
    }
    return values;
}

struct Timed {
    Kind kind = Kind::None;
    double microseconds = 0;
};

// The engine's answer as --solve asks for it: the best of a few runs, so
// that a preempted run does not pass for a slow input.
Timed timeEngine(const std::string& cells, int runs) {
    const CellValues values = valuesOf(cells);
    Timed timed{.microseconds = 1e18};
    for (int run = 0; run < runs; ++run) {
        CellValues solution{};
        novemra::SolveStatus status = novemra::SolveStatus::NotSolved;
        const auto start = Clock::now();
        const novemra::FirstSolution answer =
            novemra::solveFirstInReadingOrder(values, solution, status);
        const double took = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        timed.microseconds = std::min(timed.microseconds, took);
        timed.kind = status != novemra::SolveStatus::Solved ? Kind::None
                     : answer.severalSolutions              ? Kind::Several
                                                            : Kind::One;
    }
    return timed;
}

bool clashesAt(const std::string& cells, int at, char digit) {
    const int row = at / 9;
    const int column = at % 9;
    for (int other = 0; other < 81; ++other) {
        const int otherRow = other / 9;
        const int otherColumn = other % 9;
        const bool peer =
            other != at && (otherRow == row || otherColumn == column ||
                            (otherRow / 3 == row / 3 && otherColumn / 3 == column / 3));
        if (peer && cells[static_cast<std::size_t>(other)] == digit) {
            return true;
        }
    }
    return false;
}

// A blank cell, or -1 when there is none.
int randomCell(const std::string& cells, SeededRandom& random, bool given) {
    for (int tries = 0; tries < 200; ++tries) {
        const int cell = random.below(81);
        if ((cells[static_cast<std::size_t>(cell)] != '0') == given) {
            return cell;
        }
    }
    return -1;
}

void addGiven(std::string& cells, SeededRandom& random) {
    const int cell = randomCell(cells, random, false);
    if (cell < 0) {
        return;
    }
    const char digit = static_cast<char>('1' + random.below(9));
    if (!clashesAt(cells, cell, digit)) {
        cells[static_cast<std::size_t>(cell)] = digit;
    }
}

void removeGiven(std::string& cells, SeededRandom& random) {
    const int cell = randomCell(cells, random, true);
    if (cell >= 0) {
        cells[static_cast<std::size_t>(cell)] = '0';
    }
}

std::string mutated(const std::string& cells, SeededRandom& random) {
    std::string next = cells;
    switch (random.below(4)) {
        case 0:
            return novemra::testing::rearranged(cells, random);
        case 1:
            removeGiven(next, random);
            addGiven(next, random);
            break;
        case 2:
            addGiven(next, random);
            break;
        default:
            removeGiven(next, random);
            break;
    }
    return next;
}

// A random start of the kind: givens kept from a rearranged Sudoku, and for
// "no solution" one wrong digit that clashes with no given.
std::string startOf(Kind kind, SeededRandom& random) {
    for (;;) {
        const std::string solved =
            novemra::testing::rearranged(novemra::testing::kSolvedSudoku, random);
        const int givens = kind == Kind::Several ? 12 + random.below(14)
                           : kind == Kind::One   ? 24 + random.below(8)
                                                 : 14 + random.below(16);
        std::string cells(81, '0');
        for (int placed = 0; placed < givens;) {
            const auto cell = static_cast<std::size_t>(random.below(81));
            if (cells[cell] == '0') {
                cells[cell] = solved[cell];
                ++placed;
            }
        }
        if (kind == Kind::None) {
            addGiven(cells, random);
        }
        if (timeEngine(cells, 1).kind == kind) {
            return cells;
        }
    }
}

long argument(int argc, char** argv, std::string_view name, long fallback) {
    for (int at = 1; at + 1 < argc; ++at) {
        if (argv[at] == name) {
            return std::strtol(argv[at + 1], nullptr, 10);
        }
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const long starts = argument(argc, argv, "--starts", 20);
    const long steps = argument(argc, argv, "--steps", 400);
    SeededRandom random(static_cast<std::uint64_t>(argument(argc, argv, "--seed", 38)));
    std::printf("Hill climbing on engine time: %ld starts of %ld steps for each kind\n", starts,
                steps);
    double worstOfAll = 0;
    for (const Kind kind : {Kind::Several, Kind::None, Kind::One}) {
        std::string worst;
        double worstTime = 0;
        for (long start = 0; start < starts; ++start) {
            std::string current = startOf(kind, random);
            double currentTime = timeEngine(current, 3).microseconds;
            for (long step = 0; step < steps; ++step) {
                const std::string next = mutated(current, random);
                const Timed quick = timeEngine(next, 1);
                if (quick.kind != kind || quick.microseconds <= currentTime) {
                    continue;
                }
                const Timed timed = timeEngine(next, 3);
                if (timed.microseconds > currentTime) {
                    current = next;
                    currentTime = timed.microseconds;
                }
            }
            if (currentTime > worstTime) {
                worst = current;
                worstTime = currentTime;
            }
        }
        worstOfAll = std::max(worstOfAll, worstTime);
        std::printf("  %-18s worst %9.1f us  %s\n", std::string(kindName(kind)).c_str(), worstTime,
                    worst.c_str());
    }
    std::printf("Slowest input found: %.2f ms (goal: under 10 ms)\n", worstOfAll / 1000);
    return 0;
}
