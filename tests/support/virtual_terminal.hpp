// A terminal emulator in memory (libvterm): bytes a program sends to its
// terminal go in, and the resulting screen can be read back cell by cell.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct VTerm;
struct VTermScreen;

namespace novemra::testing {

struct EmulatedCell {
    char ch = ' ';
    int foreground = -1;  // palette index, -1 for the terminal's default
    int background = -1;
    // 0xRRGGBB for a colour sent as an RGB value (the index is then -2).
    int foregroundRgb = -1;
    int backgroundRgb = -1;
    bool bold = false;
};

class VirtualTerminal {
  public:
    VirtualTerminal(int rows, int columns);
    ~VirtualTerminal();
    VirtualTerminal(const VirtualTerminal&) = delete;
    VirtualTerminal& operator=(const VirtualTerminal&) = delete;

    void feed(std::string_view bytes);
    void resize(int rows, int columns);

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    // 1-based; trailing blanks removed.
    std::string line(int row) const;
    EmulatedCell cell(int row, int column) const;
    // Every line at full width, one after the other: text that wrapped
    // across lines reads as one piece.
    std::string text() const;
    bool cursorVisible() const { return cursorVisible_; }
    bool alternateScreen() const { return alternateScreen_; }

  private:
    static int onTermProp(int prop, void* value, void* self);

    VTerm* vterm_;
    VTermScreen* screen_;
    int rows_;
    int columns_;
    bool cursorVisible_ = true;
    bool alternateScreen_ = false;
};

}  // namespace novemra::testing
