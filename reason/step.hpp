// One step of reasoning: the technique that found it, what it reasons
// from, and what it does (digits placed, candidates taken away).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace novemra::reason {

// In the order they are tried: simplest first.
enum class Technique : std::uint8_t {
    FullHouse,
    NakedSingle,
    HiddenSingle,
    Pointing,
    Claiming,
    NakedPair,
    HiddenPair,
    NakedTriple,
    HiddenTriple,
    XWing,
    Skyscraper,
    TwoStringKite,
    XYWing,
    XYZWing,
    WWing,
    EmptyRectangle,
    RemotePair,
    NakedQuad,
    HiddenQuad,
    Swordfish,
    SimpleColouring,
    UniqueRectangle,
    BugPlusOne,
    Jellyfish,
    FinnedXWing,
    FinnedSwordfish,
    XChain,
    XYChain,
    AlsXz,
    AlternatingChain,
    Trial,
};
constexpr int kTechniqueCount = static_cast<int>(Technique::Trial) + 1;

// The levels as the Sudoku community groups the techniques.
enum class Level : std::uint8_t { Easy, Medium, Hard, Unfair, Extreme };

struct TechniqueInfo {
    std::string_view name;
    Level level;
    // What one round of the technique adds to a puzzle's score.
    int weight;
};

const TechniqueInfo& techniqueInfo(Technique technique);
std::string_view levelName(Level level);

struct Placement {
    std::uint8_t cell;
    std::uint8_t digit;
};
struct Elimination {
    std::uint8_t cell;
    std::uint8_t digit;
};

struct Step {
    Technique technique;
    // What the step reasons from, in words; never names a cell together
    // with "=" or "<>" and a digit, which only effects are written as.
    std::string reason;
    std::vector<Placement> placements;
    std::vector<Elimination> eliminations;
};

// The step as one line: "Hidden single: r5c8=9 (the only 9 in box 6)", or
// "X-Wing: 5 in r2,r7 and c3,c8 => r4c3<>5, r9c8<>5".
std::string stepLine(const Step& step);

}  // namespace novemra::reason
