// Turning the bytes a terminal sends into key presses and pastes, the way
// the program wants to see keys. Pure: fed bytes, and told when no more
// came within the escape time; tested with byte sequences.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace novemra {

// One thing the user did at the keyboard.
struct InputEvent {
    enum class Kind { Key, Paste };
    Kind kind = Kind::Key;
    // For a key: its character, or 0 for a key without one.
    // - Backspace is 8 whether the terminal sends 8, 127 or its erase
    //   character; Enter is 13 (input CR translation is off);
    // - an escape sequence (arrows, function keys, Alt with a key, a mouse
    //   report, a control string of any length) is one key without one;
    //   the Escape key alone is 27;
    // - a character outside 7-bit ASCII (a UTF-8 sequence) has none.
    char key = 0;
    // For a paste (bracketed: the terminal marks its start and end): the
    // pasted bytes.
    std::string text;
};

class KeyDecoder {
  public:
    explicit KeyDecoder(char eraseCharacter) : eraseCharacter_(eraseCharacter) {}
    // The terminal's erase character changed (stty erase while stopped).
    void setEraseCharacter(char eraseCharacter) { eraseCharacter_ = eraseCharacter; }

    // Adds bytes read from the terminal.
    void feed(std::string_view bytes);
    // Takes the first complete event. With noMoreBytes (nothing came within
    // the escape time) a sequence cut short ends where it stands: a lone ESC
    // is the Escape key, a paste without its end mark is what arrived.
    std::optional<InputEvent> take(bool noMoreBytes = false);
    // True while bytes are held: events not yet taken, or the start of a
    // sequence that may go on.
    bool waitingForMore() const { return start_ < buffer_.size(); }
    // Throws away every event held (keys typed ahead of a key press). A
    // sequence cut short at the end is remembered, so that its rest, when it
    // comes, is not taken for keys.
    void discard();

    // The most an unended sequence (a paste, a control string) holds: past
    // this its middle is dropped until its end comes. A paste keeps its
    // first half of this.
    static constexpr std::size_t kMaxOpenSequence = 16384;

  private:
    // The length of the complete event at the start of what is held, or 0
    // when it may go on.
    std::size_t completeLength();
    // Drops the first length bytes held.
    void consume(std::size_t length);
    InputEvent eventOf(std::string_view bytes) const;

    char eraseCharacter_;
    // The bytes held are buffer_ from start_ on.
    std::string buffer_;
    std::size_t start_ = 0;
    // How far the sequence at start_ is known not to end.
    std::size_t scanned_ = 0;
    // The sequence at the start of the buffer was begun before a discard:
    // it is thrown away when complete.
    bool dropFirst_ = false;
};

}  // namespace novemra
