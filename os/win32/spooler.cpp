#include <windows.h>
#include <winspool.h>

#include "os/spooler.h"

namespace gc::os {

namespace {

HANDLE H(PrinterHandle p) { return static_cast<HANDLE>(p); }

class WinSpooler final : public SpoolerPort {
 public:
  PrinterHandle Open(const std::string& queue) override {
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(queue.c_str()), &h, nullptr)) return nullptr;
    return h;
  }
  bool StartRawDocument(PrinterHandle printer, const std::string& documentName) override {
    DOC_INFO_1A info{};
    info.pDocName = const_cast<char*>(documentName.c_str());
    info.pOutputFile = nullptr;
    info.pDatatype = const_cast<char*>("RAW");
    return StartDocPrinterA(H(printer), 1, reinterpret_cast<BYTE*>(&info)) != 0;
  }
  bool StartPage(PrinterHandle printer) override { return StartPagePrinter(H(printer)) != 0; }
  bool Write(PrinterHandle printer, const uint8_t* bytes, uint32_t length,
             uint32_t* written) override {
    DWORD n = 0;
    BOOL ok = WritePrinter(H(printer), const_cast<uint8_t*>(bytes), length, &n);
    *written = n;
    return ok != 0;
  }
  bool EndPage(PrinterHandle printer) override { return EndPagePrinter(H(printer)) != 0; }
  bool EndDocument(PrinterHandle printer) override { return EndDocPrinter(H(printer)) != 0; }
  bool Close(PrinterHandle printer) override { return ClosePrinter(H(printer)) != 0; }
};

}  // namespace

SpoolerPort* SystemSpooler() {
  static WinSpooler spooler;
  return &spooler;
}

}  // namespace gc::os
