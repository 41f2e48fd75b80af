// A private CUPS scheduler for tests: a raw default queue "capture" whose
// jobs land as files, reached through CUPS_SERVER. Needs root (cupsd runs
// its backends as lp) and the cups-daemon package.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace novemra::testing {

// Runs work on a thread of its own and waits for it. libcups keeps its
// settings (server, encryption, HOME) per thread, so a fresh thread starts
// from this test's. The work starts only once the thread's creation has
// finished: the hard copy forks, and a fork while the creating thread is
// still inside pthread_create can copy a memory-allocator lock held
// half-way (AddressSanitizer's allocator has no fork handlers), which
// leaves the hard copy's process stuck at its first allocation.
void onFreshThread(const std::function<void()>& work);

struct CapturedJob {
    std::string title;
    std::string format;
    std::string data;
};

class CupsSandbox {
  public:
    // Why a scheduler cannot run here, or "" when it can.
    static std::string unavailableReason();

    struct Options {
        bool defaultPrinter = true;
        bool requireAuthentication = false;
    };
    CupsSandbox() : CupsSandbox(Options{}) {}
    explicit CupsSandbox(Options options);
    ~CupsSandbox();
    CupsSandbox(const CupsSandbox&) = delete;
    CupsSandbox& operator=(const CupsSandbox&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& socket() const { return socket_; }
    // Runs lpadmin/cupsdisable/cupsreject etc. against this scheduler.
    int admin(const std::string& command) const;
    // Points this process (and the programs it starts) at the scheduler.
    void useFromHere() const;
    // Jobs finished by the backend so far, by job id.
    std::vector<CapturedJob> jobs() const;
    // Waits until at least count jobs have been captured.
    bool waitForJobs(std::size_t count, std::chrono::milliseconds timeout) const;
    struct JobState {
        int state = 0;          // IPP job-state: 3 pending ... 9 completed
        bool incoming = false;  // its document has not arrived in full
        int cpi = 0;            // the job's "cpi" setting, 0 when it has none
    };
    // Every job the scheduler knows, in any state (pending, held,
    // processing, stopped, cancelled, aborted, completed).
    std::vector<JobState> jobStates() const;
    // True when no job is left half-made: each has ended (completed,
    // cancelled, aborted) or, when wholePendingIsFine, waits or prints whole.
    bool noHalfMadeJob(bool wholePendingIsFine = false) const;

  private:
    std::filesystem::path folder_;
    std::string socket_;
    int pid_ = -1;
};

}  // namespace novemra::testing
