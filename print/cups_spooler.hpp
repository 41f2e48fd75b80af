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
// A hard copy (runJob) runs in processes of its own that the program stops
// waiting for, and ends, when the time limit has passed since it began:
// libcups can block where no timeout of its own reaches (resolving the
// server's name, its encryption handshake, a server that trickles without
// ever falling silent). They leave the terminal's session and hold none of
// its descriptors, so ending the program does not cut a job short; each is
// also ended by the kernel within the limit, so none outlives it whether or
// not the program still runs. The process making the job reports the job's
// id as soon as it exists, and the one watching it cancels a job that was
// not completed, so none is left half-made on a scheduler that answers.
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
    // The given fraction of the time limit.
    std::chrono::milliseconds share(double fraction) const;
    // In the hard copy's first process: runs the job in a process of its
    // own, ends it at its share of the limit, and cancels the job it
    // created if it did not settle it.
    void superviseJob(const std::function<void()>& job);

    std::chrono::milliseconds timeLimit_;
    bool insideJob_ = false;
    // In the process making the job: where it reports the job's id and
    // its settling; -1 elsewhere.
    int reportFd_ = -1;
    Clock::time_point jobStart_;
    // Lookup, connection, job and page give up here...
    Clock::time_point deadline_;
    // ...and taking back a job that failed, here, before the limit.
    Clock::time_point cancelDeadline_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace novemra
