#include "solver/digit_masks.hpp"

#include <array>
#include <bit>
#include <cstdint>

namespace novemra {

namespace {

constexpr int kCells = kGridSize * kGridSize;
constexpr int kBands = 3;
constexpr std::uint32_t kLine = 0x1FF;

// A band's cell at row r (0..2 within the band) and column c is bit 9r + c.
struct Tables {
    // The other cells of a cell's row and box, within its band.
    std::array<std::uint32_t, 27> peersInBand{};
    // For a set of columns (bit c), their cells in a band.
    std::array<std::uint32_t, 512> columnCells{};
    // The nine cells of each box of a band.
    std::array<std::uint32_t, 3> boxCells{};
    // Which thirds of a nine-cell line hold any cell.
    std::array<std::uint8_t, 512> thirds{};
    // A band has each digit once in each of its rows and once in each of
    // its boxes, so the digit's row-box crossings (bit 3 * row + box) form
    // a permutation; the same holds for a stack's band-column crossings.
    // Of the occupied crossings, those that lie on a fully occupied
    // permutation: 0 when there is none.
    std::array<std::uint16_t, 512> onPermutation{};
    // For a set of row-box crossings, their cells in a band.
    std::array<std::uint32_t, 512> crossingCells{};
};

constexpr Tables makeTables() {
    Tables tables;
    for (int cell = 0; cell < 27; ++cell) {
        const int row = cell / 9;
        const int box = cell % 9 / 3;
        std::uint32_t peers = 0;
        for (int other = 0; other < 27; ++other) {
            if (other != cell && (other / 9 == row || other % 9 / 3 == box)) {
                peers |= std::uint32_t{1} << other;
            }
        }
        tables.peersInBand[cell] = peers;
    }
    for (unsigned set = 0; set < 512; ++set) {
        std::uint32_t cells = 0;
        std::uint32_t crossings = 0;
        std::uint8_t thirds = 0;
        for (int bit = 0; bit < 9; ++bit) {
            if ((set >> bit & 1U) != 0) {
                cells |= (std::uint32_t{1} << bit) | (std::uint32_t{1} << (bit + 9)) |
                         (std::uint32_t{1} << (bit + 18));
                crossings |= std::uint32_t{7} << (bit / 3 * 9 + bit % 3 * 3);
                thirds = static_cast<std::uint8_t>(thirds | (1U << (bit / 3)));
            }
        }
        tables.columnCells[set] = cells;
        tables.crossingCells[set] = crossings;
        tables.thirds[set] = thirds;
        constexpr std::array<std::array<int, 3>, 6> kPermutations{
            {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
        unsigned on = 0;
        for (const auto& permutation : kPermutations) {
            unsigned crossing = 0;
            for (int line = 0; line < 3; ++line) {
                crossing |= 1U << (3 * line + permutation[line]);
            }
            if ((set & crossing) == crossing) {
                on |= crossing;
            }
        }
        tables.onPermutation[set] = static_cast<std::uint16_t>(on);
    }
    for (int box = 0; box < 3; ++box) {
        tables.boxCells[box] = 0x7U << (3 * box) | 0x7U << (3 * box + 9) | 0x7U << (3 * box + 18);
    }
    return tables;
}

constexpr Tables kTables = makeTables();

bool single(std::uint32_t set) {
    return (set & (set - 1)) == 0;
}

class DigitBoard {
  public:
    DigitBoard() {
        for (auto& digit : cells_) {
            digit.fill((std::uint32_t{1} << 27) - 1);
        }
        open_.fill((std::uint32_t{1} << 27) - 1);
    }

    // Places digit (0..8) in a band's cell. False when the cell cannot
    // take it. The placed cell stays in its digit's word, so a digit's
    // words end as exactly the cells it holds.
    bool place(int digit, int band, int cell) {
        const std::uint32_t bit = std::uint32_t{1} << cell;
        if ((cells_[digit][band] & bit) == 0) {
            return false;
        }
        for (auto& other : cells_) {
            other[band] &= ~bit;
        }
        // The column's cells in the placed cell's band are in its box.
        auto& words = cells_[digit];
        const std::uint32_t inBand = (words[band] & ~kTables.peersInBand[cell]) | bit;
        const std::uint32_t column = kTables.columnCells[1U << (cell % 9)];
        for (auto& word : words) {
            word &= ~column;
        }
        words[band] = inBand;
        open_[band] &= ~bit;
        digits_[static_cast<std::size_t>(band * 27 + cell)] = static_cast<std::int8_t>(digit + 1);
        return true;
    }

    bool complete() const { return (open_[0] | open_[1] | open_[2]) == 0; }

    // Applies the rules until none finds anything. False when the board
    // cannot be completed.
    bool propagate() {
        for (;;) {
            if (!placeNakedSingles()) {
                return false;
            }
            if (complete()) {
                return true;
            }
            const Progress hidden = placeHiddenSingles();
            if (hidden == Progress::Impossible) {
                return false;
            }
            if (hidden == Progress::Some) {
                continue;
            }
            const Progress crossings = keepCrossingsOnPermutations();
            if (crossings != Progress::Some) {
                return crossings == Progress::None;
            }
        }
    }

    // An open cell with the fewest digits left, as band and cell, and its
    // digits (bit d for digit d).
    struct Choice {
        int band = 0;
        int cell = 0;
        unsigned digits = 0;
    };
    Choice narrowestOpenCell() const {
        Choice best;
        int bestCount = kGridSize + 1;
        for (int band = 0; band < kBands; ++band) {
            std::uint32_t once = 0;
            std::uint32_t twice = 0;
            std::uint32_t thrice = 0;
            for (const auto& digit : cells_) {
                const std::uint32_t word = digit[band];
                thrice |= twice & word;
                twice |= once & word;
                once |= word;
            }
            const std::uint32_t two = open_[band] & twice & ~thrice;
            if (two != 0) {
                return choice(band, std::countr_zero(two));
            }
            std::uint32_t open = open_[band];
            while (open != 0) {
                const int cell = std::countr_zero(open);
                open &= open - 1;
                const Choice here = choice(band, cell);
                const int count = std::popcount(here.digits);
                if (count < bestCount) {
                    best = here;
                    bestCount = count;
                }
            }
        }
        return best;
    }

    // Loads 81 values (0 a blank, 1..9 a given) into an empty board
    // without branching on each cell. False when two givens with the same
    // digit share a row, column or box.
    bool load(const std::array<std::int32_t, kCells>& values) {
        // Each digit's givens, found from a mask of the given cells so
        // that the blanks cost no memory traffic.
        std::array<std::array<std::uint32_t, kBands>, kGridSize> given{};
        for (int band = 0; band < kBands; ++band) {
            std::uint32_t givenCells = 0;
            for (int cell = 0; cell < 27; ++cell) {
                const auto value =
                    static_cast<unsigned>(values[static_cast<std::size_t>(band * 27 + cell)]);
                givenCells |= static_cast<std::uint32_t>(value - 1 < kGridSize) << cell;
            }
            while (givenCells != 0) {
                const int cell = std::countr_zero(givenCells);
                givenCells &= givenCells - 1;
                const int digit = values[static_cast<std::size_t>(band * 27 + cell)];
                given[static_cast<std::size_t>(digit - 1)][band] |= std::uint32_t{1} << cell;
                digits_[static_cast<std::size_t>(band * 27 + cell)] =
                    static_cast<std::int8_t>(digit);
            }
        }
        std::array<std::uint32_t, kBands> anyGiven{};
        for (int digit = 0; digit < kGridSize; ++digit) {
            for (int band = 0; band < kBands; ++band) {
                anyGiven[band] |= given[digit][band];
            }
        }
        for (int band = 0; band < kBands; ++band) {
            open_[band] &= ~anyGiven[band];
        }
        bool clash = false;
        for (int digit = 0; digit < kGridSize; ++digit) {
            const auto& mine = given[digit];
            // Every row, box and column that holds the digit as a given
            // loses it everywhere but there.
            std::array<std::uint32_t, kBands> taken{};
            std::uint32_t columns = 0;
            std::uint32_t twice = 0;
            for (int band = 0; band < kBands; ++band) {
                for (int row = 0; row < 3; ++row) {
                    const std::uint32_t line = (mine[band] >> (9 * row)) & kLine;
                    clash |= !single(line);
                    taken[band] |= (line != 0 ? kLine : 0U) << (9 * row);
                    twice |= columns & line;
                    columns |= line;
                }
                for (const std::uint32_t boxCells : kTables.boxCells) {
                    const std::uint32_t box = mine[band] & boxCells;
                    clash |= !single(box);
                    taken[band] |= box != 0 ? boxCells : 0U;
                }
            }
            clash |= twice != 0;
            for (int band = 0; band < kBands; ++band) {
                taken[band] |= kTables.columnCells[columns] | anyGiven[band];
                cells_[digit][band] = (cells_[digit][band] & ~taken[band]) | mine[band];
            }
        }
        return !clash;
    }

    // Writes the digits of a complete board as 1..9 in reading order.
    void write(std::array<std::int32_t, kCells>& values) const {
        for (int cell = 0; cell < kCells; ++cell) {
            values[static_cast<std::size_t>(cell)] = digits_[static_cast<std::size_t>(cell)];
        }
    }

  private:
    enum class Progress { None, Some, Impossible };

    // Bit k of the index (0..8) of the digit each cell of the band may
    // hold, for cells that hold or may hold one digit only.
    std::array<std::uint32_t, 4> digitIndexBits(int band) const {
        std::array<std::uint32_t, 4> indexBits{};
        for (int digit = 0; digit < kGridSize; ++digit) {
            for (int bit = 0; bit < 4; ++bit) {
                indexBits[bit] |= (digit >> bit & 1) != 0 ? cells_[digit][band] : 0U;
            }
        }
        return indexBits;
    }

    Choice choice(int band, int cell) const {
        Choice here{.band = band, .cell = cell};
        for (int digit = 0; digit < kGridSize; ++digit) {
            here.digits |= ((cells_[digit][band] >> cell) & 1U) << digit;
        }
        return here;
    }

    // Places the digit of every open cell that has one left. False on an
    // open cell with none.
    bool placeNakedSingles() {
        bool placed = true;
        while (placed) {
            placed = false;
            for (int band = 0; band < kBands; ++band) {
                std::uint32_t once = 0;
                std::uint32_t twice = 0;
                for (const auto& digit : cells_) {
                    twice |= once & digit[band];
                    once |= digit[band];
                }
                if ((open_[band] & ~once) != 0) {
                    return false;
                }
                std::uint32_t singles = open_[band] & ~twice;
                const std::array<std::uint32_t, 4> indexBits =
                    singles != 0 ? digitIndexBits(band) : std::array<std::uint32_t, 4>{};
                while (singles != 0) {
                    const int cell = std::countr_zero(singles);
                    singles &= singles - 1;
                    int digit = 0;
                    for (int bit = 0; bit < 4; ++bit) {
                        digit |= static_cast<int>(indexBits[bit] >> cell & 1U) << bit;
                    }
                    // Placing an earlier single may have taken this one's
                    // last digit.
                    if (!place(digit, band, cell)) {
                        return false;
                    }
                    placed = true;
                }
            }
        }
        return true;
    }

    // Places each digit that has one open cell left in a row, column or
    // box. Impossible when a digit has no cell left in one. The units are
    // looked at without branching; only what they find is placed.
    Progress placeHiddenSingles() {
        Progress progress = Progress::None;
        for (int digit = 0; digit < kGridSize; ++digit) {
            const auto& words = cells_[digit];
            // Units that have not changed since the last look hold no new
            // single and no new contradiction.
            if (words == looked_[digit]) {
                continue;
            }
            std::array<std::uint32_t, kBands> found{};
            std::uint32_t once = 0;
            std::uint32_t twice = 0;
            bool empty = false;
            for (int band = 0; band < kBands; ++band) {
                const std::uint32_t word = words[band];
                std::uint32_t singles = 0;
                for (int row = 0; row < 3; ++row) {
                    const std::uint32_t line = (word >> (9 * row)) & kLine;
                    empty |= line == 0;
                    singles |= (single(line) ? line : 0U) << (9 * row);
                    twice |= once & line;
                    once |= line;
                }
                for (const std::uint32_t boxCells : kTables.boxCells) {
                    const std::uint32_t box = word & boxCells;
                    empty |= box == 0;
                    singles |= single(box) ? box : 0U;
                }
                found[band] = singles;
            }
            if (empty || once != kLine) {
                return Progress::Impossible;
            }
            looked_[digit] = words;
            const std::uint32_t columnSingles = kTables.columnCells[once & ~twice];
            for (int band = 0; band < kBands; ++band) {
                std::uint32_t hidden = (found[band] | (words[band] & columnSingles)) & open_[band];
                while (hidden != 0) {
                    // A failed place means two of these singles contradict.
                    if (!place(digit, band, std::countr_zero(hidden))) {
                        return Progress::Impossible;
                    }
                    hidden &= hidden - 1;
                    progress = Progress::Some;
                }
            }
        }
        return progress;
    }

    // Takes each digit out of the row-box and band-column crossings that
    // lie on no permutation of its crossings: what locked candidates find,
    // and a little more.
    Progress keepCrossingsOnPermutations() {
        bool removed = false;
        for (auto& words : cells_) {
            const std::array<std::uint32_t, kBands> before = words;
            std::array<std::uint32_t, kBands> columns{};
            for (int band = 0; band < kBands; ++band) {
                const std::uint32_t word = words[band];
                const unsigned occupied = kTables.thirds[word & kLine] |
                                          kTables.thirds[(word >> 9) & kLine] << 3 |
                                          kTables.thirds[(word >> 18) & kLine] << 6;
                const unsigned kept = kTables.onPermutation[occupied];
                if (kept == 0) {
                    return Progress::Impossible;
                }
                words[band] = word & kTables.crossingCells[kept];
                columns[band] = (words[band] | words[band] >> 9 | words[band] >> 18) & kLine;
            }
            std::array<std::uint32_t, kBands> keptColumns{};
            for (int stack = 0; stack < 3; ++stack) {
                const int shift = 3 * stack;
                const unsigned occupied = ((columns[0] >> shift) & 7U) |
                                          ((columns[1] >> shift) & 7U) << 3 |
                                          ((columns[2] >> shift) & 7U) << 6;
                const unsigned kept = kTables.onPermutation[occupied];
                if (kept == 0) {
                    return Progress::Impossible;
                }
                for (int band = 0; band < kBands; ++band) {
                    keptColumns[band] |= ((kept >> (3 * band)) & 7U) << shift;
                }
            }
            for (int band = 0; band < kBands; ++band) {
                words[band] &= kTables.columnCells[keptColumns[band]];
            }
            removed = removed || words != before;
        }
        return removed ? Progress::Some : Progress::None;
    }

    // For each digit, the cells of each band that may hold it.
    std::array<std::array<std::uint32_t, kBands>, kGridSize> cells_{};
    // The cells of each band that hold no digit yet.
    std::array<std::uint32_t, kBands> open_{};
    // The digit (1..9) each placed cell holds, in reading order.
    std::array<std::int8_t, kCells> digits_{};
    // Each digit's words as placeHiddenSingles last looked at them.
    std::array<std::array<std::uint32_t, kBands>, kGridSize> looked_{};
};

int count(const DigitBoard& board, int limit, std::array<std::int32_t, kCells>& first,
          bool& recorded) {
    if (board.complete()) {
        if (!recorded) {
            board.write(first);
            recorded = true;
        }
        return 1;
    }
    const DigitBoard::Choice choice = board.narrowestOpenCell();
    int found = 0;
    unsigned digits = choice.digits;
    while (digits != 0 && found < limit) {
        const int digit = std::countr_zero(digits);
        digits &= digits - 1;
        DigitBoard next = board;
        if (next.place(digit, choice.band, choice.cell) && next.propagate()) {
            found += count(next, limit - found, first, recorded);
        }
    }
    return found;
}

}  // namespace

CompletionCount countCompletions(const std::array<std::int32_t, kCells>& values, int limit,
                                 std::array<std::int32_t, kCells>& first) {
    DigitBoard board;
    if (!board.load(values)) {
        return {.clash = true};
    }
    if (!board.propagate()) {
        return {};
    }
    bool recorded = false;
    return {.completions = count(board, limit, first, recorded)};
}

}  // namespace novemra
