// The printer commands: every printer in order, every item in order, one
// message for the first failure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "items/download_item.h"
#include "os/file.h"
#include "printers/printer_channel.h"
#include "os/spooler.h"
#include "os/ui.h"

namespace gc {

struct ProgressWatch;

struct JobContext {
  os::Ui* ui = nullptr;
  // The job's progress record, which the program's dialog or the command
  // line's progress line watches; none: the job keeps one of its own.
  ProgressWatch* progress = nullptr;
  os::SpoolerPort* spooler = nullptr;
  std::string jobName = "Glyphcast Job";
  int charsPerLine = 0;  // a font sample page after each item when 1..100
  // The program's values that a download updates (the last font and macro
  // IDs, the last font's descriptor); none: nothing is kept.
  ItemState* items = nullptr;
  // Keeps each downloaded item's control ID under "FONT" or "MACRO"; non-zero
  // (after its own message) ends the job. None: kept in memory only.
  std::function<int(int controlId, const char* valueName)> storeLastId;
};

// Each returns 0, or the id of the one message it showed. A cancel request
// (the job's progress record) is honoured before each printer.
int DownloadToPrinters(const JobContext& job, const std::vector<PrinterTarget>& printers,
                       const ItemList& items);
int SendBufferToPrinters(const JobContext& job, const std::vector<PrinterTarget>& printers,
                         const uint8_t* bytes, size_t length);
int DeleteAllOnPrinters(const JobContext& job, const std::vector<PrinterTarget>& printers);
// The item streams into one file; a partial file is removed.
int ExportItems(const JobContext& job, const ItemList& items, const std::string& path);
// The item streams into an open file (standard output, say): 0 or message 149.
int ExportItemsTo(const JobContext& job, const ItemList& items, File& file);

}  // namespace gc
