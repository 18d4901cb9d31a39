#include "jobs/job_runner.h"

#include <functional>
#include "os/threads.h"

#include "io/progress_watch.h"
#include "jobs/streams.h"
#include "os/file.h"
#include "printers/bidi.h"
#include "sample/font_sample.h"
#include "resources/messages.h"

namespace gc {

namespace {


// Before each printer: a cancel ends the job, otherwise the watch starts afresh.
bool CancelRequested(ProgressWatch& watch, const PrinterTarget& printer) {
  os::MutexLock hold(watch.lock);
  if (watch.cancelRequested) return true;
  watch.currentPrinter =
      printer.network ? printer.name + "(" + printer.address + ")" : printer.name;
  watch.abortableConnection = nullptr;
  watch.byteCounter = 0;
  watch.previousCounter = 0;
  return false;
}

int Fail(const JobContext& job, int message) {
  if (job.ui) job.ui->ShowMessage(message);
  return message;
}

// Opens each printer's channel, runs `body` on it and closes it; the first
// failure closes the channel before its message is shown.
int ForEachPrinter(const JobContext& job, const std::vector<PrinterTarget>& printers,
                   const std::function<int(OutputChannel&)>& body) {
  // Bidirectional support switched off for a local queue comes back on at
  // every end of the job.
  struct RestoreAtEnd {
    os::SpoolerPort* spooler;
    ~RestoreAtEnd() {
      if (spooler) RestoreBidi(*spooler);
    }
  } restore{job.spooler};
  ProgressWatch own;
  ProgressWatch& watch = job.progress ? *job.progress : own;
  for (const PrinterTarget& printer : printers) {
    if (CancelRequested(watch, printer)) break;
    if (!printer.network && job.spooler) {
      SuspendBidi(*job.spooler, kBidiUsbPorts);
      SuspendBidi(*job.spooler, kBidiLpt1);
    }
    OutputChannel channel;
    int message = OpenPrinterChannel(printer, job.spooler, job.jobName, channel, &watch);
    if (message != 0) return Fail(job, message);
    int result = body(channel);
    int closed = ClosePrinterChannel(channel);
    if (result != 0) return result < 0 ? result : Fail(job, result);
    if (closed != 0) return Fail(job, kMsgDownloadFailed);
  }
  return 0;
}

}  // namespace

int DownloadToPrinters(const JobContext& job, const std::vector<PrinterTarget>& printers,
                       const ItemList& items) {
  ItemFiles files;  // each item's file is read once, for every printer
  return ForEachPrinter(job, printers, [&](OutputChannel& channel) -> int {
    for (const DownloadItem& item : items) {
      ItemOutcome outcome;
      if (WriteItem(job.ui, item, files, WriterFor(channel.kind), channel, &outcome) != 0)
        return kMsgDownloadFailed;
      const bool macro = item.resourceType == static_cast<int>(ResourceType::PclMacro);
      if (job.items && !macro) job.items->lastFontDescriptor = outcome.descriptor;
      // The page follows the item on the same connection and selects the new font.
      if (job.charsPerLine > 0 &&
          PrintFontSample(job.charsPerLine, WriterFor(channel.kind), channel, item,
                          outcome.descriptor, outcome.size) != 0)
        return kMsgSampleFailed;
      if (job.items) (macro ? job.items->lastMacroId : job.items->lastFontId) = item.controlId;
      // The store has shown its message already: end without another.
      if (job.storeLastId && job.storeLastId(item.controlId, macro ? "MACRO" : "FONT") != 0)
        return -1;
    }
    return 0;
  });
}

int SendBufferToPrinters(const JobContext& job, const std::vector<PrinterTarget>& printers,
                         const uint8_t* bytes, size_t length) {
  return ForEachPrinter(job, printers, [&](OutputChannel& channel) -> int {
    if (WriterFor(channel.kind)(channel, bytes, length) != 0 || FlushChannel(channel) != 0)
      return kMsgDownloadFailed;
    return 0;
  });
}

int DeleteAllOnPrinters(const JobContext& job, const std::vector<PrinterTarget>& printers) {
  return ForEachPrinter(job, printers, [&](OutputChannel& channel) -> int {
    return WriteDeleteAll(WriterFor(channel.kind), channel) != 0 ? kMsgDownloadFailed : 0;
  });
}

int ExportItems(const JobContext& job, const ItemList& items, const std::string& path) {
  File file = File::Create(path.c_str());
  if (!file.IsOpen()) return Fail(job, kMsgFileWriteFailure);
  int result = ExportItemsTo(job, items, file);
  file.Close();
  if (result != 0) RemoveFile(path.c_str());
  return result;
}

int ExportItemsTo(const JobContext& job, const ItemList& items, File& file) {
  OutputChannel channel;
  channel.kind = ChannelKind::File;
  channel.file = &file;
  ItemFiles files;
  for (const DownloadItem& item : items) {
    if (WriteItem(job.ui, item, files, FileWrite, channel) != 0)
      return Fail(job, kMsgFileWriteFailure);
  }
  return 0;
}

}  // namespace gc
