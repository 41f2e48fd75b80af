#include "print/cups_spooler.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <string_view>

#include "print/bounded_process.hpp"
#include "print/cups_library.hpp"
#include "print/hard_copy.hpp"

namespace novemra {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked call looks at the deadline.
constexpr double kTimeoutCheckSeconds = 0.25;
// Shares of the time limit: libcups' calls give up by the first, the
// kernel ends the hard copy's process at the second whatever a server
// sends, and the program stops waiting at the whole limit.
constexpr double kWorkShare = 0.75;
constexpr double kLifeShare = 0.85;
// The most connections the hard copy may open: it needs two (lookup, job),
// and libcups' own retries against a server that keeps redirecting or never
// ends its header stop here.
constexpr int kConnectionLimit = 16;
// The most address space the hard copy may use: a server that streams
// without end cannot grow it past this.
constexpr rlim_t kMemoryLimit = rlim_t{256} << 20;
// A page is 16 short lines; anything near this is not one.
constexpr std::size_t kMaxPageBytes = 1 << 16;

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
struct IppDeleter {
    void operator()(ipp_t* ipp) const { cups().ippDelete(ipp); }
};
using HttpHandle = std::unique_ptr<http_t, HttpCloser>;
using DestHandle = std::unique_ptr<cups_dest_t, DestFreer>;
using IppHandle = std::unique_ptr<ipp_t, IppDeleter>;

// A connection to the scheduler whose every wait ends at the deadline. The
// encryption the user configured is asked for only once the deadline is in
// force, so its handshake is bounded too.
HttpHandle connectToScheduler(Clock::time_point& deadline) {
    const int left = millisecondsUntil(deadline);
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

// A file in memory holding the bytes, for libcups to send as a document;
// -1 when it cannot be made.
int documentFile(const std::string& bytes) {
    const int fd = ::memfd_create("novemra-page", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

struct CupsSpooler::Connection {
    HttpHandle http;
    DestHandle destination;
    std::string title;
    std::string format;
    std::string page;
    bool pageTooLong = false;
};

CupsSpooler::CupsSpooler(std::chrono::milliseconds timeLimit) : timeLimit_(timeLimit) {}

CupsSpooler::~CupsSpooler() = default;

std::chrono::milliseconds CupsSpooler::share(double fraction) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(timeLimit_ * fraction);
}

void CupsSpooler::startClock() {
    deadline_ = Clock::now() + share(kWorkShare);
}

void CupsSpooler::runJob(const std::function<void()>& job) {
    startClock();
    const ProcessBounds bounds{timeLimit_, share(kLifeShare), kMemoryLimit, kConnectionLimit};
    runBounded(
        bounds,
        [this, &job] {
            insideJob_ = true;
            if (cupsReady()) {
                job();
            }
            connection_.reset();
        },
        waitHook_);
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
    return true;
}

bool CupsSpooler::startPage() {
    connection_->page.clear();
    return true;
}

void CupsSpooler::write(std::string_view bytes) {
    // The page is kept and sent whole when it ends.
    if (connection_->page.size() + bytes.size() > kMaxPageBytes) {
        connection_->pageTooLong = true;
        return;
    }
    connection_->page.append(bytes);
}

void CupsSpooler::endPage() {
    // One Print-Job request: the job, its settings and its page together.
    // The scheduler makes the job only once the request has arrived whole.
    const cups_dest_t& destination = *connection_->destination;
    if (connection_->pageTooLong) {
        return;
    }
    const int document = documentFile(connection_->page);
    if (document < 0) {
        return;
    }
    char uri[HTTP_MAX_URI];
    cups().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                            cups().ippPort(), "/printers/%s", destination.name);
    const std::string resource = std::string("/printers/") + destination.name;
    ipp_t* request = cups().ippNewRequest(IPP_OP_PRINT_JOB);
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                        cups().cupsUser());
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                        connection_->title.c_str());
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                        connection_->format.c_str());
    // The destination's own settings (an lpoptions instance's, say) go
    // with the job, as the system's own lp sends them; the program adds
    // none.
    cups().cupsEncodeOptions2(request, destination.num_options, destination.options,
                              IPP_TAG_OPERATION);
    cups().cupsEncodeOptions2(request, destination.num_options, destination.options, IPP_TAG_JOB);
    // Sends the request, then the document file, and frees the request.
    // The answer decides nothing: a refused request made no job, and an
    // accepted one made it whole, so there is nothing to take back.
    const IppHandle response(
        cups().cupsDoIORequest(connection_->http.get(), request, resource.c_str(), document, -1));
    ::close(document);
}

void CupsSpooler::endDocument() {}

void CupsSpooler::closePrinter() {
    connection_.reset();
}

}  // namespace novemra
