// The solved grid on paper: one plain-text job of 16 lines on the default
// printer. Failures are skipped silently.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "print/print_spooler.hpp"
#include "puzzle/grid.hpp"

namespace novemra {

constexpr std::string_view kJobDocumentName = "job1";
// The printer name keeps at most this many characters.
constexpr std::size_t kPrinterNameLimit = 254;

// An open printer with one document and one page started. Closing it (the
// destructor) ends the page and the document and closes the printer.
class PrintJob {
  public:
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;
    PrintJob(PrintJob&& other) noexcept : spooler_(other.spooler_) { other.spooler_ = nullptr; }
    PrintJob& operator=(PrintJob&&) = delete;
    ~PrintJob();

    // Sends the text's bytes, then CR LF as a second write.
    void sendLine(std::string_view text);

  private:
    friend std::optional<PrintJob> openPrintJob(PrintSpooler&, std::string_view, std::string_view,
                                                std::string_view);
    explicit PrintJob(PrintSpooler& spooler) : spooler_(&spooler) {}
    PrintSpooler* spooler_;
};

// Opens the printer, starts a document and a page. On failure undoes what
// was started (end document, close printer) and returns nothing.
std::optional<PrintJob> openPrintJob(PrintSpooler& spooler, std::string_view printerName,
                                     std::string_view documentName, std::string_view dataType);

// The printed line for grid row r: "    |" then the digits, a bar after
// every third column.
std::string hardCopyRowLine(const Grid& grid, int row);

// Looks up the default printer and prints the grid on it, as one job of the
// spooler (see PrintSpooler::runJob).
void makeHardCopy(const Grid& grid, PrintSpooler& spooler);

}  // namespace novemra
