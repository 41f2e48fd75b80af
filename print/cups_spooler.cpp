#include "print/cups_spooler.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "print/connection_budget.hpp"
#include "print/cups_library.hpp"
#include "print/hard_copy.hpp"

namespace novemra {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked call looks at the deadline.
constexpr double kTimeoutCheckSeconds = 0.25;
// Shares of the time limit. The job's own calls give up by the first; the
// kernel ends the process making the job at the second, whatever a server
// sends; a job it left unfinished is taken back by the third; the kernel
// ends the hard copy's last process at the fourth, and the program stops
// waiting at the whole limit.
constexpr double kWorkShare = 0.75;
constexpr double kWorkerEndShare = 0.8;
constexpr double kCancelShare = 0.92;
constexpr double kSupervisorEndShare = 0.97;
// The most connections each process of a hard copy may open: it needs a
// handful (lookup, job, check, cancel), and libcups' own retries against a
// server that keeps redirecting or never ends its header stop here.
constexpr int kConnectionLimit = 16;
// The most address space the process making the job may use: a server that
// streams without end cannot grow it past this.
constexpr rlim_t kWorkerMemoryLimit = rlim_t{256} << 20;

const char* declinePassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

// libcups, once cupsReady() has said it is loaded: every path to a call
// below passes through that check.
const CupsLibrary& cups() {
    return *cupsLibrary();
}

// Loads libcups if need be and tells it never to ask for a password (a
// setting of the calling thread). False when there is no libcups.
bool cupsReady() {
    if (cupsLibrary() == nullptr) {
        return false;
    }
    cups().cupsSetPasswordCB2(declinePassword, nullptr);
    return true;
}

int keepWaitingUntil(http_t*, void* deadline) {
    return Clock::now() < *static_cast<const Clock::time_point*>(deadline) ? 1 : 0;
}

int millisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

// Splits "name/instance" into its two parts.
void splitDestination(std::string_view full, std::string& name, std::string& instance) {
    const auto slash = full.find('/');
    name = std::string(full.substr(0, slash));
    instance = slash == std::string_view::npos ? "" : std::string(full.substr(slash + 1));
}

struct HttpCloser {
    void operator()(http_t* http) const { cups().httpClose(http); }
};
struct DestFreer {
    void operator()(cups_dest_t* dest) const { cups().cupsFreeDests(1, dest); }
};
using HttpHandle = std::unique_ptr<http_t, HttpCloser>;
using DestHandle = std::unique_ptr<cups_dest_t, DestFreer>;

// A connection to the scheduler whose every wait ends at the deadline. The
// encryption the user configured is asked for only once the deadline is in
// force, so its handshake is bounded too.
HttpHandle connectToScheduler(Clock::time_point& deadline) {
    const int left = millisecondsLeft(deadline);
    if (left == 0) {
        return nullptr;
    }
    HttpHandle http(cups().httpConnect2(cups().cupsServer(), cups().ippPort(), nullptr, AF_UNSPEC,
                                        HTTP_ENCRYPTION_IF_REQUESTED, 1, left, nullptr));
    if (!http) {
        return nullptr;
    }
    cups().httpSetTimeout(http.get(), kTimeoutCheckSeconds, keepWaitingUntil, &deadline);
    const http_encryption_t wanted = cups().cupsEncryption();
    if (wanted != HTTP_ENCRYPTION_IF_REQUESTED && cups().httpEncryption(http.get(), wanted) != 0) {
        return nullptr;
    }
    return http;
}

// In the hard copy's processes: they leave the terminal's session, so that
// its signals (Ctrl-C, Ctrl-Z, a hang-up) do not cut a job short and an
// ssh logout does not wait for them; they hold no descriptor of the
// terminal's; and the program's own handlers, which restore the terminal,
// are not theirs to run. keep is the one descriptor kept open above 2.
void detachFromTerminal(int keep) {
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) {
            ::signal(signal, SIG_DFL);
        }
    }
    ::signal(SIGPIPE, SIG_IGN);
    ::setsid();
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    for (int fd = 0; fd <= 2; ++fd) {
        ::dup2(null, fd);
    }
    const int kept = ::dup2(keep, 3);
    ::close_range(static_cast<unsigned>(kept) + 1, ~0U, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

// Ends this process by SIGALRM (its default action) once the time has
// passed, whatever it is doing: a bound that no server can stretch.
void endAfter(std::chrono::milliseconds time) {
    itimerval timer{};
    const auto milliseconds = std::max<long long>(time.count(), 1);
    timer.it_value.tv_sec = static_cast<time_t>(milliseconds / 1000);
    timer.it_value.tv_usec = static_cast<suseconds_t>(milliseconds % 1000 * 1000);
    ::setitimer(ITIMER_REAL, &timer, nullptr);
}

// What the process making the job tells the one watching it, one line each.
constexpr char kReportJob = 'J';      // "J<id>": the job exists
constexpr char kReportSettled = 'S';  // the job is complete, or taken back

void report(int fd, char what, int jobId = 0) {
    if (fd < 0) {
        return;
    }
    std::array<char, 24> line{};
    const int length = std::snprintf(line.data(), line.size(), "%c%d\n", what, jobId);
    [[maybe_unused]] const ssize_t written =
        ::write(fd, line.data(), static_cast<std::size_t>(length));
}

// True when the scheduler says the job has all its documents (its state
// reasons do not include "job-incoming").
bool jobArrivedWhole(int jobId, Clock::time_point& deadline) {
    HttpHandle http = connectToScheduler(deadline);
    if (!http) {
        return false;
    }
    ipp_t* request = cups().ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                        "ipp://localhost/");
    cups().ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                        cups().cupsUser());
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                        nullptr, "job-state-reasons");
    ipp_t* response = cups().cupsDoRequest(http.get(), request, "/");
    bool whole =
        response != nullptr && cups().ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (whole) {
        ipp_attribute_t* reasons =
            cups().ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD);
        for (int i = 0; reasons != nullptr && i < cups().ippGetCount(reasons); ++i) {
            whole = whole &&
                    std::string_view(cups().ippGetString(reasons, i, nullptr)) != "job-incoming";
        }
    }
    cups().ippDelete(response);
    return whole;
}

}  // namespace

