#include "print/hard_copy.hpp"

#include <gtest/gtest.h>

#include "support/fake_spooler.hpp"
#include "support/puzzle_builder.hpp"

namespace novemra {
namespace {

using testing::FakeSpooler;
using testing::puzzleFrom;
using Calls = std::vector<std::string>;

const Grid& solvedGrid() {
    static const Grid grid = testing::puzzleFrom(testing::kSolvedSudoku).grid;
    return grid;
}

TEST(HardCopy, SendsTheSixteenLinePageAsOneTextJob) {
    FakeSpooler spooler;
    makeHardCopy(solvedGrid(), spooler);

    EXPECT_EQ(spooler.calls, (Calls{"lookup", "open", "startDocument", "startPage", "write",
                                    "endPage", "endDocument", "close"}));
    EXPECT_EQ(spooler.openedName, "office");
    EXPECT_EQ(spooler.documentName, "job1");
    EXPECT_EQ(spooler.dataType, "text");
    const std::string separator = "    -------------\r\n";
    EXPECT_EQ(spooler.bytes,
              " *** Novemra ***\r\n"
              " Solved by backtracking search\r\n"
              " \r\n" +
                  separator +
                  "    |534|678|912|\r\n"
                  "    |672|195|348|\r\n"
                  "    |198|342|567|\r\n" +
                  separator +
                  "    |859|761|423|\r\n"
                  "    |426|853|791|\r\n"
                  "    |713|924|856|\r\n" +
                  separator +
                  "    |961|537|284|\r\n"
                  "    |287|419|635|\r\n"
                  "    |345|286|179|\r\n" +
                  separator);
    // Every line is its text and then CR LF, written separately.
    EXPECT_EQ(spooler.writes, 32);
}

TEST(HardCopy, RowLineIsSeventeenCharacters) {
    EXPECT_EQ(hardCopyRowLine(solvedGrid(), 1), "    |534|678|912|");
}

TEST(HardCopy, FailedOpenMakesNoOtherCall) {
    FakeSpooler spooler;
    spooler.failOpen = true;
    makeHardCopy(solvedGrid(), spooler);
    EXPECT_EQ(spooler.calls, (Calls{"lookup", "open"}));
    EXPECT_TRUE(spooler.bytes.empty());
}

TEST(HardCopy, FailedDocumentOnlyClosesThePrinter) {
    FakeSpooler spooler;
    spooler.failDocument = true;
    makeHardCopy(solvedGrid(), spooler);
    EXPECT_EQ(spooler.calls, (Calls{"lookup", "open", "startDocument", "close"}));
}

TEST(HardCopy, FailedPageEndsTheDocumentBeforeClosing) {
    FakeSpooler spooler;
    spooler.failPage = true;
    makeHardCopy(solvedGrid(), spooler);
    EXPECT_EQ(spooler.calls,
              (Calls{"lookup", "open", "startDocument", "startPage", "endDocument", "close"}));
    EXPECT_TRUE(spooler.bytes.empty());
}

TEST(HardCopy, LongPrinterNameIsCutTo254Characters) {
    FakeSpooler spooler;
    spooler.printerName = std::string(300, 'p');
    makeHardCopy(solvedGrid(), spooler);
    EXPECT_EQ(spooler.openedName, std::string(254, 'p'));
}

}  // namespace
}  // namespace novemra
