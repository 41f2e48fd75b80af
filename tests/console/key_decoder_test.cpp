#include "console/key_decoder.hpp"

#include <gtest/gtest.h>

namespace novemra {
namespace {

constexpr char kErase = 127;

TEST(DecodeFirstKey, BackspaceIsEightHoweverTheTerminalSendsIt) {
    EXPECT_EQ(decodeFirstKey("\x7f", kErase), 8);
    EXPECT_EQ(decodeFirstKey("\x08", kErase), 8);
    EXPECT_EQ(decodeFirstKey("\x17", '\x17'), 8);  // an unusual erase character
}

TEST(DecodeFirstKey, APrintableEraseCharacterStaysAnOrdinaryKey) {
    EXPECT_EQ(decodeFirstKey("#", '#'), '#');
}

TEST(DecodeFirstKey, PlainKeysComeBackAsTyped) {
    EXPECT_EQ(decodeFirstKey("y", kErase), 'y');
    EXPECT_EQ(decodeFirstKey("Y", kErase), 'Y');
    EXPECT_EQ(decodeFirstKey("0", kErase), '0');
    EXPECT_EQ(decodeFirstKey("\r", kErase), 13);
    EXPECT_EQ(decodeFirstKey(" ", kErase), ' ');
}

TEST(DecodeFirstKey, OnlyTheFirstKeyCounts) {
    EXPECT_EQ(decodeFirstKey("xyz", kErase), 'x');
}

TEST(DecodeFirstKey, EscapeSequencesHaveNoCharacter) {
    EXPECT_EQ(decodeFirstKey("\x1b[A", kErase), 0);    // up arrow
    EXPECT_EQ(decodeFirstKey("\x1bOP", kErase), 0);    // F1
    EXPECT_EQ(decodeFirstKey("\x1b[15~", kErase), 0);  // F5
    EXPECT_EQ(decodeFirstKey("\x1bx", kErase), 0);     // Alt-x is not x
    EXPECT_EQ(decodeFirstKey("\x1b", kErase), 27);     // the Escape key alone
}

TEST(DecodeFirstKey, BytesOutsideAsciiHaveNoCharacter) {
    EXPECT_EQ(decodeFirstKey("\xc3\xa9", kErase), 0);  // é in UTF-8
    EXPECT_EQ(decodeFirstKey("\xff", kErase), 0);
}

}  // namespace
}  // namespace novemra
