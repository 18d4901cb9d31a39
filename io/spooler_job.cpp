#include "io/spooler_job.h"

namespace gc {

SpoolerOpen OpenSpoolerJob(os::SpoolerPort& spooler, const std::string& queue,
                           const std::string& jobName, OutputChannel& channel) {
  os::PrinterHandle printer = spooler.Open(queue);
  if (!printer) return SpoolerOpen::OpenFailed;
  if (!spooler.StartRawDocument(printer, jobName)) {
    spooler.Close(printer);
    return SpoolerOpen::DocumentFailed;
  }
  if (!spooler.StartPage(printer)) {
    spooler.EndDocument(printer);
    spooler.Close(printer);
    return SpoolerOpen::PageFailed;
  }
  channel.kind = ChannelKind::Spooler;
  channel.spooler = &spooler;
  channel.printer = printer;
  return SpoolerOpen::Opened;
}

int CloseSpoolerJob(OutputChannel& channel) {
  if (!channel.spooler || !channel.printer) return 0;
  int code = FlushChannel(channel);
  channel.spooler->EndPage(channel.printer);
  channel.spooler->EndDocument(channel.printer);
  channel.spooler->Close(channel.printer);
  channel.printer = nullptr;
  return code;
}

}  // namespace gc
