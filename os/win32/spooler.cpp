#include "os/spooler.h"

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <memory>
#include <new>

namespace gc::os {

namespace {

HANDLE H(PrinterHandle p) {
  return static_cast<HANDLE>(p);
}

std::string Text(const char* s) {
  return s ? std::string(s) : std::string();
}

std::unique_ptr<BYTE[]> Buffer(DWORD size) {
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size ? size : 1]);
  if (!buffer) ::SetLastError(kErrorInsufficientBuffer);
  return buffer;
}

// The printer's level-2 information in a buffer of its own; nullptr on failure.
std::unique_ptr<BYTE[]> ReadInfo2(HANDLE printer) {
  DWORD needed = 0;
  if (GetPrinterA(printer, 2, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return nullptr;
  std::unique_ptr<BYTE[]> buffer = Buffer(needed);
  if (buffer && !GetPrinterA(printer, 2, buffer.get(), needed, &needed)) buffer.reset();
  return buffer;
}

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

  bool ListPrinters(int level, std::vector<PrinterInfo>* printers) override {
    printers->clear();
    if (level != 1 && level != 2) return false;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    // A first request that succeeds outright can only have found nothing.
    if (EnumPrintersA(flags, nullptr, level, nullptr, 0, &needed, &count)) return count == 0;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    std::unique_ptr<BYTE[]> buffer = Buffer(needed);
    if (!buffer) return false;
    if (!EnumPrintersA(flags, nullptr, level, buffer.get(), needed, &needed, &count)) return false;
    try {
      printers->reserve(count);
      for (DWORD i = 0; i < count; ++i) {
        PrinterInfo info;
        if (level == 1) {
          info.name = Text(reinterpret_cast<PRINTER_INFO_1A*>(buffer.get())[i].pName);
        } else {
          const PRINTER_INFO_2A& p = reinterpret_cast<PRINTER_INFO_2A*>(buffer.get())[i];
          info.name = Text(p.pPrinterName);
          info.portName = Text(p.pPortName);
          info.attributes = p.Attributes;
        }
        printers->push_back(std::move(info));
      }
    } catch (const std::bad_alloc&) {
      printers->clear();
      ::SetLastError(kErrorInsufficientBuffer);
      return false;
    }
    return true;
  }

  PrinterHandle OpenAdminister(const std::string& queue) override {
    PRINTER_DEFAULTSA defaults{};
    defaults.DesiredAccess = PRINTER_ACCESS_ADMINISTER;
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(queue.c_str()), &h, &defaults)) return nullptr;
    return h;
  }

  bool GetInfo(PrinterHandle printer, PrinterInfo* info) override {
    std::unique_ptr<BYTE[]> buffer = ReadInfo2(H(printer));
    if (!buffer) return false;
    const PRINTER_INFO_2A& p = *reinterpret_cast<PRINTER_INFO_2A*>(buffer.get());
    try {
      info->name = Text(p.pPrinterName);
      info->portName = Text(p.pPortName);
    } catch (const std::bad_alloc&) {
      ::SetLastError(kErrorInsufficientBuffer);
      return false;
    }
    info->attributes = p.Attributes;
    return true;
  }

  bool SetInfo(PrinterHandle printer, const PrinterInfo& info) override {
    std::unique_ptr<BYTE[]> buffer = ReadInfo2(H(printer));
    if (!buffer) return false;
    PRINTER_INFO_2A& p = *reinterpret_cast<PRINTER_INFO_2A*>(buffer.get());
    p.Attributes = info.attributes;
    p.pSecurityDescriptor = nullptr;  // unchanged; setting it would need more than administer
    return SetPrinterA(H(printer), 2, buffer.get(), 0) != 0;
  }

  bool DeviceName(PrinterHandle printer, const std::string& queue, std::string* name) override {
    char* device = const_cast<char*>(queue.c_str());
    LONG size = DocumentPropertiesA(nullptr, H(printer), device, nullptr, nullptr, 0);
    if (size < static_cast<LONG>(offsetof(DEVMODEA, dmDeviceName) + CCHDEVICENAME)) return false;
    std::unique_ptr<BYTE[]> buffer = Buffer(static_cast<DWORD>(size));
    if (!buffer) return false;
    auto* mode = reinterpret_cast<DEVMODEA*>(buffer.get());
    if (DocumentPropertiesA(nullptr, H(printer), device, mode, nullptr, DM_OUT_BUFFER) != IDOK)
      return false;
    const char* text = reinterpret_cast<const char*>(mode->dmDeviceName);
    try {
      name->assign(text, strnlen(text, CCHDEVICENAME));
    } catch (const std::bad_alloc&) {
      ::SetLastError(kErrorInsufficientBuffer);
      return false;
    }
    return true;
  }

  void SetLastError(int code) override { ::SetLastError(static_cast<DWORD>(code)); }
};

}  // namespace

SpoolerPort* SystemSpooler() {
  static WinSpooler spooler;
  return &spooler;
}

}  // namespace gc::os
