// The narrow interface between the hard copy and a print system: the calls
// a one-page plain-text job needs, in the order they are made.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace novemra {

// The data type of a plain-text job, as startDocument is given it.
constexpr std::string_view kJobDataType = "text";

class PrintSpooler {
  public:
    virtual ~PrintSpooler() = default;

    // Runs one whole hard copy, the calls below in order. A print system
    // whose calls can block runs it where it can bound it as a whole.
    virtual void runJob(const std::function<void()>& job) { job(); }

    // The name of the system's default printer, or "" when there is none.
    // A job's first call.
    virtual std::string defaultPrinterName() = 0;
    // Each of these three returns false on failure.
    virtual bool openPrinter(std::string_view name) = 0;
    virtual bool startDocument(std::string_view documentName, std::string_view dataType) = 0;
    virtual bool startPage() = 0;
    // Results of the remaining calls are not looked at.
    virtual void write(std::string_view bytes) = 0;
    virtual void endPage() = 0;
    virtual void endDocument() = 0;
    virtual void closePrinter() = 0;
};

}  // namespace novemra
