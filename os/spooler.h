// The print spooler port: the local queues and connections, their level-2
// information, the device name from their device settings, RAW documents.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gc::os {

using PrinterHandle = void*;

// Level-2 attribute bits (as winspool numbers them).
inline constexpr uint32_t kAttributeDefault = 0x4;
inline constexpr uint32_t kAttributeShared = 0x8;
inline constexpr uint32_t kAttributeNetwork = 0x10;
inline constexpr uint32_t kAttributeLocal = 0x40;
inline constexpr uint32_t kAttributeEnableBidi = 0x800;

// The last-error code set when memory for spooler information runs out.
inline constexpr int kErrorInsufficientBuffer = 122;

// One printer as an enumeration reports it. Level 1 fills `name` only.
struct PrinterInfo {
  std::string name;         // the queue's name (\\server\queue for a connection)
  std::string portName;     // level 2
  uint32_t attributes = 0;  // level 2
};

// The operations past the RAW document have defaults that fail, so that a
// spooler which only takes documents stays small.
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

  // The local printers and connections in the spooler's order, at level 1
  // (names) or 2 (names, ports, attributes). False when the request fails;
  // true with an empty list when there are none.
  virtual bool ListPrinters(int level, std::vector<PrinterInfo>* printers);
  // Administer access, as changing the level-2 information needs.
  virtual PrinterHandle OpenAdminister(const std::string& queue);
  virtual bool GetInfo(PrinterHandle printer, PrinterInfo* info);
  // Writes `info.attributes` onto the printer's level-2 information.
  virtual bool SetInfo(PrinterHandle printer, const PrinterInfo& info);
  // The device name at the start of the printer's device settings, read
  // through its driver in output mode.
  virtual bool DeviceName(PrinterHandle printer, const std::string& queue, std::string* name);
  // Sets the calling thread's last-error code.
  virtual void SetLastError(int code);
};

// The platform's spooler: winspool on Windows, CUPS on Linux.
SpoolerPort* SystemSpooler();

}  // namespace gc::os
