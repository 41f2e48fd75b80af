#include "support/virtual_terminal.hpp"

#include <vterm.h>

#include <string>

namespace novemra::testing {

namespace {

int colourIndex(const VTermColor& colour, bool isForeground) {
    if (isForeground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour)) {
        return -1;
    }
    if (VTERM_COLOR_IS_INDEXED(&colour)) {
        return colour.indexed.idx;
    }
    return -2;  // an RGB colour: see rgbValue
}

// The colour as 0xRRGGBB when it was given as an RGB value, else -1.
int rgbValue(const VTermColor& colour) {
    if (!VTERM_COLOR_IS_RGB(&colour)) {
        return -1;
    }
    return (colour.rgb.red << 16) | (colour.rgb.green << 8) | colour.rgb.blue;
}

}  // namespace

VirtualTerminal::VirtualTerminal(int rows, int columns)
    : vterm_(vterm_new(rows, columns)), rows_(rows), columns_(columns) {
    vterm_set_utf8(vterm_, 1);
    screen_ = vterm_obtain_screen(vterm_);
    static const VTermScreenCallbacks callbacks = [] {
        VTermScreenCallbacks c{};
        c.settermprop = [](VTermProp prop, VTermValue* value, void* self) {
            return VirtualTerminal::onTermProp(static_cast<int>(prop), value, self);
        };
        return c;
    }();
    vterm_screen_set_callbacks(screen_, &callbacks, this);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_screen_reset(screen_, 1);
}

VirtualTerminal::~VirtualTerminal() {
    vterm_free(vterm_);
}

int VirtualTerminal::onTermProp(int prop, void* value, void* self) {
    auto* terminal = static_cast<VirtualTerminal*>(self);
    const auto* v = static_cast<VTermValue*>(value);
    if (prop == VTERM_PROP_CURSORVISIBLE) {
        terminal->cursorVisible_ = v->boolean != 0;
    } else if (prop == VTERM_PROP_ALTSCREEN) {
        terminal->alternateScreen_ = v->boolean != 0;
    }
    return 1;
}

void VirtualTerminal::feed(std::string_view bytes) {
    // libvterm reads the ITU form of an RGB colour, 38:2::R:G:B with its
    // empty colour-space field, as if the field were the red value; the
    // form without the field (38:2:R:G:B) means the same colour to every
    // terminal and libvterm reads it right.
    std::string plain(bytes);
    for (const std::string_view itu : {"38:2::", "48:2::"}) {
        for (std::size_t at = 0; (at = plain.find(itu, at)) != std::string::npos;) {
            plain.erase(at + itu.size() - 1, 1);
        }
    }
    vterm_input_write(vterm_, plain.data(), plain.size());
}

void VirtualTerminal::resize(int rows, int columns) {
    rows_ = rows;
    columns_ = columns;
    vterm_set_size(vterm_, rows, columns);
}

EmulatedCell VirtualTerminal::cell(int row, int column) const {
    VTermScreenCell raw{};
    vterm_screen_get_cell(screen_, VTermPos{row - 1, column - 1}, &raw);
    EmulatedCell cell;
    const uint32_t ch = raw.chars[0];
    cell.ch = ch == 0 ? ' ' : (ch < 0x80 ? static_cast<char>(ch) : '?');
    cell.foreground = colourIndex(raw.fg, true);
    cell.background = colourIndex(raw.bg, false);
    cell.foregroundRgb = rgbValue(raw.fg);
    cell.backgroundRgb = rgbValue(raw.bg);
    cell.bold = raw.attrs.bold != 0;
    return cell;
}

std::string VirtualTerminal::text() const {
    std::string text;
    for (int row = 1; row <= rows_; ++row) {
        for (int column = 1; column <= columns_; ++column) {
            text.push_back(cell(row, column).ch);
        }
    }
    return text;
}

std::string VirtualTerminal::line(int row) const {
    std::string text;
    for (int column = 1; column <= columns_; ++column) {
        text.push_back(cell(row, column).ch);
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace novemra::testing
