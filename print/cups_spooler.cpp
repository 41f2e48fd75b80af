#include "print/cups_spooler.hpp"

#include <cups/cups.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>

namespace novemra {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked call looks at the deadline.
constexpr double kTimeoutCheckSeconds = 0.25;
// Shares of the time limit: the job's own calls end by the first, taking
// back a failed job by the second; the child is ended at the whole limit.
constexpr double kWorkShare = 0.8;
constexpr double kCancelShare = 0.95;

const char* declinePassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
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
    void operator()(http_t* http) const { httpClose(http); }
};
struct DestFreer {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
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
    HttpHandle http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                 HTTP_ENCRYPTION_IF_REQUESTED, 1, left, nullptr));
    if (!http) {
        return nullptr;
    }
    httpSetTimeout(http.get(), kTimeoutCheckSeconds, keepWaitingUntil, &deadline);
    const http_encryption_t wanted = cupsEncryption();
    if (wanted != HTTP_ENCRYPTION_IF_REQUESTED && httpEncryption(http.get(), wanted) != 0) {
        return nullptr;
    }
    return http;
}

// In the child that makes the hard copy: the terminal's signals (Ctrl-C,
// Ctrl-Z, a hang-up, the end of the program's group) must not cut a job
// short, and the program's own handlers, which restore the terminal, are
// not the child's to run.
void detachFromTerminalSignals() {
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) {
            ::signal(signal, SIG_DFL);
        }
    }
    for (const int signal :
         {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM, SIGTTIN, SIGTTOU, SIGIO, SIGPIPE}) {
        ::signal(signal, SIG_IGN);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

// True when the scheduler says the job has all its documents (its state
// reasons do not include "job-incoming").
bool jobArrivedWhole(int jobId, Clock::time_point& deadline) {
    HttpHandle http = connectToScheduler(deadline);
    if (!http) {
        return false;
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 "ipp://localhost/");
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "job-state-reasons");
    ipp_t* response = cupsDoRequest(http.get(), request, "/");
    bool whole = response != nullptr && ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (whole) {
        ipp_attribute_t* reasons = ippFindAttribute(response, "job-state-reasons", IPP_TAG_KEYWORD);
        for (int i = 0; reasons != nullptr && i < ippGetCount(reasons); ++i) {
            whole = whole && std::string_view(ippGetString(reasons, i, nullptr)) != "job-incoming";
        }
    }
    ippDelete(response);
    return whole;
}

}  // namespace

struct CupsSpooler::Connection {
    HttpHandle http;
    DestHandle destination;
    int jobId = 0;
    bool documentFinished = false;
    std::string title;
};

CupsSpooler::CupsSpooler(std::chrono::milliseconds timeLimit) : timeLimit_(timeLimit) {
    cupsSetPasswordCB2(declinePassword, nullptr);
}

CupsSpooler::~CupsSpooler() = default;

void CupsSpooler::startClock() {
    const auto start = Clock::now();
    const auto share = [this](double fraction) {
        return std::chrono::duration_cast<Clock::duration>(timeLimit_ * fraction);
    };
    deadline_ = start + share(kWorkShare);
    cancelDeadline_ = start + share(kCancelShare);
}

void CupsSpooler::runJob(const std::function<void()>& job) {
    const auto limit = Clock::now() + timeLimit_;
    startClock();
    // The child holds the write end; it closes when the child ends.
    std::array<int, 2> done{-1, -1};
    if (::pipe2(done.data(), O_CLOEXEC) != 0) {
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(done[0]);
        detachFromTerminalSignals();
        insideJob_ = true;
        job();
        connection_.reset();
        ::_exit(0);
    }
    ::close(done[1]);
    if (child > 0) {
        for (;;) {
            pollfd ended{done[0], POLLIN, 0};
            const int ready = ::poll(&ended, 1, millisecondsLeft(limit));
            if (ready < 0 && errno == EINTR) {
                continue;  // a resize or a key: keep waiting
            }
            if (ready == 0) {
                ::kill(child, SIGKILL);  // past the limit: give up on it
            }
            break;
        }
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(done[0]);
}

std::string CupsSpooler::defaultPrinterName() {
    if (!insideJob_) {
        startClock();
    }
    HttpHandle http = connectToScheduler(deadline_);
    if (!http) {
        return "";
    }
    // With no name: lpoptions' default, then LPDEST or PRINTER, then the
    // scheduler's default.
    const DestHandle dest(cupsGetNamedDest(http.get(), nullptr, nullptr));
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
    if (fullName.empty()) {
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
    connection->destination.reset(cupsGetNamedDest(connection->http.get(), name.c_str(),
                                                   instance.empty() ? nullptr : instance.c_str()));
    if (!connection->destination) {
        return false;
    }
    connection_ = std::move(connection);
    return true;
}

bool CupsSpooler::startDocument(std::string_view documentName, std::string_view) {
    connection_->title = documentName;
    connection_->jobId = cupsCreateJob(connection_->http.get(), connection_->destination->name,
                                       connection_->title.c_str(), 0, nullptr);
    return connection_->jobId > 0;
}

bool CupsSpooler::startPage() {
    // The one document of the job, as plain text, and its last.
    return cupsStartDocument(connection_->http.get(), connection_->destination->name,
                             connection_->jobId, connection_->title.c_str(), CUPS_FORMAT_TEXT,
                             1) == HTTP_STATUS_CONTINUE;
}

void CupsSpooler::write(std::string_view bytes) {
    cupsWriteRequestData(connection_->http.get(), bytes.data(), bytes.size());
}

void CupsSpooler::endPage() {
    // Only a document the scheduler took in full counts as finished. libcups
    // can report success for a finish whose connection broke, so the
    // scheduler is asked whether the job still waits for its document.
    connection_->documentFinished =
        cupsFinishDocument(connection_->http.get(), connection_->destination->name) ==
            IPP_STATUS_OK &&
        jobArrivedWhole(connection_->jobId, deadline_);
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
    if (http) {
        cupsCancelJob2(http.get(), connection_->destination->name, connection_->jobId, 0);
    }
}

void CupsSpooler::closePrinter() {
    connection_.reset();
}

}  // namespace novemra
