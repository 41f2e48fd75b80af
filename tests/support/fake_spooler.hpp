// A print spooler that records every call, and can be told where to fail.
#pragma once

#include <string>
#include <vector>

#include "print/print_spooler.hpp"

namespace novemra::testing {

class FakeSpooler final : public PrintSpooler {
  public:
    std::string printerName = "office";
    bool failOpen = false;
    bool failDocument = false;
    bool failPage = false;

    std::vector<std::string> calls;
    std::string openedName;
    std::string documentName;
    std::string dataType;
    std::string bytes;
    int writes = 0;

    std::string defaultPrinterName() override {
        calls.push_back("lookup");
        return printerName;
    }
    bool openPrinter(std::string_view name) override {
        calls.push_back("open");
        openedName = name;
        return !failOpen;
    }
    bool startDocument(std::string_view document, std::string_view type) override {
        calls.push_back("startDocument");
        documentName = document;
        dataType = type;
        return !failDocument;
    }
    bool startPage() override {
        calls.push_back("startPage");
        return !failPage;
    }
    void write(std::string_view data) override {
        if (calls.empty() || calls.back() != "write") {
            calls.push_back("write");
        }
        bytes += data;
        ++writes;
    }
    void endPage() override { calls.push_back("endPage"); }
    void endDocument() override { calls.push_back("endDocument"); }
    void closePrinter() override { calls.push_back("close"); }
};

}  // namespace novemra::testing
