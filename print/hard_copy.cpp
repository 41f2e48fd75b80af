#include "print/hard_copy.hpp"

#include <array>

namespace novemra {

namespace {

constexpr std::string_view kPageTitle = " *** Novemra ***";
constexpr std::string_view kPageNotice = " Solved by backtracking search";
constexpr std::string_view kPageSpacer = " ";
constexpr std::string_view kPageSeparator = "    -------------";
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

PrintJob::~PrintJob() {
    if (spooler_ == nullptr) {
        return;
    }
    spooler_->endPage();
    spooler_->endDocument();
    spooler_->closePrinter();
}

void PrintJob::sendLine(std::string_view text) {
    spooler_->write(text);
    spooler_->write(kLineEnd);
}

std::optional<PrintJob> openPrintJob(PrintSpooler& spooler, std::string_view printerName,
                                     std::string_view documentName, std::string_view dataType) {
    if (!spooler.openPrinter(printerName)) {
        return std::nullopt;
    }
    if (!spooler.startDocument(documentName, dataType)) {
        spooler.closePrinter();
        return std::nullopt;
    }
    if (!spooler.startPage()) {
        spooler.endDocument();
        spooler.closePrinter();
        return std::nullopt;
    }
    return PrintJob(spooler);
}

std::string hardCopyRowLine(const Grid& grid, int row) {
    std::string line = "    |";
    for (int column = 1; column <= kGridSize; ++column) {
        const int value = grid.at(row, column);
        // A solved grid holds only 1..9; anything else is shown as '?'
        // rather than as an arbitrary byte.
        line.push_back(value >= 0 && value <= 9 ? static_cast<char>('0' + value) : '?');
        if (column % 3 == 0) {
            line.push_back('|');
        }
    }
    return line;
}

namespace {

// The steps of one hard copy: lookup, open, the 16 lines, close.
void printPage(const Grid& grid, PrintSpooler& spooler) {
    std::string printerName = spooler.defaultPrinterName();
    if (printerName.size() > kPrinterNameLimit) {
        printerName.resize(kPrinterNameLimit);
    }
    std::optional<PrintJob> job =
        openPrintJob(spooler, printerName, kJobDocumentName, kJobDataType);
    if (!job) {
        return;
    }
    for (const std::string_view line : {kPageTitle, kPageNotice, kPageSpacer, kPageSeparator}) {
        job->sendLine(line);
    }
    for (int row = 1; row <= kGridSize; ++row) {
        job->sendLine(hardCopyRowLine(grid, row));
        if (row % 3 == 0) {
            job->sendLine(kPageSeparator);
        }
    }
}

}  // namespace

void makeHardCopy(const Grid& grid, PrintSpooler& spooler) {
    spooler.runJob([&grid, &spooler] { printPage(grid, spooler); });
}

}  // namespace novemra
