#include "reason/explainer.hpp"

#include <array>
#include <bit>

#include "reason/board.hpp"
#include "reason/techniques.hpp"
#include "solver/digit_search.hpp"

namespace novemra::reason {

namespace {

struct Family {
    Technique technique;
    Finder find;
};

constexpr std::array<Family, kTechniqueCount - 1> kFamilies{{
    {Technique::FullHouse, findFullHouses},
    {Technique::NakedSingle, findNakedSingles},
    {Technique::HiddenSingle, findHiddenSingles},
    {Technique::Pointing, findPointing},
    {Technique::Claiming, findClaiming},
    {Technique::NakedPair, findNakedPairs},
    {Technique::HiddenPair, findHiddenPairs},
    {Technique::NakedTriple, findNakedTriples},
    {Technique::HiddenTriple, findHiddenTriples},
    {Technique::XWing, findXWings},
    {Technique::Skyscraper, findSkyscrapers},
    {Technique::TwoStringKite, findTwoStringKites},
    {Technique::XYWing, findXYWings},
    {Technique::XYZWing, findXYZWings},
    {Technique::WWing, findWWings},
    {Technique::EmptyRectangle, findEmptyRectangles},
    {Technique::RemotePair, findRemotePairs},
    {Technique::NakedQuad, findNakedQuads},
    {Technique::HiddenQuad, findHiddenQuads},
    {Technique::Swordfish, findSwordfish},
    {Technique::SimpleColouring, findSimpleColouring},
    {Technique::UniqueRectangle, findUniqueRectangles},
    {Technique::BugPlusOne, findBugPlusOne},
    {Technique::Jellyfish, findJellyfish},
    {Technique::FinnedXWing, findFinnedXWings},
    {Technique::FinnedSwordfish, findFinnedSwordfish},
    {Technique::XChain, findXChains},
    {Technique::XYChain, findXYChains},
    {Technique::AlsXz, findAlsXz},
    {Technique::AlternatingChain, findAlternatingChains},
}};

// What a step still does on the board: placements of open cells and
// eliminations of candidates still there. False when it does nothing.
bool keepNewEffects(const Board& board, Step& step) {
    std::erase_if(step.placements, [&](const Placement& p) { return !board.open(p.cell); });
    std::erase_if(step.eliminations,
                  [&](const Elimination& e) { return !board.has(e.cell, e.digit); });
    return !step.placements.empty() || !step.eliminations.empty();
}

bool agreesWithSolution(const Step& step, const CellValues& solution) {
    for (const Placement& p : step.placements) {
        if (solution[p.cell] != p.digit) {
            return false;
        }
    }
    for (const Elimination& e : step.eliminations) {
        if (solution[e.cell] == e.digit) {
            return false;
        }
    }
    return true;
}

void apply(Board& board, const Step& step) {
    for (const Elimination& e : step.eliminations) {
        board.eliminate(e.cell, e.digit);
    }
    for (const Placement& p : step.placements) {
        if (board.open(p.cell)) {
            board.place(p.cell, p.digit);
        }
    }
}

// How many cells singles alone fill after the cell takes its digit.
int unlocked(Board board, int cell, int digit) {
    board.place(cell, digit);
    int filled = 0;
    for (bool moved = true; moved;) {
        moved = false;
        for (int open = 0; open < kCellCount; ++open) {
            if (board.open(open) && digitCount(board.candidates(open)) == 1) {
                board.place(open, firstDigit(board.candidates(open)));
                ++filled;
                moved = true;
            }
        }
        for (int unit = 0; unit < kUnitCount; ++unit) {
            for (int d = 1; d <= 9; ++d) {
                const unsigned positions = board.positions(unit, d);
                if (bitCount(positions) == 1) {
                    board.place(kUnits[static_cast<std::size_t>(unit)]
                                      [static_cast<std::size_t>(std::countr_zero(positions))],
                                d);
                    ++filled;
                    moved = true;
                }
            }
        }
    }
    return filled;
}

// The trial: the solution's digit in every open cell that unlocks the
// most, all at once so that no order of the cells decides.
Step trial(const Board& board, const CellValues& solution) {
    Step step{Technique::Trial, {}, {}, {}};
    int best = -1;
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (!board.open(cell)) {
            continue;
        }
        const int digit = solution[static_cast<std::size_t>(cell)];
        const int filled = unlocked(board, cell, digit);
        if (filled > best) {
            best = filled;
            step.placements.clear();
        }
        if (filled == best) {
            step.placements.push_back(
                {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(digit)});
        }
    }
    step.reason = "no technique moves; the solution's digit, which lets singles fill " +
                  std::to_string(best) + (best == 1 ? " cell" : " cells");
    return step;
}

// Why a puzzle has no solution, as far as the givens show it.
std::string whyUnsolvable(const CellValues& puzzle) {
    const Board board = Board::fromPuzzle(puzzle);
    for (int cell = 0; cell < kCellCount; ++cell) {
        const int value = puzzle[static_cast<std::size_t>(cell)];
        if (value != 0) {
            for (int other = cell + 1; other < kCellCount; ++other) {
                if (sees(cell, other) && puzzle[static_cast<std::size_t>(other)] == value) {
                    return cellName(cell) + " and " + cellName(other) + " both hold " +
                           std::to_string(value);
                }
            }
        } else if (board.candidates(cell) == 0) {
            return cellName(cell) + " has no candidate left";
        }
    }
    for (int unit = 0; unit < kUnitCount; ++unit) {
        for (int digit = 1; digit <= 9; ++digit) {
            bool placed = false;
            for (const std::uint8_t cell : kUnits[static_cast<std::size_t>(unit)]) {
                placed = placed || board.value(cell) == digit;
            }
            if (!placed && board.positions(unit, digit) == 0) {
                return "no place for " + std::to_string(digit) + " in " + unitName(unit);
            }
        }
    }
    return "no filling of the blanks keeps every digit once in each row, column and box";
}

}  // namespace

