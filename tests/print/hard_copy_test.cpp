#include "print/hard_copy.hpp"

#include <gtest/gtest.h>

#include "support/fake_spooler.hpp"
#include "support/solved_page.hpp"

namespace novemra {
namespace {

using testing::FakeSpooler;
using Calls = std::vector<std::string>;

using testing::solvedGrid;

TEST(HardCopy, SendsTheSixteenLinePageAsOneTextJob) {
    FakeSpooler spooler;
    makeHardCopy(solvedGrid(), spooler);

    EXPECT_EQ(spooler.calls, (Calls{"lookup", "open", "startDocument", "startPage", "write",
                                    "endPage", "endDocument", "close"}));
    EXPECT_EQ(spooler.openedName, "office");
    EXPECT_EQ(spooler.documentName, "job1");
    EXPECT_EQ(spooler.dataType, "text");
    EXPECT_EQ(spooler.bytes, testing::solvedPage());
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
