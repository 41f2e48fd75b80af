#include "solver/digit_masks.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <span>

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

// One digit's three bands, a band a lane, so that the rules run on all
// three at once. The fourth lane is not a band: it stays full in every
// digit and empty in the open cells, which no rule can mistake for a
// single, an empty unit or an open cell.
using Bands = std::uint32_t __attribute__((vector_size(16)));
constexpr std::uint32_t kFullBand = (std::uint32_t{1} << 27) - 1;
constexpr Bands kFull = {kFullBand, kFullBand, kFullBand, kFullBand};
constexpr Bands kLines = {kLine, kLine, kLine, kLine};
constexpr Bands kNone = {0, 0, 0, 0};

// All ones in the lanes where a comparison of Bands holds, zero elsewhere.
template <typename Comparison>
Bands where(Comparison comparison) {
    return std::bit_cast<Bands>(comparison);
}

// Whether any of the three bands holds a bit.
bool anyBand(Bands lanes) {
    return (lanes[0] | lanes[1] | lanes[2]) != 0;
}

// Four lanes as a Bands value holds them, and aligned as it is, so that
// tables of them can be built at compile time.
struct alignas(Bands) Lanes {
    std::array<std::uint32_t, 4> lane{};
};

struct CellMasks {
    // The cell's bit, in its band's lane.
    std::array<Lanes, kCells> bit{};
    // What the digit placed in the cell leaves of its own cells: everything
    // but the cell's peers.
    std::array<Lanes, kCells> keep{};
};

constexpr CellMasks makeCellMasks() {
    CellMasks masks;
    for (std::size_t cell = 0; cell < kCells; ++cell) {
        const std::size_t band = cell / 27;
        const std::size_t inBand = cell % 27;
        const std::uint32_t column = kTables.columnCells[1U << (inBand % 9)];
        masks.bit[cell].lane[band] = std::uint32_t{1} << inBand;
        masks.keep[cell].lane = {~column, ~column, ~column, ~std::uint32_t{0}};
        masks.keep[cell].lane[band] = ~kTables.peersInBand[inBand];
    }
    return masks;
}

constexpr CellMasks kCellMasks = makeCellMasks();

class DigitBoard {
  public:
    DigitBoard() {
        cells_.fill(kFull);
        open_ = kFull;
        open_[3] = 0;
    }

    // Places digit (0..8) in a cell (0..80). False when the cell cannot
    // take it. The placed cell stays in its digit's bands, so a digit's
    // bands end as exactly the cells it holds.
    bool place(int digit, int cell) {
        const auto at = static_cast<std::size_t>(cell);
        const auto bit = std::bit_cast<Bands>(kCellMasks.bit[at]);
        Bands& mine = cells_[static_cast<std::size_t>(digit)];
        if (!anyBand(mine & bit)) {
            return false;
        }
        for (Bands& other : cells_) {
            other &= ~bit;
        }
        mine = (mine & std::bit_cast<Bands>(kCellMasks.keep[at])) | bit;
        open_ &= ~bit;
        digits_[static_cast<std::size_t>(cell)] = static_cast<std::int8_t>(digit + 1);
        return true;
    }

    bool complete() const { return !anyBand(open_); }

    // Loads 81 values (0 a blank, 1..9 a given) into an empty board. False
    // when two givens with the same digit share a row, column or box.
    bool load(const std::array<std::int32_t, kCells>& values) {
        // Each digit's givens, found from a mask of the given cells so
        // that the blanks cost no memory traffic.
        std::array<Bands, kGridSize> given{};
        Bands anyGiven = kNone;
        for (int band = 0; band < kBands; ++band) {
            std::uint32_t givenCells = 0;
            for (int cell = 0; cell < 27; ++cell) {
                const auto value =
                    static_cast<unsigned>(values[static_cast<std::size_t>(band * 27 + cell)]);
                givenCells |= static_cast<std::uint32_t>(value - 1 < kGridSize) << cell;
            }
            anyGiven[band] = givenCells;
            while (givenCells != 0) {
                const int cell = std::countr_zero(givenCells);
                givenCells &= givenCells - 1;
                const int digit = values[static_cast<std::size_t>(band * 27 + cell)];
                given[static_cast<std::size_t>(digit - 1)][band] |= std::uint32_t{1} << cell;
                digits_[static_cast<std::size_t>(band * 27 + cell)] =
                    static_cast<std::int8_t>(digit);
            }
        }
        open_ &= ~anyGiven;
        bool clash = false;
        for (int digit = 0; digit < kGridSize; ++digit) {
            const Bands mine = given[static_cast<std::size_t>(digit)];
            // Every row, box and column that holds the digit as a given
            // loses it everywhere but there; a unit given it twice clashes.
            const UnitScan scan = scanUnits(mine);
            Bands taken = anyGiven;
            for (int row = 0; row < 3; ++row) {
                const Bands line = (mine >> (9 * row)) & kLines;
                clash = clash || anyBand(line & (line - 1));
                taken |= (kLines << (9 * row)) & where(line != 0);
            }
            for (const std::uint32_t boxCells : kTables.boxCells) {
                const Bands box = mine & boxCells;
                clash = clash || anyBand(box & (box - 1));
                taken |= boxCells & where(box != 0);
            }
            clash = clash || scan.columnsTwice != 0;
            taken |= kTables.columnCells[scan.columns];
            taken[3] = 0;
            Bands& cells = cells_[static_cast<std::size_t>(digit)];
            cells = (cells & ~taken) | mine;
        }
        return !clash;
    }

