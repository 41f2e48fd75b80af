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
    board.openCount_ = kCellCount;
    for (int cell = 0; cell < kCellCount; ++cell) {
        const int digit = puzzle[static_cast<std::size_t>(cell)];
        if (digit >= 1 && digit <= 9) {
            board.place(cell, digit);
        }
    }
    return board;
}

unsigned Board::positions(int unit, int digit) const {
    unsigned found = 0;
    const UnitCells& cells = kUnits[static_cast<std::size_t>(unit)];
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (has(cells[k], digit)) {
            found |= 1U << k;
        }
    }
    return found;
}

void Board::place(int cell, int digit) {
    const auto at = static_cast<std::size_t>(cell);
    values_[at] = static_cast<std::int8_t>(digit);
    candidates_[at] = 0;
    --openCount_;
    for (const int unit : {rowOf(cell), 9 + columnOf(cell), 18 + boxOf(cell)}) {
        for (const std::uint8_t peer : kUnits[static_cast<std::size_t>(unit)]) {
            eliminate(peer, digit);
        }
    }
}

}  // namespace novemra::reason