Explanation explain(const CellValues& puzzle, Level stopAbove) {
    Explanation result;
    const CompletionCount counted = countCompletions(puzzle, 2, result.solution);
    if (counted.clash || counted.completions == 0) {
        result.outcome = Explanation::Outcome::Unsolvable;
        result.unsolvable = whyUnsolvable(puzzle);
        return result;
    }
    if (counted.completions > 1) {
        result.outcome = Explanation::Outcome::SeveralSolutions;
        return result;
    }
    Board board = Board::fromPuzzle(puzzle);
    const auto useRound = [&](Technique technique) {
        result.score += techniqueInfo(technique).weight;
        if (static_cast<int>(techniqueInfo(technique).level) > static_cast<int>(result.level) ||
            (techniqueInfo(technique).level == result.level &&
             static_cast<int>(technique) > static_cast<int>(result.hardest))) {
            result.level = techniqueInfo(technique).level;
            result.hardest = technique;
        }
    };
    while (board.openCount() > 0) {
        bool moved = false;
        for (const Family& family : kFamilies) {
            if (techniqueInfo(family.technique).level > stopAbove) {
                result.stoppedAbove = true;
                useRound(family.technique);
                return result;
            }
            std::vector<Step> found;
            family.find(board, found);
            for (Step& step : found) {
                if (!keepNewEffects(board, step)) {
                    continue;
                }
                if (!agreesWithSolution(step, result.solution)) {
                    ++result.rejected;
                    continue;
                }
                apply(board, step);
                result.steps.push_back(std::move(step));
                moved = true;
            }
            if (moved) {
                useRound(family.technique);
                break;
            }
        }
        if (!moved) {
            if (stopAbove < Level::Extreme) {
                result.stoppedAbove = true;
                useRound(Technique::Trial);
                return result;
            }
            Step step = trial(board, result.solution);
            apply(board, step);
            result.steps.push_back(std::move(step));
            useRound(Technique::Trial);
        }
    }
    return result;
}

}  // namespace novemra::reason