    // Applies the rules until none finds anything. False when the board
    // cannot be completed. The crossings cost more than they find on a
    // board with many completions, so a search that expects many can leave
    // them out.
    bool propagate(bool withCrossings = true) {
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
            if (!withCrossings) {
                return true;
            }
            const Progress crossings = keepCrossingsOnPermutations();
            if (crossings != Progress::Some) {
                return crossings == Progress::None;
            }
        }
    }

    // An open cell with the fewest digits left, and its digits (bit d for
    // digit d).
    struct Choice {
        int cell = 0;
        unsigned digits = 0;
    };
    Choice narrowestOpenCell() const {
        Bands once = kNone;
        Bands twice = kNone;
        Bands thrice = kNone;
        for (const Bands& digit : cells_) {
            thrice |= twice & digit;
            twice |= once & digit;
            once |= digit;
        }
        const Bands two = open_ & twice & ~thrice;
        Choice best;
        int bestCount = kGridSize + 1;
        for (int band = 0; band < kBands; ++band) {
            if (two[band] != 0) {
                return choice(band * 27 + std::countr_zero(two[band]));
            }
        }
        for (int band = 0; band < kBands; ++band) {
            std::uint32_t open = open_[band];
            while (open != 0) {
                const Choice here = choice(band * 27 + std::countr_zero(open));
                open &= open - 1;
                const int count = std::popcount(here.digits);
                if (count < bestCount) {
                    best = here;
                    bestCount = count;
                }
            }
        }
        return best;
    }

    bool isOpen(int cell) const {
        return anyBand(open_ &
                       std::bit_cast<Bands>(kCellMasks.bit[static_cast<std::size_t>(cell)]));
    }

    // The digits (bit d for digit d) an open cell may still take.
    unsigned digitsOf(int cell) const { return choice(cell).digits; }

    // Writes the digits of a complete board as 1..9 in reading order.
    void write(std::array<std::int32_t, kCells>& values) const {
        for (int cell = 0; cell < kCells; ++cell) {
            values[static_cast<std::size_t>(cell)] = digits_[static_cast<std::size_t>(cell)];
        }
    }

  private:
    enum class Progress { None, Some, Impossible };

    // The columns (bit c) where a digit's bands hold any cell, and those
    // where they hold more than one.
    struct UnitScan {
        std::uint32_t columns = 0;
        std::uint32_t columnsTwice = 0;
    };
    static UnitScan scanUnits(Bands cells) {
        const Bands row0 = cells & kLines;
        const Bands row1 = (cells >> 9) & kLines;
        const Bands row2 = (cells >> 18) & kLines;
        const Bands once = row0 | row1 | row2;
        const Bands twice = (row0 & row1) | ((row0 | row1) & row2);
        return {.columns = once[0] | once[1] | once[2],
                .columnsTwice = twice[0] | twice[1] | twice[2] | (once[0] & once[1]) |
                                ((once[0] | once[1]) & once[2])};
    }

    Choice choice(int cell) const {
        Choice here{.cell = cell};
        const int band = cell / 27;
        const int inBand = cell % 27;
        for (int digit = 0; digit < kGridSize; ++digit) {
            here.digits |= ((cells_[static_cast<std::size_t>(digit)][band] >> inBand) & 1U)
                           << digit;
        }
        return here;
    }

    // Places the digit of every open cell that has one left. False on an
    // open cell with none.
    bool placeNakedSingles() {
        for (;;) {
            Bands once = kNone;
            Bands twice = kNone;
            for (const Bands& digit : cells_) {
                twice |= once & digit;
                once |= digit;
            }
            if (anyBand(open_ & ~once)) {
                return false;
            }
            const Bands singles = open_ & ~twice;
            if (!anyBand(singles)) {
                return true;
            }
            // Bit k of the index (0..8) of each single's digit.
            const std::array<Bands, 4> indexBits{cells_[1] | cells_[3] | cells_[5] | cells_[7],
                                                 cells_[2] | cells_[3] | cells_[6] | cells_[7],
                                                 cells_[4] | cells_[5] | cells_[6] | cells_[7],
                                                 cells_[8]};
            for (int band = 0; band < kBands; ++band) {
                std::uint32_t left = singles[band];
                while (left != 0) {
                    const int cell = std::countr_zero(left);
                    left &= left - 1;
                    int digit = 0;
                    for (int bit = 0; bit < 4; ++bit) {
                        digit |= static_cast<int>(
                                     indexBits[static_cast<std::size_t>(bit)][band] >> cell & 1U)
                                 << bit;
                    }
                    // Placing an earlier single may have taken this one's
                    // last digit.
                    if (!place(digit, band * 27 + cell)) {
                        return false;
                    }
                }
            }
        }
    }

    // Places each digit that has one open cell left in a row, column or
    // box. Impossible when a digit has no cell left in one.
    Progress placeHiddenSingles() {
        Progress progress = Progress::None;
        for (int digit = 0; digit < kGridSize; ++digit) {
            const Bands cells = cells_[static_cast<std::size_t>(digit)];
            Bands empty = kNone;
            Bands singles = kNone;
            for (int row = 0; row < 3; ++row) {
                const Bands line = (cells >> (9 * row)) & kLines;
                empty |= where(line == 0);
                singles |= (line & where((line & (line - 1)) == 0)) << (9 * row);
            }
            for (const std::uint32_t boxCells : kTables.boxCells) {
                const Bands box = cells & boxCells;
                empty |= where(box == 0);
                singles |= box & where((box & (box - 1)) == 0);
            }
            const UnitScan scan = scanUnits(cells);
            if (anyBand(empty) || scan.columns != kLine) {
                return Progress::Impossible;
            }
            singles |= cells & kTables.columnCells[scan.columns & ~scan.columnsTwice];
            const Bands hidden = singles & open_;
            if (!anyBand(hidden)) {
                continue;
            }
            progress = Progress::Some;
            for (int band = 0; band < kBands; ++band) {
                std::uint32_t left = hidden[band];
                while (left != 0) {
                    // A failed place means two of these singles contradict.
                    if (!place(digit, band * 27 + std::countr_zero(left))) {
                        return Progress::Impossible;
                    }
                    left &= left - 1;
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
        for (Bands& cells : cells_) {
            const Bands before = cells;
            std::array<std::uint32_t, kBands> columns{};
            for (int band = 0; band < kBands; ++band) {
                const std::uint32_t word = cells[band];
                const unsigned occupied = kTables.thirds[word & kLine] |
                                          kTables.thirds[(word >> 9) & kLine] << 3 |
                                          kTables.thirds[(word >> 18) & kLine] << 6;
                const unsigned kept = kTables.onPermutation[occupied];
                if (kept == 0) {
                    return Progress::Impossible;
                }
                const std::uint32_t left = word & kTables.crossingCells[kept];
                cells[band] = left;
                columns[static_cast<std::size_t>(band)] = (left | left >> 9 | left >> 18) & kLine;
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
                    keptColumns[static_cast<std::size_t>(band)] |= ((kept >> (3 * band)) & 7U)
                                                                   << shift;
                }
            }
            for (int band = 0; band < kBands; ++band) {
                cells[band] &= kTables.columnCells[keptColumns[static_cast<std::size_t>(band)]];
            }
            removed = removed || anyBand(cells ^ before);
        }
        return removed ? Progress::Some : Progress::None;
    }

    // For each digit, the cells of each band that may hold it.
    std::array<Bands, kGridSize> cells_{};
    // The cells that hold no digit yet.
    Bands open_{};
    // The digit (1..9) each placed cell holds, in reading order.
    std::array<std::int8_t, kCells> digits_{};
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
        if (next.place(digit, choice.cell) && next.propagate()) {
            found += count(next, limit - found, first, recorded);
        }
    }
    return found;
}

