// Basic fish: n rows (or columns) in which a digit lies only in the same n
// columns (rows); the digit then leaves those columns everywhere else.
#include <bit>
#include <vector>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

std::string lineList(char kind, unsigned lines) {
    std::string list;
    for (int line = 0; line < 9; ++line) {
        if ((lines >> line & 1U) != 0) {
            if (!list.empty()) {
                list += ',';
            }
            list.push_back(kind);
            list.push_back(static_cast<char>('1' + line));
        }
    }
    return list;
}

void findFishOfSize(const Board& board, int size, Technique technique, std::vector<Step>& found) {
    for (int digit = 1; digit <= 9; ++digit) {
        for (const bool byRows : {true, false}) {
            const int base = byRows ? 0 : 9;
            std::array<unsigned, 9> positions{};
            unsigned candidatesLines = 0;
            for (int line = 0; line < 9; ++line) {
                positions[static_cast<std::size_t>(line)] = board.positions(base + line, digit);
                const int count = bitCount(positions[static_cast<std::size_t>(line)]);
                if (count >= 2 && count <= size) {
                    candidatesLines |= 1U << line;
                }
            }
            for (unsigned lines = (0U - candidatesLines) & candidatesLines; lines != 0;
                 lines = (lines - candidatesLines) & candidatesLines) {
                if (bitCount(lines) != size) {
                    continue;
                }
                unsigned cover = 0;
                for (int line = 0; line < 9; ++line) {
                    if ((lines >> line & 1U) != 0) {
                        cover |= positions[static_cast<std::size_t>(line)];
                    }
                }
                if (bitCount(cover) != size) {
                    continue;
                }
                Step step{technique, {}, {}, {}};
                for (int other = 0; other < 9; ++other) {
                    if ((lines >> other & 1U) != 0) {
                        continue;
                    }
                    for (int crossing = 0; crossing < 9; ++crossing) {
                        if ((cover >> crossing & 1U) == 0) {
                            continue;
                        }
                        const int cell = byRows ? other * 9 + crossing : crossing * 9 + other;
                        if (board.has(cell, digit)) {
                            step.eliminations.push_back({static_cast<std::uint8_t>(cell),
                                                         static_cast<std::uint8_t>(digit)});
                        }
                    }
                }
                if (!step.eliminations.empty()) {
                    step.reason = std::to_string(digit) + " in " +
                                  lineList(byRows ? 'r' : 'c', lines) + " and " +
                                  lineList(byRows ? 'c' : 'r', cover);
                    found.push_back(std::move(step));
                }
            }
        }
    }
}

// A fish with fins: the base lines' candidates lie in the cover lines but
// for a few cells (the fins) that share one box. Either a fin holds the
// digit, or the fish does; a cover-line cell that sees every fin loses
// the digit either way. Sashimi fish, whose base lines need a fin to have
// two cover cells, are included.
void findFinnedOfSize(const Board& board, int size, Technique technique, std::vector<Step>& found) {
    for (int digit = 1; digit <= 9; ++digit) {
        for (const bool byRows : {true, false}) {
            const int base = byRows ? 0 : 9;
            const auto cellAt = [byRows](int line, int crossing) {
                return byRows ? line * 9 + crossing : crossing * 9 + line;
            };
            std::array<unsigned, 9> positions{};
            unsigned usable = 0;
            for (int line = 0; line < 9; ++line) {
                positions[static_cast<std::size_t>(line)] = board.positions(base + line, digit);
                const int count = bitCount(positions[static_cast<std::size_t>(line)]);
                if (count >= 1 && count <= size + 2) {
                    usable |= 1U << line;
                }
            }
            for (unsigned lines = (0U - usable) & usable; lines != 0;
                 lines = (lines - usable) & usable) {
                if (bitCount(lines) != size) {
                    continue;
                }
                unsigned all = 0;
                for (int line = 0; line < 9; ++line) {
                    if ((lines >> line & 1U) != 0) {
                        all |= positions[static_cast<std::size_t>(line)];
                    }
                }
                if (bitCount(all) <= size || bitCount(all) > size + 3) {
                    continue;
                }
                for (unsigned cover = all; cover != 0; cover = (cover - 1) & all) {
                    if (bitCount(cover) != size) {
                        continue;
                    }
                    // The fins, and whether every base line reaches the
                    // cover and all fins share a box.
                    std::vector<int> fins;
                    bool shaped = true;
                    for (int line = 0; line < 9 && shaped; ++line) {
                        if ((lines >> line & 1U) == 0) {
                            continue;
                        }
                        const unsigned mine = positions[static_cast<std::size_t>(line)];
                        shaped = (mine & cover) != 0;
                        for (int crossing = 0; crossing < 9; ++crossing) {
                            if ((mine & ~cover) >> crossing & 1U) {
                                fins.push_back(cellAt(line, crossing));
                            }
                        }
                    }
                    for (const int fin : fins) {
                        shaped = shaped && boxOf(fin) == boxOf(fins.front());
                    }
                    if (!shaped || fins.empty()) {
                        continue;
                    }
                    Step step{technique, {}, {}, {}};
                    for (int other = 0; other < 9; ++other) {
                        for (int crossing = 0; crossing < 9; ++crossing) {
                            const int cell = cellAt(other, crossing);
                            if ((lines >> other & 1U) != 0 || (cover >> crossing & 1U) == 0 ||
                                !board.has(cell, digit)) {
                                continue;
                            }
                            bool seesFins = true;
                            for (const int fin : fins) {
                                seesFins = seesFins && sees(cell, fin);
                            }
                            if (seesFins) {
                                step.eliminations.push_back({static_cast<std::uint8_t>(cell),
                                                             static_cast<std::uint8_t>(digit)});
                            }
                        }
                    }
                    if (step.eliminations.empty()) {
                        continue;
                    }
                    std::string finNames;
                    for (const int fin : fins) {
                        if (!finNames.empty()) {
                            finNames += ',';
                        }
                        finNames += cellName(fin);
                    }
                    step.reason = std::to_string(digit) + " in " +
                                  lineList(byRows ? 'r' : 'c', lines) + " and " +
                                  lineList(byRows ? 'c' : 'r', cover) + ", fins " + finNames;
                    found.push_back(std::move(step));
                }
            }
        }
    }
}

}  // namespace

void findFinnedXWings(const Board& board, std::vector<Step>& found) {
    findFinnedOfSize(board, 2, Technique::FinnedXWing, found);
}
void findFinnedSwordfish(const Board& board, std::vector<Step>& found) {
    findFinnedOfSize(board, 3, Technique::FinnedSwordfish, found);
}

void findXWings(const Board& board, std::vector<Step>& found) {
    findFishOfSize(board, 2, Technique::XWing, found);
}
void findSwordfish(const Board& board, std::vector<Step>& found) {
    findFishOfSize(board, 3, Technique::Swordfish, found);
}
void findJellyfish(const Board& board, std::vector<Step>& found) {
    findFishOfSize(board, 4, Technique::Jellyfish, found);
}

}  // namespace novemra::reason
