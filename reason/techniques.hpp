// The finders of each technique: each adds to found every instance it sees
// on the board, whether or not its effects overlap; the explainer applies
// them and keeps those that still do something. One file a family.
#pragma once

#include <vector>

#include "reason/board.hpp"
#include "reason/step.hpp"

namespace novemra::reason {

using Finder = void (*)(const Board& board, std::vector<Step>& found);

// singles.cpp
void findFullHouses(const Board& board, std::vector<Step>& found);
void findNakedSingles(const Board& board, std::vector<Step>& found);
void findHiddenSingles(const Board& board, std::vector<Step>& found);
// intersections.cpp
void findPointing(const Board& board, std::vector<Step>& found);
void findClaiming(const Board& board, std::vector<Step>& found);
// subsets.cpp
void findNakedPairs(const Board& board, std::vector<Step>& found);
void findNakedTriples(const Board& board, std::vector<Step>& found);
void findNakedQuads(const Board& board, std::vector<Step>& found);
void findHiddenPairs(const Board& board, std::vector<Step>& found);
void findHiddenTriples(const Board& board, std::vector<Step>& found);
void findHiddenQuads(const Board& board, std::vector<Step>& found);
// fish.cpp
void findXWings(const Board& board, std::vector<Step>& found);
void findSwordfish(const Board& board, std::vector<Step>& found);
void findJellyfish(const Board& board, std::vector<Step>& found);
void findFinnedXWings(const Board& board, std::vector<Step>& found);
void findFinnedSwordfish(const Board& board, std::vector<Step>& found);
// single_digit.cpp
void findSkyscrapers(const Board& board, std::vector<Step>& found);
void findTwoStringKites(const Board& board, std::vector<Step>& found);
void findSimpleColouring(const Board& board, std::vector<Step>& found);
void findEmptyRectangles(const Board& board, std::vector<Step>& found);
// wings.cpp
void findXYWings(const Board& board, std::vector<Step>& found);
void findXYZWings(const Board& board, std::vector<Step>& found);
void findWWings(const Board& board, std::vector<Step>& found);
void findRemotePairs(const Board& board, std::vector<Step>& found);
// uniqueness.cpp: sound only for a puzzle with one solution, which is all
// the explainer is given.
void findUniqueRectangles(const Board& board, std::vector<Step>& found);
void findBugPlusOne(const Board& board, std::vector<Step>& found);
// als.cpp
void findAlsXz(const Board& board, std::vector<Step>& found);
// chains.cpp
void findXChains(const Board& board, std::vector<Step>& found);
void findXYChains(const Board& board, std::vector<Step>& found);
void findAlternatingChains(const Board& board, std::vector<Step>& found);

// Helpers shared by the families.
// The cells among cells (bit k for cells[k]) as "r1c2,r1c5".
std::string cellList(const UnitCells& cells, unsigned which);
// "3,7" for a set of digits.
std::string digitList(DigitSet digits);
// Adds an elimination of digit from every open cell that sees all of
// the given cells and is none of them.
void eliminateSeenByAll(const Board& board, std::initializer_list<int> cells, int digit,
                        std::vector<Elimination>& eliminations);

}  // namespace novemra::reason