// Depth first in list order: branches on the first open listed cell, its
// digits ascending, so the first completion it finds is the first in list
// order.
ListOrderResult searchInListOrder(const DigitBoard& board, std::span<const std::uint8_t> listed,
                                  std::size_t from, int& budget,
                                  std::array<std::int32_t, kCells>& first) {
    while (from < listed.size() && !board.isOpen(listed[from])) {
        ++from;
    }
    if (from == listed.size()) {
        board.write(first);
        return ListOrderResult::Found;
    }
    const int cell = listed[from];
    unsigned digits = board.digitsOf(cell);
    while (digits != 0) {
        const int digit = std::countr_zero(digits);
        digits &= digits - 1;
        if (--budget < 0) {
            return ListOrderResult::GaveUp;
        }
        DigitBoard next = board;
        if (!next.place(digit, cell) || !next.propagate(false)) {
            continue;
        }
        const ListOrderResult found = searchInListOrder(next, listed, from + 1, budget, first);
        if (found != ListOrderResult::None) {
            return found;
        }
    }
    return ListOrderResult::None;
}

}  // namespace

ListOrderResult firstInListOrder(const std::array<std::int32_t, kCells>& values,
                                 std::span<const std::uint8_t> listed, int budget,
                                 std::array<std::int32_t, kCells>& first) {
    DigitBoard board;
    if (!board.load(values) || !board.propagate(false)) {
        return ListOrderResult::None;
    }
    return searchInListOrder(board, listed, 0, budget, first);
}

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
