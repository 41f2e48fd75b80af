// Making puzzles: a random solution, its givens taken away in a random
// order while one solution remains (so the puzzle is minimal), a pattern
// of givens with the symmetry asked for, and the level asked for.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "puzzle/grid.hpp"
#include "reason/step.hpp"

namespace novemra::generate {

// SplitMix64: the same numbers for a seed on every platform and library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number in [0, bound).
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }

    template <typename T, std::size_t N>
    void shuffle(std::array<T, N>& items) {
        for (std::size_t i = N - 1; i > 0; --i) {
            std::swap(items[i], items[static_cast<std::size_t>(below(static_cast<int>(i) + 1))]);
        }
    }

  private:
    std::uint64_t state_;
};

enum class Symmetry { None, Rotate180, Rotate90, Mirror, Diagonal, Random };

std::optional<Symmetry> symmetryNamed(std::string_view name);
std::optional<reason::Level> levelNamed(std::string_view name);

// The cells a cell's given comes and goes with under the symmetry (the
// cell itself first), as indexes 0..80; count says how many.
struct Orbit {
    std::array<std::uint8_t, 4> cells{};
    int count = 0;
};
Orbit orbitOf(int cell, Symmetry symmetry);

// A solution grid drawn at random.
CellValues randomSolution(Random& random);

// The solution's givens taken away orbit by orbit, in a random order, each
// while the puzzle keeps one solution: taking away any one orbit of what
// is left gives several. Symmetry must not be Random.
CellValues minimalPuzzle(const CellValues& solution, Symmetry symmetry, Random& random);

struct Made {
    CellValues puzzle{};
    reason::Level level = reason::Level::Easy;
};

// One puzzle of the level (any level when none is given), or nothing after
// `attempts` puzzles of other levels, or as soon as stop says so (asked
// before each attempt).
std::optional<Made> makePuzzle(Random& random, Symmetry symmetry,
                               std::optional<reason::Level> level, int attempts,
                               const std::function<bool()>& stop = {});

}  // namespace novemra::generate
