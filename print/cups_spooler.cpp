#include "print/cups_spooler.hpp"

#include <cups/cups.h>

#include <algorithm>

namespace novemra {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked call looks at the deadline.
constexpr double kTimeoutCheckSeconds = 0.5;

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

// A connection to the scheduler whose every wait ends at the deadline.
HttpHandle connectToScheduler(Clock::time_point& deadline) {
    const int left = millisecondsLeft(deadline);
    if (left == 0) {
        return nullptr;
    }
    HttpHandle http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                 left, nullptr));
    if (http) {
        httpSetTimeout(http.get(), kTimeoutCheckSeconds, keepWaitingUntil, &deadline);
    }
    return http;
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

std::string CupsSpooler::defaultPrinterName() {
    deadline_ = Clock::now() + timeLimit_;
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
    cupsFinishDocument(connection_->http.get(), connection_->destination->name);
    connection_->documentFinished = true;
}

void CupsSpooler::endDocument() {
    // A job whose document never finished is taken back, not left pending.
    if (!connection_->documentFinished && connection_->jobId > 0) {
        cupsCancelJob2(connection_->http.get(), connection_->destination->name, connection_->jobId,
                       0);
    }
}

void CupsSpooler::closePrinter() {
    connection_.reset();
}

}  // namespace novemra
