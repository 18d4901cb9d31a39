// Runs a fleet of printers with Ctrl-C as Cancel and, on a terminal, a live
// table of the printers; the first Ctrl-C stops starting printers and aborts
// writes that stall, a second aborts every write at once.
#pragma once
#include <functional>

#include "jobs/fleet.h"

namespace gc::cli {

struct FleetOutcome {
  std::vector<PrinterResult> results;
  bool cancelled = false;
};

// `quiet` keeps the table off even on a terminal.
FleetOutcome RunFleet(Fleet& fleet, const std::function<bool(PrinterSession&)>& work, bool quiet);

// Printer, state, bytes, rate and message of every printer, as the live table
// and the final one show them.
std::vector<std::string> ResultRow(const PrinterResult& r);

}  // namespace gc::cli
