// The real terminal: the controlling tty, described by terminfo.
//
// It keeps a ScreenBuffer as its own picture of the screen and, after each
// operation, sends only the cells that changed, in one write. A print that
// changes nothing costs no system call, and neither does a poll for keys
// when none has arrived. It owns every change it makes to the terminal
// (input modes, alternate screen, hidden cursor, bracketed paste) and
// undoes them when destroyed, and from its signal handlers when the process
// is ended, stopped or crashes.
//
// The picture keeps the size the window had at the last clear. A resize
// changes only how much of it the window shows: a shorter window shows the
// part around the cursor, and a window that grows back shows it all again.
//
// The work is split by concern: opening, closing and the operations here;
// sending the picture in tty_output.cpp; reading keys in tty_input.cpp; the
// terminal's description in terminal_description.cpp; and the signal
// handlers in signal_restore.cpp.
#pragma once

#include <termios.h>

#include <chrono>
#include <memory>
#include <string>

#include "console/console_terminal.hpp"
#include "console/key_decoder.hpp"
#include "console/screen_buffer.hpp"
#include "console/terminal_description.hpp"

namespace novemra {

class TtyTerminal final : public ConsoleTerminal {
  public:
    // Opens /dev/tty, so redirected standard streams do not matter. Returns
    // null and sets error when there is no terminal to run in.
    static std::unique_ptr<TtyTerminal> open(std::string& error);
    // The same on a terminal already open on fd, which it then owns.
    static std::unique_ptr<TtyTerminal> openOn(int fd, std::string& error);

    TtyTerminal(const TtyTerminal&) = delete;
    TtyTerminal& operator=(const TtyTerminal&) = delete;
    ~TtyTerminal() override;

    void hideCursor() override;
    void setColour(int foreground, int background) override;
    void clear() override;
    void locate(int row, int column) override;
    void print(std::initializer_list<PrintItem> items, LineEnd lineEnd) override;
    std::string pollKey(std::string* pasted = nullptr) override;
    bool waitForInput() override { return waitForInputOr(-1); }
    bool waitForInputOr(int fd) override;
    void attendToSignals() override;
    void beginFrame() override;
    void endFrame() override;

    // True once the program was found in the background with no shell left
    // to bring it back (see process_group.hpp); the terminal is then closed.
    bool orphaned() const { return orphaned_; }

    // How long a sequence cut short waits for its rest.
    static constexpr int kEscapeTimeMs = 200;

  private:
    TtyTerminal(int fd, const termios& saved, TerminalDescription description);

    // Acts on what the signal handlers noted: a resize or a return from a
    // stop.
    void serviceSignals();
    // Blanks the picture at the window's size, or the least the program
    // draws on.
    void clearPicture();
    // The prompts fit in 80 columns; the help page takes 26 lines, and the
    // cursor ends on the line after them.
    static constexpr int kMinPictureWidth = 80;
    static constexpr int kMinPictureHeight = 27;
    // Reads the window's size, kept within the picture's limits.
    void readWindowSize();

    // Output (tty_output.cpp).
    // Moves the shown part of the picture so the cursor's line is in view.
    void followCursor();
    // Sends the changed cells of the shown part to the terminal.
    void flush();
    void paintEverything();
    void paintRun(int line, int firstColumn, int endColumn);
    void paintBlankToEndOfLine(int terminalLine, int column, Attribute attribute);
    void appendMove(int terminalLine, int column);
    void appendAttribute(Attribute attribute);
    void writeAll(const std::string& bytes);

    // Input (tty_input.cpp).
    // Reads whatever the terminal has sent into the decoder.
    void readAvailable();
    // pollKey when something may need doing: a note from the handlers, a
    // held sequence, a clock check; due when the clock says to read.
    std::string pollAttentively(std::string* pasted, bool due);
    // True when the last read is long enough ago that the terminal should
    // be read although no input was noted.
    bool readDue() const;
    void checkClockAtNextPoll();
    // True once the terminal has hung up (its window closed).
    bool hungUp() const;
    // In the background: closes the terminal, and returns true, when no
    // shell is left to bring the program back.
    bool endIfOrphaned();
    // Takes the next event, waiting a short time for the rest of a sequence
    // cut short.
    std::optional<InputEvent> nextEvent();

    int fd_;
    termios saved_;
    TerminalDescription description_;
    ScreenBuffer screen_;
    KeyDecoder decoder_;
    std::string out_;
    int windowWidth_ = 1;
    int windowHeight_ = 1;
    // The picture's line shown on the window's first line.
    int viewTop_ = 0;
    bool repaintAll_ = true;
    // What the terminal itself shows now: its attribute, and where its
    // cursor stands (-1 when unknown), in window coordinates.
    int shownAttribute_ = -1;
    int shownLine_ = -1;
    int shownColumn_ = -1;
    bool resizeEventPending_ = false;
    bool orphaned_ = false;
    // Frames begun and not yet ended; prints send nothing while above 0.
    int openFrames_ = 0;
    std::chrono::steady_clock::time_point lastRead_{};
};

}  // namespace novemra
