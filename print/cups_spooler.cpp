#include "print/cups_spooler.hpp"

#include <string_view>

#include "print/bounded_process.hpp"
#include "print/cups_library.hpp"

namespace novemra {

namespace {

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
    return PrintClock::now() < *static_cast<const PrintClock::time_point*>(deadline) ? 1 : 0;
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
HttpHandle connectToScheduler(PrintClock::time_point& deadline) {
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

}  // namespace

struct CupsSpooler::Destination {
    HttpHandle http;
    DestHandle printer;
};

struct CupsSpooler::Document {
    std::string title;
    std::string format;
    std::string page;
    bool pageTooLong = false;
};

CupsSpooler::CupsSpooler(std::chrono::milliseconds timeLimit) : times_(timeLimit) {}

CupsSpooler::~CupsSpooler() = default;

void CupsSpooler::runJob(const std::function<void()>& job) {
    const ProcessBounds bounds{times_.wait(), times_.life(), kMemoryLimit, kConnectionLimit};
    runBounded(
        bounds,
        [this, &job] {
            if (cupsReady()) {
                job();
            }
            document_.reset();
            destination_.reset();
        },
        waitHook_);
}

std::string CupsSpooler::defaultPrinterName() {
    workDeadline_ = PrintClock::now() + times_.work();
    if (!cupsReady()) {
        return "";
    }
    HttpHandle http = connectToScheduler(workDeadline_);
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
    auto destination = std::make_unique<Destination>();
    destination->http = connectToScheduler(workDeadline_);
    if (!destination->http) {
        return false;
    }
    std::string name;
    std::string instance;
    splitDestination(fullName, name, instance);
    destination->printer.reset(cups().cupsGetNamedDest(
        destination->http.get(), name.c_str(), instance.empty() ? nullptr : instance.c_str()));
    if (!destination->printer) {
        return false;
    }
    destination_ = std::move(destination);
    return true;
}

bool CupsSpooler::startDocument(std::string_view documentName, std::string_view dataType) {
    document_ = std::make_unique<Document>();
    document_->title = documentName;
    document_->format = dataType == kJobDataType ? CUPS_FORMAT_TEXT : std::string(dataType);
    return true;
}

bool CupsSpooler::startPage() {
    document_->page.clear();
    return true;
}

void CupsSpooler::write(std::string_view bytes) {
    // The page is kept and sent whole when it ends.
    if (document_->page.size() + bytes.size() > kMaxPageBytes) {
        document_->pageTooLong = true;
        return;
    }
    document_->page.append(bytes);
}

void CupsSpooler::endPage() {
    // One Print-Job request: the job, its settings and its page together.
    // The scheduler makes the job only once the request has arrived whole.
    const cups_dest_t& printer = *destination_->printer;
    const Document& document = *document_;
    if (document.pageTooLong) {
        return;
    }
    char uri[HTTP_MAX_URI];
    cups().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                            cups().ippPort(), "/printers/%s", printer.name);
    std::string resource = "/printers/";
    resource += printer.name;
    const IppHandle request(cups().ippNewRequest(IPP_OP_PRINT_JOB));
    ipp_t* const ipp = request.get();
    cups().ippAddString(ipp, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    cups().ippAddString(ipp, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                        cups().cupsUser());
    cups().ippAddString(ipp, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                        document.title.c_str());
    cups().ippAddString(ipp, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                        document.format.c_str());
    // The destination's own settings (an lpoptions instance's, say) go
    // with the job, as the system's own lp sends them; the program adds
    // none.
    cups().cupsEncodeOptions2(ipp, printer.num_options, printer.options, IPP_TAG_OPERATION);
    cups().cupsEncodeOptions2(ipp, printer.num_options, printer.options, IPP_TAG_JOB);
    // The request, then the page from memory, then the answer. The answer
    // decides nothing: a refused request made no job, and an accepted one
    // made it whole, so there is nothing to take back.
    http_t* const http = destination_->http.get();
    // The length is the whole body's: the request's attributes and the page.
    const std::size_t length = cups().ippLength(ipp) + document.page.size();
    http_status_t status = cups().cupsSendRequest(http, ipp, resource.c_str(), length);
    if (status == HTTP_STATUS_CONTINUE) {
        status = cups().cupsWriteRequestData(http, document.page.data(), document.page.size());
    }
    if (status == HTTP_STATUS_CONTINUE) {
        const IppHandle response(cups().cupsGetResponse(http, resource.c_str()));
    }
}

void CupsSpooler::endDocument() {}

void CupsSpooler::closePrinter() {
    document_.reset();
    destination_.reset();
}

}  // namespace novemra
