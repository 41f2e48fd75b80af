#include "console/key_decoder.hpp"

#include <gtest/gtest.h>

namespace novemra {
namespace {

constexpr char kErase = 127;

// The key of the first event in bytes, taking a cut-short sequence as
// ended; -1 when there is no event at all.
int firstKey(std::string_view bytes, char erase = kErase) {
    KeyDecoder decoder(erase);
    decoder.feed(bytes);
    const std::optional<InputEvent> event = decoder.take(true);
    return event ? event->key : -1;
}

TEST(KeyDecoder, BackspaceIsEightHoweverTheTerminalSendsIt) {
    EXPECT_EQ(firstKey("\x7f"), 8);
    EXPECT_EQ(firstKey("\x08"), 8);
    EXPECT_EQ(firstKey("\x17", '\x17'), 8);  // an unusual erase character
    EXPECT_EQ(firstKey("#", '#'), '#');      // a printable one stays a key
}

TEST(KeyDecoder, PlainKeysComeBackAsTypedOneAtATime) {
    KeyDecoder decoder(kErase);
    decoder.feed("yY0\r ");
    for (const char expected : std::string_view("yY0\r ")) {
        const std::optional<InputEvent> event = decoder.take();
        ASSERT_TRUE(event);
        EXPECT_EQ(event->key, expected);
    }
    EXPECT_FALSE(decoder.take());
}

TEST(KeyDecoder, EscapeSequencesAndNonAsciiHaveNoCharacter) {
    EXPECT_EQ(firstKey("\x1b[A"), 0);         // up arrow
    EXPECT_EQ(firstKey("\x1bOP"), 0);         // F1
    EXPECT_EQ(firstKey("\x1b[15~"), 0);       // F5
    EXPECT_EQ(firstKey("\x1bx"), 0);          // Alt-x is not x
    EXPECT_EQ(firstKey("\x1b\x1b[A"), 0);     // Alt-up
    EXPECT_EQ(firstKey("\x1b[M !!"), 0);      // X10 mouse report
    EXPECT_EQ(firstKey("\x1b[<0;12;5M"), 0);  // SGR mouse report
    EXPECT_EQ(firstKey("\xc3\xa9"), 0);       // é in UTF-8
    EXPECT_EQ(firstKey("\xff"), 0);
}

TEST(KeyDecoder, ASequenceSplitAcrossReadsWaitsForItsRest) {
    KeyDecoder decoder(kErase);
    decoder.feed("\x1b");
    EXPECT_FALSE(decoder.take());
    EXPECT_TRUE(decoder.waitingForMore());
    decoder.feed("[");
    EXPECT_FALSE(decoder.take());
    decoder.feed("Ay");
    EXPECT_EQ(decoder.take()->key, 0);  // the arrow, whole
    EXPECT_EQ(decoder.take()->key, 'y');
}

TEST(KeyDecoder, ALoneEscapeIsTheEscapeKeyOnceNothingMoreComes) {
    KeyDecoder decoder(kErase);
    decoder.feed("\x1b");
    EXPECT_FALSE(decoder.take());
    EXPECT_EQ(decoder.take(true)->key, 27);
    EXPECT_FALSE(decoder.waitingForMore());
}

TEST(KeyDecoder, ALongControlStringIsOneEventHoweverItIsSplit) {
    KeyDecoder decoder(kErase);
    decoder.feed("\x1b]52;c;");
    for (int i = 0; i < 40; ++i) {
        decoder.feed(std::string(256, 'y'));
        EXPECT_FALSE(decoder.take());
    }
    decoder.feed("\x1b\\n");
    EXPECT_EQ(decoder.take()->key, 0);
    EXPECT_EQ(decoder.take()->key, 'n');
}

TEST(KeyDecoder, ABracketedPasteIsOneEventWithItsText) {
    KeyDecoder decoder(kErase);
    decoder.feed("\x1b[200~12.\r\n4");
    EXPECT_FALSE(decoder.take());
    decoder.feed("5\x1b[201~z");
    const std::optional<InputEvent> paste = decoder.take();
    ASSERT_TRUE(paste);
    EXPECT_EQ(paste->kind, InputEvent::Kind::Paste);
    EXPECT_EQ(paste->text, "12.\r\n45");
    EXPECT_EQ(decoder.take()->key, 'z');
}

TEST(KeyDecoder, DiscardDropsTypeAheadAndTheRestOfASequenceCutShort) {
    KeyDecoder decoder(kErase);
    decoder.feed("ab\x1b]0;title");
    EXPECT_EQ(decoder.take()->key, 'a');
    decoder.discard();
    EXPECT_FALSE(decoder.take());
    decoder.feed("...\x07y");  // the control string's tail, then a real key
    EXPECT_EQ(decoder.take()->key, 'y');
}

// A megabyte of ESC (a stuck key, a binary stream) is a run of Escape
// keys, decoded a read at a time without deep recursion or rescanning.
TEST(KeyDecoder, AFloodOfEscapesIsARunOfEscapeKeys) {
    KeyDecoder decoder(kErase);
    constexpr std::size_t kFlood = 1 << 20;
    const std::string chunk(4096, '\x1b');
    std::size_t escapes = 0;
    for (std::size_t fed = 0; fed < kFlood; fed += chunk.size()) {
        decoder.feed(chunk);
        while (const std::optional<InputEvent> event = decoder.take()) {
            ASSERT_EQ(event->key, 27);
            ++escapes;
        }
    }
    // The last two may begin Alt with a key; once nothing more comes they
    // are one key without a character.
    EXPECT_EQ(escapes, kFlood - 2);
    EXPECT_EQ(decoder.take(true)->key, 0);
    EXPECT_FALSE(decoder.waitingForMore());
}

// A paste or control string that does not end keeps only its start while
// it lasts, and what follows its end is keys again.
TEST(KeyDecoder, AnEndlessSequenceIsBoundedAndTheKeysAfterItSurvive) {
    KeyDecoder decoder(kErase);
    decoder.feed("\x1b[200~");
    for (int i = 0; i < 256; ++i) {
        decoder.feed(std::string(4096, '7'));
        ASSERT_FALSE(decoder.take());
    }
    decoder.feed("\x1b[201~y\x1b]0;");
    const std::optional<InputEvent> paste = decoder.take();
    ASSERT_TRUE(paste);
    EXPECT_EQ(paste->kind, InputEvent::Kind::Paste);
    EXPECT_LE(paste->text.size(), KeyDecoder::kMaxOpenSequence);
    EXPECT_EQ(paste->text.substr(0, 81), std::string(81, '7'));
    EXPECT_EQ(decoder.take()->key, 'y');

    for (int i = 0; i < 256; ++i) {
        decoder.feed(std::string(4096, 'a'));
        ASSERT_FALSE(decoder.take());
    }
    decoder.feed("\x07n");
    EXPECT_EQ(decoder.take()->key, 0);
    EXPECT_EQ(decoder.take()->key, 'n');
}

}  // namespace
}  // namespace novemra