struct CupsSpooler::Connection {
    HttpHandle http;
    DestHandle destination;
    int jobId = 0;
    bool documentFinished = false;
    std::string title;
    std::string format;
};

CupsSpooler::CupsSpooler(std::chrono::milliseconds timeLimit) : timeLimit_(timeLimit) {}

CupsSpooler::~CupsSpooler() = default;

std::chrono::milliseconds CupsSpooler::share(double fraction) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(timeLimit_ * fraction);
}

void CupsSpooler::startClock() {
    jobStart_ = Clock::now();
    deadline_ = jobStart_ + share(kWorkShare);
    cancelDeadline_ = jobStart_ + share(kCancelShare);
}

namespace {

// Waits until fd reports its end (closes) or the deadline passes; false at
// the deadline or when waiting fails.
bool waitForEnd(int fd, Clock::time_point deadline, std::string* lines = nullptr) {
    for (;;) {
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;  // a resize or a key: keep waiting
        }
        if (ready <= 0) {
            return false;
        }
        std::array<char, 256> bytes{};
        const ssize_t count = ::read(fd, bytes.data(), bytes.size());
        if (count <= 0) {
            return count == 0;
        }
        if (lines != nullptr) {
            lines->append(bytes.data(), static_cast<std::size_t>(count));
        }
    }
}

// The job id the worker reported and whether it settled the job.
void readReport(const std::string& lines, int& jobId, bool& settled) {
    std::size_t at = 0;
    while (at < lines.size()) {
        const std::size_t end = lines.find('\n', at);
        if (end == std::string::npos) {
            break;
        }
        if (lines[at] == kReportJob) {
            jobId = std::atoi(lines.c_str() + at + 1);
        } else if (lines[at] == kReportSettled) {
            settled = true;
        }
        at = end + 1;
    }
}

}  // namespace

