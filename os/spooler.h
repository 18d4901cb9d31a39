// The print spooler port: RAW documents on a local queue.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace gc::os {

using PrinterHandle = void*;

class SpoolerPort {
 public:
  virtual ~SpoolerPort() = default;
  // Default access; nullptr when the queue cannot be opened.
  virtual PrinterHandle Open(const std::string& queue) = 0;
  // A level-1 document of data type "RAW" with no output file.
  virtual bool StartRawDocument(PrinterHandle printer, const std::string& documentName) = 0;
  virtual bool StartPage(PrinterHandle printer) = 0;
  // True when the call succeeded; `written` gets the count the spooler reports.
  virtual bool Write(PrinterHandle printer, const uint8_t* bytes, uint32_t length,
                     uint32_t* written) = 0;
  virtual bool EndPage(PrinterHandle printer) = 0;
  virtual bool EndDocument(PrinterHandle printer) = 0;
  virtual bool Close(PrinterHandle printer) = 0;
};

// The platform's spooler: winspool on Windows, CUPS on Linux (nullptr when the
// build has none).
SpoolerPort* SystemSpooler();

}  // namespace gc::os
