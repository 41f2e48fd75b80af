#include "generate/generator.hpp"

#include <array>
#include <numeric>

#include "reason/explainer.hpp"
#include "solver/digit_search.hpp"

namespace novemra::generate {

namespace {

bool unique(const CellValues& puzzle) {
    CellValues first{};
    const CompletionCount count = countCompletions(puzzle, 2, first);
    return !count.clash && count.completions == 1;
}

}  // namespace

std::optional<Symmetry> symmetryNamed(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, Symmetry>, 6> kNames{{
        {"none", Symmetry::None},
        {"rotate180", Symmetry::Rotate180},
        {"rotate90", Symmetry::Rotate90},
        {"mirror", Symmetry::Mirror},
        {"diagonal", Symmetry::Diagonal},
        {"random", Symmetry::Random},
    }};
    for (const auto& [known, symmetry] : kNames) {
        if (name == known) {
            return symmetry;
        }
    }
    return std::nullopt;
}

std::optional<reason::Level> levelNamed(std::string_view name) {
    for (int level = 0; level <= static_cast<int>(reason::Level::Extreme); ++level) {
        if (name == reason::levelName(static_cast<reason::Level>(level))) {
            return static_cast<reason::Level>(level);
        }
    }
    return std::nullopt;
}

Orbit orbitOf(int cell, Symmetry symmetry) {
    Orbit orbit;
    const auto add = [&orbit](int row, int column) {
        const auto at = static_cast<std::uint8_t>(row * 9 + column);
        for (int i = 0; i < orbit.count; ++i) {
            if (orbit.cells[static_cast<std::size_t>(i)] == at) {
                return;
            }
        }
        orbit.cells[static_cast<std::size_t>(orbit.count++)] = at;
    };
    const int row = cell / 9;
    const int column = cell % 9;
    add(row, column);
    switch (symmetry) {
        case Symmetry::Rotate180:
            add(8 - row, 8 - column);
            break;
        case Symmetry::Rotate90:
            add(column, 8 - row);
            add(8 - row, 8 - column);
            add(8 - column, row);
            break;
        case Symmetry::Mirror:
            add(row, 8 - column);
            break;
        case Symmetry::Diagonal:
            add(column, row);
            break;
        case Symmetry::None:
        case Symmetry::Random:
            break;
    }
    return orbit;
}

CellValues randomSolution(Random& random) {
    // Random givens kept while the grid stays solvable, then the engine's
    // completion of them.
    CellValues grid{};
    std::array<int, kCellCount> order{};
    std::iota(order.begin(), order.end(), 0);
    random.shuffle(order);
    int placed = 0;
    for (const int cell : order) {
        if (placed == 24) {
            break;
        }
        const auto at = static_cast<std::size_t>(cell);
        grid[at] = 1 + random.below(9);
        CellValues first{};
        const CompletionCount count = countCompletions(grid, 1, first);
        if (count.clash || count.completions == 0) {
            grid[at] = 0;
        } else {
            ++placed;
        }
    }
    CellValues solution{};
    countCompletions(grid, 1, solution);
    return solution;
}

CellValues minimalPuzzle(const CellValues& solution, Symmetry symmetry, Random& random) {
    CellValues puzzle = solution;
    std::array<int, kCellCount> order{};
    std::iota(order.begin(), order.end(), 0);
    random.shuffle(order);
    for (const int cell : order) {
        if (puzzle[static_cast<std::size_t>(cell)] == 0) {
            continue;  // its orbit is gone already
        }
        const Orbit orbit = orbitOf(cell, symmetry);
        for (int i = 0; i < orbit.count; ++i) {
            puzzle[orbit.cells[static_cast<std::size_t>(i)]] = 0;
        }
        // One cell: a second solution is one with another digit there,
        // which a search refutes sooner than it counts to two.
        const bool several =
            orbit.count == 1
                ? completesOtherwise(puzzle, cell, solution[static_cast<std::size_t>(cell)])
                : !unique(puzzle);
        if (several) {
            for (int i = 0; i < orbit.count; ++i) {
                const std::uint8_t at = orbit.cells[static_cast<std::size_t>(i)];
                puzzle[at] = solution[at];
            }
        }
    }
    return puzzle;
}

std::optional<Made> makePuzzle(Random& random, Symmetry symmetry,
                               std::optional<reason::Level> level, int attempts,
                               const std::function<bool()>& stop) {
    static constexpr std::array<Symmetry, 4> kDrawn{Symmetry::Rotate180, Symmetry::Rotate90,
                                                    Symmetry::Mirror, Symmetry::Diagonal};
    // Each solution is dug a few times, in different orders, before the
    // next is drawn: a solution costs more than a dig.
    constexpr int kDigsPerSolution = 8;
    CellValues solution{};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (stop && stop()) {
            return std::nullopt;
        }
        if (attempt % kDigsPerSolution == 0) {
            solution = randomSolution(random);
        }
        const Symmetry used = symmetry == Symmetry::Random
                                  ? kDrawn[static_cast<std::size_t>(random.below(4))]
                                  : symmetry;
        Made made;
        made.puzzle = minimalPuzzle(solution, used, random);
        const reason::Explanation explanation =
            reason::explain(made.puzzle, level.value_or(reason::Level::Extreme));
        made.level = explanation.level;
        if (!level || made.level == *level) {
            return made;
        }
    }
    return std::nullopt;
}

}  // namespace novemra::generate
