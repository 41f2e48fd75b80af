#include "reason/board.hpp"

namespace novemra::reason {

namespace {

constexpr std::array<UnitCells, kUnitCount> makeUnits() {
    std::array<UnitCells, kUnitCount> units{};
    for (int i = 0; i < 9; ++i) {
        for (int k = 0; k < 9; ++k) {
            units[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>(i * 9 + k);
            units[static_cast<std::size_t>(9 + i)][static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>(k * 9 + i);
            units[static_cast<std::size_t>(18 + i)][static_cast<std::size_t>(k)] =
                static_cast<std::uint8_t>((i / 3 * 3 + k / 3) * 9 + i % 3 * 3 + k % 3);
        }
    }
    return units;
}

}  // namespace

const std::array<UnitCells, kUnitCount> kUnits = makeUnits();

std::string cellName(int cell) {
    // Built by hand: four characters, no allocation beyond the string's own.
    std::string name = "r0c0";
    name[1] = static_cast<char>('1' + rowOf(cell));
    name[3] = static_cast<char>('1' + columnOf(cell));
    return name;
}

std::string candidateName(int cell, int digit) {
    std::string name = "(0)";
    name[1] = static_cast<char>('0' + digit);
    name.append(cellName(cell));
    return name;
}

std::string unitName(int unit) {
    static constexpr std::array<const char*, 3> kKinds{"row ", "column ", "box "};
    return kKinds[static_cast<std::size_t>(unit / 9)] + std::to_string(unit % 9 + 1);
}

Board Board::fromPuzzle(const CellValues& puzzle) {
    Board board;
    board.candidates_.fill(kAllDigits);
    for (auto& unit : board.positions_) {
        unit.fill(0x1FF);
    }
    board.openCells_.fill(0x1FF);
    board.openCount_ = kCellCount;
    for (int cell = 0; cell < kCellCount; ++cell) {
        const int digit = puzzle[static_cast<std::size_t>(cell)];
        if (digit >= 1 && digit <= 9) {
            board.place(cell, digit);
        }
    }
    return board;
}

void Board::eliminate(int cell, int digit) {
    const auto at = static_cast<std::size_t>(cell);
    if ((candidates_[at] & digitBit(digit)) == 0) {
        return;
    }
    candidates_[at] &= static_cast<DigitSet>(~digitBit(digit));
    const int row = rowOf(cell);
    const int column = columnOf(cell);
    const auto d = static_cast<std::size_t>(digit);
    positions_[static_cast<std::size_t>(row)][d] &= static_cast<std::uint16_t>(~(1U << column));
    positions_[static_cast<std::size_t>(9 + column)][d] &= static_cast<std::uint16_t>(~(1U << row));
    positions_[static_cast<std::size_t>(18 + boxOf(cell))][d] &=
        static_cast<std::uint16_t>(~(1U << (row % 3 * 3 + column % 3)));
}

void Board::place(int cell, int digit) {
    const auto at = static_cast<std::size_t>(cell);
    for (int other = 1; other <= 9; ++other) {
        eliminate(cell, other);
    }
    values_[at] = static_cast<std::int8_t>(digit);
    --openCount_;
    const int row = rowOf(cell);
    const int column = columnOf(cell);
    openCells_[static_cast<std::size_t>(row)] &= static_cast<std::uint16_t>(~(1U << column));
    openCells_[static_cast<std::size_t>(9 + column)] &= static_cast<std::uint16_t>(~(1U << row));
    openCells_[static_cast<std::size_t>(18 + boxOf(cell))] &=
        static_cast<std::uint16_t>(~(1U << (row % 3 * 3 + column % 3)));
    for (const int unit : {rowOf(cell), 9 + columnOf(cell), 18 + boxOf(cell)}) {
        for (const std::uint8_t peer : kUnits[static_cast<std::size_t>(unit)]) {
            eliminate(peer, digit);
        }
    }
}

}  // namespace novemra::reason
