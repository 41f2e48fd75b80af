// A terminal that lives in memory: the screen is a ScreenBuffer and the
// keyboard a queue of events. It behaves as the real terminal does and lets
// tests and benchmarks run the program without a tty.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/console_terminal.hpp"
#include "console/screen_buffer.hpp"

namespace novemra {

// One thing the keyboard queue can hold.
struct KeyEvent {
    enum class Kind { Press, Release, Resize, Paste };
    Kind kind = Kind::Press;
    char ch = 0;  // for a press: the character, or 0 for keys without one
    int width = 0;
    int height = 0;
    std::string text;  // for a paste

    static KeyEvent press(char ch) { return {Kind::Press, ch, 0, 0, {}}; }
    static KeyEvent keyWithoutCharacter() { return {Kind::Press, 0, 0, 0, {}}; }
    static KeyEvent release() { return {Kind::Release, 0, 0, 0, {}}; }
    static KeyEvent resize(int width, int height) { return {Kind::Resize, 0, width, height, {}}; }
    static KeyEvent paste(std::string text) { return {Kind::Paste, 0, 0, 0, std::move(text)}; }
};

class MemoryTerminal final : public ConsoleTerminal {
  public:
    explicit MemoryTerminal(int width = 80, int height = 30)
        : screen_(width, height), windowWidth_(width), windowHeight_(height) {}

    void hideCursor() override { cursorHidden_ = true; }
    void setColour(int foreground, int background) override;
    void clear() override;
    void locate(int row, int column) override;
    void print(std::initializer_list<PrintItem> items, LineEnd lineEnd) override;
    std::string pollKey(std::string* pasted = nullptr) override;
    bool waitForInput() override;
    // The terminal goes away, as when its window is closed.
    void close() { closed_ = true; }

    // Keys that are pending now, as if typed before the next poll.
    void queue(KeyEvent event) { pending_.push_back(event); }
    void queueKeys(std::string_view keys);
    // Keys typed one at a time: each arrives only when the program sleeps
    // waiting for input with nothing pending, as a person answers a prompt.
    void script(KeyEvent event) { script_.push_back(event); }
    void scriptKeys(std::string_view keys);
    // Called at the start of every pollKey, so a test can press a key at a
    // chosen moment (for example while the solver runs).
    void onPoll(std::function<void(MemoryTerminal&)> hook) { onPoll_ = std::move(hook); }

    const ScreenBuffer& screen() const { return screen_; }
    // The 1-based screen line with trailing blanks removed.
    std::string line(int row) const;
    // Every line, trimmed, joined with '\n', trailing empty lines dropped.
    std::string screenText() const;

    bool cursorHidden() const { return cursorHidden_; }
    // True when the program waited for a key after the script ran out.
    bool starved() const { return starved_; }
    std::size_t pendingCount() const { return pending_.size(); }
    long printCount() const { return printCount_; }
    long pollCount() const { return pollCount_; }
    long clearCount() const { return clearCount_; }
    long waitCount() const { return waitCount_; }

  private:
    // The next pending event as pollKey returns it. Kept apart so that the
    // common poll with nothing pending stays cheap for long searches.
    std::string takePending(std::string* pasted);

    ScreenBuffer screen_;
    // The window's size, which the screen takes at the next clear.
    int windowWidth_;
    int windowHeight_;
    std::deque<KeyEvent> pending_;
    std::deque<KeyEvent> script_;
    std::function<void(MemoryTerminal&)> onPoll_;
    bool cursorHidden_ = false;
    bool starved_ = false;
    long printCount_ = 0;
    long pollCount_ = 0;
    long clearCount_ = 0;
    long waitCount_ = 0;
};

}  // namespace novemra
