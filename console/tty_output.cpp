// Sending the picture to the terminal: only the cells that changed, within
// the part of the picture the window shows.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "console/signal_restore.hpp"
#include "console/terminfo.hpp"
#include "console/tty_terminal.hpp"

namespace novemra {

namespace {

// Console colour numbers have blue in bit 0 and red in bit 2; terminal
// colour numbers the other way round. Bit 1 (green) and bit 3 (bright)
// stand where they are.
int terminalColour(int consoleColour) {
    return ((consoleColour & 1) << 2) | (consoleColour & 2) | ((consoleColour & 4) >> 2);
}

// A bright console colour as a 24-bit RGB value, in the palette of the
// PC's text mode: full where the colour has the component, a third where
// it has not (bright yellow is 0xFFFF55).
int brightRgb(int consoleColour) {
    const auto component = [consoleColour](int bit) { return (consoleColour & bit) ? 0xFF : 0x55; };
    return (component(4) << 16) | (component(2) << 8) | component(1);
}

// The colour number for a console colour on a terminal with 16 colours
// or more.
int richColourNumber(int consoleColour, bool directColour) {
    if ((consoleColour & 8) == 0) {
        return terminalColour(consoleColour);
    }
    // On direct-colour terminals 0-7 are the eight ANSI colours and any
    // larger number is an RGB value: colour 11 there is a near-black blue.
    return directColour ? brightRgb(consoleColour) : terminalColour(consoleColour) + 8;
}

}  // namespace

void TtyTerminal::followCursor() {
    // As much of the top of the picture as still keeps the cursor's line in
    // view: all of it when the window is tall enough.
    const int cursorLine = screen_.cursorRow() - 1;
    const int top = std::max(0, cursorLine - windowHeight_ + 1);
    if (top != viewTop_) {
        viewTop_ = top;
        repaintAll_ = true;
    }
}

void TtyTerminal::flush() {
    if (!signal_restore::holding()) {
        // Stopped, or continued in the background: the terminal is the
        // shell's. The changes wait for the repaint that taking it back
        // brings.
        return;
    }
    if (closed_ || (!repaintAll_ && !screen_.hasChanges())) {
        screen_.forgetChanges();
        return;
    }
    out_.clear();
    if (repaintAll_ || screen_.everythingChanged()) {
        paintEverything();
    } else {
        for (const ChangedRun& run : screen_.changedRuns()) {
            paintRun(run.line, run.firstColumn, run.endColumn);
        }
    }
    screen_.forgetChanges();
    repaintAll_ = false;
    writeAll(out_);
}

void TtyTerminal::paintEverything() {
    // After a scroll, a clear, a resize or a return from a stop the terminal
    // may show anything: paint every line of the window.
    shownAttribute_ = -1;
    shownLine_ = -1;
    const Attribute margin = screen_.fill(screen_.height() - 1);
    for (int terminalLine = 0; terminalLine < windowHeight_; ++terminalLine) {
        const int line = viewTop_ + terminalLine;
        if (line >= screen_.height()) {
            // Below the picture, in a window taller than it.
            paintBlankToEndOfLine(terminalLine, 0, margin);
            continue;
        }
        const int stored = std::min<int>(static_cast<int>(screen_.storedCells(line).size()),
                                         std::min(screen_.width(), windowWidth_));
        if (stored > 0) {
            paintRun(line, 0, stored);
        }
        paintBlankToEndOfLine(terminalLine, stored, screen_.fill(line));
    }
}

void TtyTerminal::paintRun(int line, int firstColumn, int endColumn) {
    const int terminalLine = line - viewTop_;
    endColumn = std::min(endColumn, windowWidth_);
    if (terminalLine < 0 || terminalLine >= windowHeight_ || firstColumn >= endColumn) {
        return;
    }
    appendMove(terminalLine, firstColumn);
    for (int column = firstColumn; column < endColumn; ++column) {
        const Cell cell = screen_.cell(line + 1, column + 1);
        appendAttribute(cell.attribute);
        out_.push_back(cell.ch);
    }
    shownColumn_ = endColumn < windowWidth_ ? endColumn : -1;
}

void TtyTerminal::paintBlankToEndOfLine(int terminalLine, int column, Attribute attribute) {
    if (column >= windowWidth_) {
        return;
    }
    appendMove(terminalLine, column);
    appendAttribute(attribute);
    // Erasing is cheap, but fills with the current background only on
    // terminals that say so; elsewhere the blanks are written out.
    const bool eraseFills = description_.backColourErase || attribute == kDefaultAttribute;
    if (eraseFills && !description_.clearToEndOfLine.empty()) {
        out_.append(description_.clearToEndOfLine);
        shownColumn_ = column;
    } else {
        out_.append(static_cast<std::size_t>(windowWidth_ - column), ' ');
        shownColumn_ = -1;
    }
}

void TtyTerminal::appendMove(int terminalLine, int column) {
    if (terminalLine == shownLine_ && column == shownColumn_) {
        return;
    }
    if (description_.ansiCursorAddress) {
        char number[12];
        out_.append("\x1b[");
        out_.append(number, std::to_chars(number, number + sizeof number, terminalLine + 1).ptr);
        out_.push_back(';');
        out_.append(number, std::to_chars(number, number + sizeof number, column + 1).ptr);
        out_.push_back('H');
    } else {
        out_.append(terminfo::format(description_.cursorAddress, terminalLine, column));
    }
    shownLine_ = terminalLine;
    shownColumn_ = column;
}

void TtyTerminal::appendAttribute(Attribute attribute) {
    if (attribute == shownAttribute_) {
        return;
    }
    shownAttribute_ = attribute;
    out_.append(description_.resetAttributes);
    if (attribute == kDefaultAttribute) {
        // A fresh screen's colours are the terminal's own defaults.
        return;
    }
    const int foreground = attribute & 0xF;
    const int background = (attribute >> 4) & 0xF;
    const bool richColours = description_.colours >= 16 || description_.directColour;
    int foregroundColour = terminalColour(foreground);
    int backgroundColour = terminalColour(background);
    if (richColours) {
        foregroundColour = richColourNumber(foreground, description_.directColour);
        backgroundColour = richColourNumber(background, description_.directColour);
    } else if ((foreground & 8) != 0) {
        // Too few colours for a bright one: show brightness as bold.
        out_.append(description_.bold);
    }
    if (!description_.foreground.empty()) {
        out_.append(terminfo::format(description_.foreground, foregroundColour));
    }
    if (!description_.background.empty()) {
        out_.append(terminfo::format(description_.background, backgroundColour));
    }
}

void TtyTerminal::writeAll(const std::string& bytes) {
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0 && !closed_) {
        if (!signal_restore::holding()) {
            // Stopped or sent to the background, also while waiting for a
            // slow terminal below: the rest waits for the repaint that
            // taking the terminal back brings.
            repaintAll_ = true;
            return;
        }
        const ssize_t written = ::write(fd_, next, left);
        if (written > 0) {
            next += written;
            left -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            // The terminal is reading slowly; wait until it takes more.
            pollfd writable{fd_, POLLOUT, 0};
            ::poll(&writable, 1, -1);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            closed_ = true;
        }
    }
}

}  // namespace novemra
