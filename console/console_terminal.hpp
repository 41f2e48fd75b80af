// The text-screen interface the whole program draws and reads keys through.
// Positions are 1-based (row, column); row 1 is the top line.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace novemra {

// Console colour numbers: bit 0 blue, bit 1 green, bit 2 red, bit 3 bright.
constexpr int kColourBlue = 1;
constexpr int kColourBrightYellow = 14;

// One piece of a print: a text written unchanged, or an integer written in
// decimal followed by one blank (the "%d " form).
class PrintItem {
  public:
    PrintItem(std::string_view text) : text_(text) {}    // NOLINT: implicit on purpose
    PrintItem(const char* text) : text_(text) {}         // NOLINT
    PrintItem(const std::string& text) : text_(text) {}  // NOLINT
    PrintItem(std::int32_t number) : isNumber_(true), number_(number) {}  // NOLINT

    // Room for the longest integer item: sign, ten digits and the blank.
    using Digits = char[16];
    // This item's characters: the text itself, or the number written into
    // digits.
    std::string_view render(Digits& digits) const;

  private:
    bool isNumber_ = false;
    std::string_view text_;
    std::int32_t number_ = 0;
};

enum class LineEnd : bool { No = false, Yes = true };

class ConsoleTerminal {
  public:
    virtual ~ConsoleTerminal() = default;

    // Hides the text cursor for the rest of the run.
    virtual void hideCursor() = 0;
    // Makes foreground on background the colour of later text and clears.
    virtual void setColour(int foreground, int background) = 0;
    // Blanks the whole screen in the current colour; cursor to (1, 1).
    virtual void clear() = 0;
    // Moves the cursor; nothing is written.
    virtual void locate(int row, int column) = 0;
    // Writes the items at the cursor, then CR LF when asked. CR goes to
    // column 1, LF down one line (scrolling on the last line), other
    // characters wrap at the right edge. On screen when this returns.
    virtual void print(std::initializer_list<PrintItem> items, LineEnd lineEnd) = 0;
    // Takes one pending key press without waiting: "" when none is pending
    // or the event has no character. After a key press, whatever else is
    // queued is discarded. A paste counts as one key press, its first
    // character; when pasted is given, the whole paste is stored there.
    virtual std::string pollKey(std::string* pasted = nullptr) = 0;
    // Sleeps until input may be pending. Returns false once no input can
    // ever come again (the terminal is gone), true otherwise.
    virtual bool waitForInput() = 0;
    // As waitForInput, and ends too once fd has something to read (or its
    // end): for a wait on another input that keeps answering the screen.
    virtual bool waitForInputOr(int fd) {
        (void)fd;
        return waitForInput();
    }
    // True once the terminal is gone; the program then ends. Not virtual:
    // the search asks at every step back.
    bool closed() const { return closed_; }
    // Polls once, as pollKey does, and tells whether the key taken is key.
    // The search polls so at every step back; a poll the terminal has said
    // will find nothing ends here after a few loads, with no call.
    bool pollForKey(std::string_view key) {
        if (quietPolls_ > 0 && attention_->load(std::memory_order_relaxed) == 0) {
            --quietPolls_;
            return false;
        }
        return pollKey() == key;
    }

    // Answers what happened to the terminal meanwhile (a resize, a return
    // from a stop or from the background) without reading a key: for long
    // waits that are not waits for a key.
    virtual void attendToSignals() {}

    // Between these, the prints change the picture but send nothing; the
    // end sends what changed in one go. For a picture drawn in many prints.
    virtual void beginFrame() {}
    virtual void endFrame() {}

    void printLine(std::string_view text) { print({text}, LineEnd::Yes); }
    void printText(std::string_view text) { print({text}, LineEnd::No); }
    void printEmptyLine() { print({}, LineEnd::Yes); }

  protected:
    // Set by a terminal when it finds it has gone away.
    bool closed_ = false;
    // How many of the coming polls may end at once with no key, as long as
    // *attention_ stays 0. A terminal that reads only when told that input
    // came (or now and then) counts these down itself; at 0, as for a
    // terminal that leaves it so, every poll is a call to pollKey.
    int quietPolls_ = 0;
    const std::atomic<unsigned>* attention_ = &kNothingNoted;

  private:
    static constexpr std::atomic<unsigned> kNothingNoted{0};
};

// Holds a terminal's output for as long as it lives: one frame.
class BatchedOutput {
  public:
    explicit BatchedOutput(ConsoleTerminal& terminal) : terminal_(terminal) {
        terminal_.beginFrame();
    }
    ~BatchedOutput() { terminal_.endFrame(); }
    BatchedOutput(const BatchedOutput&) = delete;
    BatchedOutput& operator=(const BatchedOutput&) = delete;

  private:
    ConsoleTerminal& terminal_;
};

// The key character the program gives meaning to besides letters and digits.
constexpr char kBackspaceKey = 8;

}  // namespace novemra
