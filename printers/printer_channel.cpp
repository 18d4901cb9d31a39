#include "printers/printer_channel.h"

#include "os/threads.h"

#include "io/progress_watch.h"
#include "io/spooler_job.h"
#include "resources/messages.h"

namespace gc {

int OpenPrinterChannel(const PrinterTarget& target, os::SpoolerPort* spooler,
                       const std::string& jobName, OutputChannel& channel,
                       ProgressWatch* progress) {
  channel = OutputChannel{};
  channel.progress = progress;
  if (target.network) {
    TcpConnection* connection = nullptr;
    if (OpenTcpConnection(target.name.c_str(), target.address.c_str(), &connection, target.port) !=
        0)
      return kMsgIllegalPrinter;
    channel.kind = ChannelKind::Tcp;
    channel.tcp = connection;
    return 0;
  }
  if (!spooler) return kMsgIllegalPrinter;
  switch (OpenSpoolerJob(*spooler, target.name, jobName, channel)) {
    case SpoolerOpen::Opened:
      return 0;
    case SpoolerOpen::OpenFailed:
      return kMsgIllegalPrinter;
    case SpoolerOpen::DocumentFailed:
      return kMsgDocumentRefused;
    case SpoolerOpen::PageFailed:
      return kMsgPageRefused;
  }
  return kMsgIllegalPrinter;
}

int ClosePrinterChannel(OutputChannel& channel) {
  if (channel.kind == ChannelKind::Spooler) return CloseSpoolerJob(channel);
  if (channel.kind != ChannelKind::Tcp || !channel.tcp) return 0;
  int code = FlushChannel(channel);
  if (ProgressWatch* watch = channel.progress) {
    // The progress timer must never abort a connection that is being freed.
    os::MutexLock hold(watch->lock);
    if (watch->abortableConnection == channel.tcp) watch->abortableConnection = nullptr;
  }
  CloseTcpConnection(channel.tcp);
  channel.tcp = nullptr;
  return code;
}

}  // namespace gc
