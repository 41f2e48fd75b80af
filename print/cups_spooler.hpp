// The hard copy's print system on Linux: CUPS.
#pragma once

#include "print/print_spooler.hpp"

namespace novemra {

class CupsSpooler final : public PrintSpooler {
  public:
    std::string defaultPrinterName() override { return ""; }
    bool openPrinter(std::string_view) override { return false; }
    bool startDocument(std::string_view, std::string_view) override { return false; }
    bool startPage() override { return false; }
    void write(std::string_view) override {}
    void endPage() override {}
    void endDocument() override {}
    void closePrinter() override {}
};

}  // namespace novemra
