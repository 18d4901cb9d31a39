// A RAW spooler job on a local queue, one per printer.
#pragma once
#include <string>

#include "io/channel.h"
#include "os/spooler.h"

namespace gc {

enum class SpoolerOpen { Opened, OpenFailed, DocumentFailed, PageFailed };

// On Opened the channel is ready (kind Spooler); on failure everything opened
// has been closed again.
SpoolerOpen OpenSpoolerJob(os::SpoolerPort& spooler, const std::string& queue,
                           const std::string& jobName, OutputChannel& channel);
// Flushes, then EndPage, EndDoc, ClosePrinter; returns the flush's code.
int CloseSpoolerJob(OutputChannel& channel);

}  // namespace gc
