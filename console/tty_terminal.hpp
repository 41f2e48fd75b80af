// The real terminal: the controlling tty, described by terminfo.
//
// It keeps a ScreenBuffer as its own picture of the screen and, after each
// operation, sends only the cells that changed, in one write. A print that
// changes nothing costs no system call. It owns every change it makes to the
// terminal (input modes, alternate screen, hidden cursor) and undoes them
// when destroyed, and from its signal handlers when the process is ended,
// suspended or crashes.
#pragma once

#include <termios.h>

#include <memory>
#include <string>

#include "console/console_terminal.hpp"
#include "console/screen_buffer.hpp"

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
    std::string pollKey() override;
    bool waitForInput() override;
    bool closed() const override { return closed_; }

    // Escape sequences the terminal needs, from its terminfo entry.
    struct Sequences {
        std::string enter;  // alternate screen on
        std::string leave;  // colours reset, cursor shown, alternate screen off
        std::string hideCursor;
        std::string clearScreen;
        std::string cursorAddress;  // terminfo "cup" with two parameters
        bool ansiCursorAddress = false;
        std::string resetAttributes;
        std::string bold;
        std::string foreground;  // terminfo "setaf"
        std::string background;  // terminfo "setab"
        int colours = 8;
    };

  private:
    TtyTerminal(int fd, const termios& saved, Sequences sequences, int width, int height);

    // Acts on what the signal handlers noted: a resize or a return from
    // suspension.
    void serviceSignals();
    // Sends the changed cells of the picture to the terminal.
    void flush();
    void appendMove(int line, int column);
    void appendAttribute(Attribute attribute);
    void writeAll(const std::string& bytes);

    int fd_;
    termios saved_;
    Sequences sequences_;
    ScreenBuffer screen_;
    std::string out_;
    // What the terminal itself shows now: its attribute, and where its
    // cursor stands (-1 when unknown).
    int shownAttribute_ = -1;
    int shownLine_ = -1;
    int shownColumn_ = -1;
    bool resizeEventPending_ = false;
    bool closed_ = false;
    char eraseCharacter_ = 0;
};

}  // namespace novemra
