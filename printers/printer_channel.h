// Opening and closing the channel of one printer of a job.
#pragma once
#include <cstdint>
#include <string>

#include "io/channel.h"
#include "io/tcp_connection.h"
#include "os/spooler.h"

namespace gc {

// A printer as a job sees it: a network printer (name and address) or a local queue.
struct PrinterTarget {
  bool network = false;
  std::string name;     // network: printer name; queue: queue name
  std::string address;  // network: dotted IPv4
  uint16_t port = kPrinterPort;
};

// 0 when the channel is open, else the message to show: 148 (cannot connect
// or open), 147 (document refused), 146 (page refused).
// `progress`, when given, counts what the OS accepts and can abort a stalled write.
int OpenPrinterChannel(const PrinterTarget& target, os::SpoolerPort* spooler,
                       const std::string& jobName, OutputChannel& channel,
                       ProgressWatch* progress = nullptr);
// Flushes and closes; returns the flush's code (0 when everything reached the OS).
int ClosePrinterChannel(OutputChannel& channel);

}  // namespace gc
