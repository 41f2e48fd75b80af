#include "console/shown_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace novemra {
namespace {

// A hostile name and how every message shows it.
struct HostileText {
    const char* name;
    std::string text;
    std::string shown;
};

void PrintTo(const HostileText& hostile, std::ostream* out) {
    *out << hostile.name;
}

class ShownText : public ::testing::TestWithParam<HostileText> {};

TEST_P(ShownText, DoesNothingToTheTerminal) {
    EXPECT_EQ(shownText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShownText,
    ::testing::Values(HostileText{"plain", "puzzles.txt", "puzzles.txt"},
                      HostileText{"utf8_letters", "r\xc3\xa4tsel", "r\xc3\xa4tsel"},
                      HostileText{"line_ends_and_escape", "a\nb\r\t\x1b[2J", "a\\nb\\r\\t\\x1b[2J"},
                      HostileText{"delete", "a\x7f", "a\\x7f"},
                      // C1 controls: CSI as UTF-8, and as an overlong three-byte form.
                      HostileText{"c1_csi", "\xc2\x9b\x33\x31m", "\\xc2\\x9b31m"},
                      HostileText{"c1_csi_overlong", "\xe0\x82\x9b", "\\xe0\\x82\\x9b"},
                      HostileText{"overlong_letter", "\xe0\x83\xa4", "\\xe0\\x83\\xa4"},
                      HostileText{"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
                      HostileText{"above_unicode", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
                      HostileText{"lead_f5", "\xf5\x80\x80", "\\xf5\\x80\\x80"},
                      HostileText{"cut_sequence", "ab\xe2\x80", "ab\\xe2\\x80"},
                      HostileText{"right_to_left_override",
                                  "\xe2\x80\xae"
                                  "txt.exe",
                                  "\\u202etxt.exe"},
                      HostileText{"isolates_and_marks", "\xe2\x81\xa6\xe2\x80\x8f\xd8\x9c",
                                  "\\u2066\\u200f\\u061c"},
                      HostileText{"long_name", std::string(10 * 1024, 'a'),
                                  std::string(kShownLength, 'a') + "\xe2\x80\xa6"}),
    [](const auto& info) { return std::string(info.param.name); });

// A long path keeps its end, where the file's name is.
TEST(ShownPath, KeepsTheEndOfALongPath) {
    EXPECT_EQ(shownPath("puzzles/hard.txt"), "puzzles/hard.txt");
    const std::string deep = "/" + std::string(60, 'a') + "/puzzles.txt";
    EXPECT_EQ(shownPath(deep), "\u2026" + deep.substr(deep.size() - kShownLength));
    // The cut never starts inside an escape.
    const std::string hostile = std::string(60, 'a') + "\x1b" + std::string(38, 'b');
    EXPECT_EQ(shownPath(hostile), "\u2026\\x1b" + std::string(38, 'b'));
}

TEST(CellCountText, SaysCellOrCells) {
    EXPECT_EQ(cellCountText(1), "1 cell; a puzzle has 81");
    EXPECT_EQ(cellCountText(80), "80 cells; a puzzle has 81");
}

}  // namespace
}  // namespace novemra
