// The hard copy's print system on Linux: CUPS, through libcups.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "print/print_spooler.hpp"

namespace novemra {

// One job at a time on the CUPS scheduler (cupsServer(): the client.conf
// setting or CUPS_SERVER, else the local scheduler). Every call is bounded:
// once the time limit, counted from the default printer's lookup, has
// passed, waiting calls give up and the hard copy is skipped. libcups is
// never allowed to ask for a password.
class CupsSpooler final : public PrintSpooler {
  public:
    explicit CupsSpooler(std::chrono::milliseconds timeLimit = std::chrono::seconds(10));
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    std::string defaultPrinterName() override;
    bool openPrinter(std::string_view name) override;
    bool startDocument(std::string_view documentName, std::string_view dataType) override;
    bool startPage() override;
    void write(std::string_view bytes) override;
    void endPage() override;
    void endDocument() override;
    void closePrinter() override;

    struct Connection;  // the scheduler connection and the open job

  private:
    std::chrono::milliseconds timeLimit_;
    std::chrono::steady_clock::time_point deadline_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace novemra
