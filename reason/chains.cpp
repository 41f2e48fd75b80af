// Chains of alternating inference: a candidate that, if false, makes the
// next true (a strong link: the only other place of a digit in a unit, or
// the other digit of a two-digit cell), which makes the next false (a weak
// link: a peer with the same digit, or another digit of the same cell), and
// so on. A chain that starts and ends on a strong link proves that one of
// its two ends is true. X-Chains use one digit, XY-Chains two-digit cells
// only; alternating inference chains use every link.
#include <array>
#include <bit>
#include <vector>

#include "reason/techniques.hpp"

namespace novemra::reason {

namespace {

enum class Links { SingleDigit, TwoDigitCells, All };

// A candidate: cell * 9 + digit - 1.
constexpr int kNodes = kCellCount * 9;
constexpr int cellOfNode(int node) {
    return node / 9;
}
constexpr int digitOfNode(int node) {
    return node % 9 + 1;
}
constexpr int nodeOf(int cell, int digit) {
    return cell * 9 + digit - 1;
}

struct Peers {
    std::array<std::array<std::uint8_t, 20>, kCellCount> of{};
};
constexpr Peers makePeers() {
    Peers peers;
    for (int cell = 0; cell < kCellCount; ++cell) {
        std::size_t count = 0;
        for (int other = 0; other < kCellCount; ++other) {
            if (sees(cell, other)) {
                peers.of[static_cast<std::size_t>(cell)][count++] =
                    static_cast<std::uint8_t>(other);
            }
        }
    }
    return peers;
}
constexpr Peers kPeers = makePeers();

class ChainSearch {
  public:
    ChainSearch(const Board& board, Links links) : board_(board), links_(links) {}

    // The candidates a node links to strongly or weakly.
    template <typename Visit>
    void strong(int node, Visit&& visit) const {
        const int cell = cellOfNode(node);
        const int digit = digitOfNode(node);
        if (links_ != Links::TwoDigitCells) {
            for (const int unit : {rowOf(cell), 9 + columnOf(cell), 18 + boxOf(cell)}) {
                const unsigned positions = board_.positions(unit, digit);
                if (bitCount(positions) == 2) {
                    const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
                    const int a = cells[static_cast<std::size_t>(std::countr_zero(positions))];
                    const int b = cells[static_cast<std::size_t>(31 - std::countl_zero(positions))];
                    visit(nodeOf(a == cell ? b : a, digit));
                }
            }
        }
        const DigitSet digits = board_.candidates(cell);
        if (links_ != Links::SingleDigit && digitCount(digits) == 2) {
            visit(nodeOf(cell, firstDigit(static_cast<DigitSet>(digits & ~digitBit(digit)))));
        }
    }
    template <typename Visit>
    void weak(int node, Visit&& visit) const {
        const int cell = cellOfNode(node);
        const int digit = digitOfNode(node);
        for (const std::uint8_t peer : kPeers.of[static_cast<std::size_t>(cell)]) {
            if (board_.has(peer, digit)) {
                visit(nodeOf(peer, digit));
            }
        }
        if (links_ == Links::All) {
            for (int other = 1; other <= 9; ++other) {
                if (other != digit && board_.has(cell, other)) {
                    visit(nodeOf(cell, other));
                }
            }
        }
    }

    // Every chain from start, shortest first, whose two ends prove
    // something new; each as a step of the given technique.
    void fromStart(int start, Technique technique, std::vector<Step>& found) {
        // State: node * 2 + (1 when reached by a strong link).
        parent_.assign(static_cast<std::size_t>(2 * kNodes), -1);
        std::vector<int> queue;
        const auto reach = [&](int state, int from) {
            if (parent_[static_cast<std::size_t>(state)] == -1) {
                parent_[static_cast<std::size_t>(state)] = from;
                queue.push_back(state);
            }
        };
        parent_[static_cast<std::size_t>(start * 2)] = start * 2;  // start counts as reached weakly
        strong(start, [&](int next) { reach(next * 2 + 1, start * 2); });
        for (std::size_t at = 0; at < queue.size(); ++at) {
            const int state = queue[at];
            const int node = state / 2;
            if (state % 2 == 1) {
                conclude(start, state, technique, found);
                weak(node, [&](int next) { reach(next * 2, state); });
            } else {
                strong(node, [&](int next) { reach(next * 2 + 1, state); });
            }
        }
    }

  private:
    // The chain from start to the end reached strongly: start or end holds.
    void conclude(int start, int endState, Technique technique, std::vector<Step>& found) {
        const int end = endState / 2;
        if (end <= start) {
            return;  // each pair of ends once, and not a chain back to itself
        }
        const int a = cellOfNode(start);
        const int b = cellOfNode(end);
        const int x = digitOfNode(start);
        const int y = digitOfNode(end);
        Step step{technique, {}, {}, {}};
        if (x == y && a != b) {
            eliminateSeenByAll(board_, {a, b}, x, step.eliminations);
        } else if (a == b) {
            for (int digit = 1; digit <= 9; ++digit) {
                if (digit != x && digit != y && board_.has(a, digit)) {
                    step.eliminations.push_back(
                        {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(digit)});
                }
            }
        } else if (sees(a, b)) {
            if (board_.has(a, y)) {
                step.eliminations.push_back(
                    {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(y)});
            }
            if (board_.has(b, x)) {
                step.eliminations.push_back(
                    {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(x)});
            }
        }
        if (step.eliminations.empty()) {
            return;
        }
        // The chain, written from start to end.
        std::vector<int> states;
        for (int state = endState; state != start * 2;
             state = parent_[static_cast<std::size_t>(state)]) {
            states.push_back(state);
        }
        std::string text = candidateName(a, x);
        for (auto it = states.rbegin(); it != states.rend(); ++it) {
            const int node = *it / 2;
            text.append(*it % 2 == 1 ? " = " : " - ");
            text.append(candidateName(cellOfNode(node), digitOfNode(node)));
        }
        step.reason = text;
        found.push_back(std::move(step));
    }

    const Board& board_;
    Links links_;
    std::vector<int> parent_;
};

void findChains(const Board& board, Links links, Technique technique, std::vector<Step>& found) {
    ChainSearch search(board, links);
    for (int node = 0; node < kNodes; ++node) {
        if (board.has(cellOfNode(node), digitOfNode(node))) {
            search.fromStart(node, technique, found);
        }
    }
}

}  // namespace

void findXChains(const Board& board, std::vector<Step>& found) {
    findChains(board, Links::SingleDigit, Technique::XChain, found);
}

void findXYChains(const Board& board, std::vector<Step>& found) {
    findChains(board, Links::TwoDigitCells, Technique::XYChain, found);
}

void findAlternatingChains(const Board& board, std::vector<Step>& found) {
    findChains(board, Links::All, Technique::AlternatingChain, found);
}

}  // namespace novemra::reason
