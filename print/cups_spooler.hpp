// The hard copy's print system on Linux: CUPS, through libcups.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "print/print_spooler.hpp"

namespace novemra {

// One job at a time on the CUPS scheduler (cupsServer(): the client.conf
// setting or CUPS_SERVER, else the local scheduler). libcups is never
// allowed to ask for a password.
//
// A hard copy (runJob) runs in a child process that the program stops
// waiting for, and ends, when the time limit has passed since it began:
// libcups can block where no timeout of its own reaches (resolving the
// server's name, its encryption handshake, the fallback connection it opens
// when the first one drops). Inside the child every call is also bounded,
// so that a job that fails is cancelled before the limit and none is left
// half-made; the child ignores the terminal's signals and finishes (or
// cancels) its job even when the user ends the program meanwhile.
class CupsSpooler final : public PrintSpooler {
  public:
    explicit CupsSpooler(std::chrono::milliseconds timeLimit = std::chrono::seconds(10));
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    void runJob(const std::function<void()>& job) override;
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
    using Clock = std::chrono::steady_clock;
    // Sets the deadlines, counted from now.
    void startClock();

    std::chrono::milliseconds timeLimit_;
    bool insideJob_ = false;
    // Lookup, connection, job and page give up here...
    Clock::time_point deadline_;
    // ...and taking back a job that failed, here, before the limit.
    Clock::time_point cancelDeadline_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace novemra