void CupsSpooler::runJob(const std::function<void()>& job) {
    const auto limit = Clock::now() + timeLimit_;
    startClock();
    // The hard copy's first process (the supervisor) holds the write end;
    // it closes when that process ends.
    std::array<int, 2> done{-1, -1};
    if (::pipe2(done.data(), O_CLOEXEC) != 0) {
        return;
    }
    // No handler of the program's may run in a child before it has set
    // itself up.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    ::sigprocmask(SIG_BLOCK, &all, &before);
    const pid_t supervisor = ::fork();
    if (supervisor == 0) {
        detachFromTerminal(done[1]);
        endAfter(share(kSupervisorEndShare));
        limitConnections(kConnectionLimit);
        if (cupsReady()) {
            superviseJob(job);
        }
        ::_exit(0);
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    ::close(done[1]);
    if (supervisor > 0) {
        if (!waitForEnd(done[0], limit)) {
            // Past the limit, or waiting failed: end the whole hard copy
            // (the supervisor leads a process group of its own).
            ::kill(-supervisor, SIGKILL);
            ::kill(supervisor, SIGKILL);
        }
        while (::waitpid(supervisor, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(done[0]);
}

void CupsSpooler::superviseJob(const std::function<void()>& job) {
    std::array<int, 2> reports{-1, -1};
    if (::pipe2(reports.data(), O_CLOEXEC) != 0) {
        return;
    }
    const pid_t worker = ::fork();
    if (worker == 0) {
        ::close(reports[0]);
#if !defined(__SANITIZE_ADDRESS__)
        // (The address sanitizer reserves far more address space than this.)
        const rlimit memory{kWorkerMemoryLimit, kWorkerMemoryLimit};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        endAfter(share(kWorkerEndShare));
        limitConnections(kConnectionLimit);
        insideJob_ = true;
        reportFd_ = reports[1];
        job();
        connection_.reset();
        ::_exit(0);
    }
    ::close(reports[1]);
    std::string lines;
    const bool ended =
        worker > 0 && waitForEnd(reports[0], jobStart_ + share(kWorkerEndShare), &lines);
    if (worker > 0) {
        if (!ended) {
            ::kill(worker, SIGKILL);
        }
        ::waitpid(worker, nullptr, 0);
    }
    ::close(reports[0]);
    // A job the worker created but did not settle (it was ended, or failed
    // before it could cancel) is taken back here, over a fresh connection
    // with the time kept for it.
    int jobId = 0;
    bool settled = false;
    readReport(lines, jobId, settled);
    if (jobId > 0 && !settled) {
        HttpHandle http = connectToScheduler(cancelDeadline_);
        if (http) {
            cups().cupsCancelJob2(http.get(), nullptr, jobId, 0);
        }
    }
}

std::string CupsSpooler::defaultPrinterName() {
    if (!insideJob_) {
        startClock();
    }
    if (!cupsReady()) {
        return "";
    }
    HttpHandle http = connectToScheduler(deadline_);
    if (!http) {
        return "";
    }
    // With no name: lpoptions' default, then LPDEST or PRINTER, then the
    // scheduler's default.
    const DestHandle dest(cups().cupsGetNamedDest(http.get(), nullptr, nullptr));
    if (!dest) {
        return "";
    }
    std::string name = dest->name;
    if (dest->instance != nullptr) {
        name += "/";
        name += dest->instance;
    }
    return name;
}

bool CupsSpooler::openPrinter(std::string_view fullName) {
    if (fullName.empty() || !cupsReady()) {
        return false;
    }
    auto connection = std::make_unique<Connection>();
    connection->http = connectToScheduler(deadline_);
    if (!connection->http) {
        return false;
    }
    std::string name;
    std::string instance;
    splitDestination(fullName, name, instance);
    connection->destination.reset(cups().cupsGetNamedDest(
        connection->http.get(), name.c_str(), instance.empty() ? nullptr : instance.c_str()));
    if (!connection->destination) {
        return false;
    }
    connection_ = std::move(connection);
    return true;
}

bool CupsSpooler::startDocument(std::string_view documentName, std::string_view dataType) {
    connection_->title = documentName;
    connection_->format = dataType == kJobDataType ? CUPS_FORMAT_TEXT : std::string(dataType);
    // The destination's own settings (an lpoptions instance's, say) go with
    // the job, as the system's own lp sends them; the program adds none.
    const cups_dest_t& destination = *connection_->destination;
    connection_->jobId =
        cups().cupsCreateJob(connection_->http.get(), destination.name, connection_->title.c_str(),
                             destination.num_options, destination.options);
    if (connection_->jobId > 0) {
        // Whoever watches this process cancels the job if it is not
        // settled when this process ends.
        report(reportFd_, kReportJob, connection_->jobId);
    }
    return connection_->jobId > 0;
}

bool CupsSpooler::startPage() {
    // The one document of the job, in the format the document named, and
    // its last.
    return cups().cupsStartDocument(connection_->http.get(), connection_->destination->name,
                                    connection_->jobId, connection_->title.c_str(),
                                    connection_->format.c_str(), 1) == HTTP_STATUS_CONTINUE;
}

void CupsSpooler::write(std::string_view bytes) {
    cups().cupsWriteRequestData(connection_->http.get(), bytes.data(), bytes.size());
}

void CupsSpooler::endPage() {
    // Only a document the scheduler took in full counts as finished. libcups
    // can report success for a finish whose connection broke, so the
    // scheduler is asked whether the job still waits for its document.
    connection_->documentFinished =
        cups().cupsFinishDocument(connection_->http.get(), connection_->destination->name) ==
            IPP_STATUS_OK &&
        jobArrivedWhole(connection_->jobId, deadline_);
    if (connection_->documentFinished) {
        report(reportFd_, kReportSettled);
    }
}

void CupsSpooler::endDocument() {
    // A job whose document never finished is taken back, not left
    // half-made in the queue. The job's own connection may be what failed,
    // so the cancel goes over a fresh one, with the time kept for it.
    if (connection_->documentFinished || connection_->jobId <= 0) {
        return;
    }
    connection_->http.reset();
    HttpHandle http = connectToScheduler(cancelDeadline_);
    if (http && cups().cupsCancelJob2(http.get(), connection_->destination->name,
                                      connection_->jobId, 0) == IPP_STATUS_OK) {
        report(reportFd_, kReportSettled);
    }
}

void CupsSpooler::closePrinter() {
    connection_.reset();
}

}  // namespace novemra
