// The hard copy's print system on Linux: CUPS, through libcups.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "print/print_spooler.hpp"
#include "print/print_times.hpp"

namespace novemra {

// One job at a time on the CUPS scheduler (cupsServer(): the client.conf
// setting or CUPS_SERVER, else the local scheduler). libcups is never
// allowed to ask for a password.
//
// A hard copy (runJob) runs in a bounded process of its own (see
// bounded_process.hpp) that the program stops waiting for when the time
// limit has passed: libcups can block where no timeout of its own reaches
// (resolving the server's name, its encryption handshake, a server that
// trickles without ever falling silent).
//
// The page goes to the scheduler in one Print-Job request, so a job exists
// only once its whole page has arrived: a request cut short at any point
// leaves no job behind, and a job whose answer never comes back is whole.
// It is sent from memory: no file is written, so a file-size limit
// (ulimit -f) does not touch it.
//
// A job's clock starts at its first call, the lookup of the default
// printer; every call after it gives up at the same work deadline (see
// print_times.hpp).
class CupsSpooler final : public PrintSpooler {
  public:
    explicit CupsSpooler(std::chrono::milliseconds timeLimit = std::chrono::seconds(10));
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    // Runs while the program waits for a hard copy: at every signal, and
    // every fifth of a second.
    void setWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

    void runJob(const std::function<void()>& job) override;
    std::string defaultPrinterName() override;
    bool openPrinter(std::string_view name) override;
    bool startDocument(std::string_view documentName, std::string_view dataType) override;
    bool startPage() override;
    void write(std::string_view bytes) override;
    void endPage() override;
    void endDocument() override;
    void closePrinter() override;

    struct Destination;  // the scheduler connection and the printer on it
    struct Document;     // the job's title, format and page, as they come

  private:
    PrintTimes times_;
    PrintClock::time_point workDeadline_;
    std::unique_ptr<Destination> destination_;
    std::unique_ptr<Document> document_;
    std::function<void()> waitHook_;
};

}  // namespace novemra
