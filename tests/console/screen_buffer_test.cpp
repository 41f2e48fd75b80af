#include "console/screen_buffer.hpp"

#include <gtest/gtest.h>

namespace novemra {
namespace {

TEST(ScreenBuffer, WrapsAtTheRightEdge) {
    ScreenBuffer screen(4, 3);
    screen.write("abcdef");
    EXPECT_EQ(screen.lineText(1), "abcd");
    EXPECT_EQ(screen.lineText(2), "ef  ");
}

}  // namespace
}  // namespace novemra
