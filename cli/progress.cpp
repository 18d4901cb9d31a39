#include "cli/progress.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/output.h"
#include "jobs/progress_tick.h"
#include "os/threads.h"

namespace gc::cli {

namespace {

std::atomic<int> interrupts{0};
extern "C" void OnInterrupt(int) {
  interrupts.fetch_add(1);
}

const char* StateText(PrinterState state) {
  switch (state) {
    case PrinterState::Waiting:
      return "waiting";
    case PrinterState::Connecting:
      return "connecting";
    case PrinterState::Working:
      return "sending";
    case PrinterState::Done:
      return "done";
    case PrinterState::Failed:
      return "failed";
    case PrinterState::Skipped:
      return "not started";
  }
  return "";
}

std::string Rate(const PrinterResult& r) {
  if (r.seconds <= 0 || r.bytes == 0) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%.0f KB/s", static_cast<double>(r.bytes) / 1024.0 / r.seconds);
  return text;
}

constexpr size_t kShownRows = 20;

// The rows worth a look while the fleet runs: the printers at work first,
// then failures, then the rest in order, so that a big fleet fits a screen.
std::vector<const PrinterResult*> Visible(const std::vector<PrinterResult>& all) {
  std::vector<const PrinterResult*> rows;
  for (int pass = 0; pass < 3; ++pass)
    for (const PrinterResult& r : all) {
      bool active = r.state == PrinterState::Connecting || r.state == PrinterState::Working;
      bool failed = r.state == PrinterState::Failed;
      if ((pass == 0 && active) || (pass == 1 && failed) || (pass == 2 && !active && !failed))
        rows.push_back(&r);
    }
  if (rows.size() > kShownRows) rows.resize(kShownRows);
  return rows;
}

class Table {
 public:
  void Draw(const std::vector<PrinterResult>& all) {
    std::vector<std::vector<std::string>> rows;
    for (const PrinterResult* r : Visible(all)) rows.push_back(ResultRow(*r));
    size_t done = 0, failed = 0, running = 0;
    for (const PrinterResult& r : all) {
      done += r.state == PrinterState::Done;
      failed += r.state == PrinterState::Failed || r.state == PrinterState::Skipped;
      running += r.state == PrinterState::Connecting || r.state == PrinterState::Working;
    }
    if (drawn_) std::fprintf(stderr, "\x1b[%zuA", drawn_);  // back to the table's top
    std::string text = TableText({"PRINTER", "STATE", "BYTES", "RATE", "MESSAGE"}, rows);
    char counts[128];
    std::snprintf(counts, sizeof counts, "%zu of %zu done, %zu running, %zu failed\n", done,
                  all.size(), running, failed);
    text += counts;
    drawn_ = 0;
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find('\n', at);
      std::fprintf(stderr, "\x1b[K%s\n", text.substr(at, end - at).c_str());
      ++drawn_;
      at = end + 1;
    }
    std::fflush(stderr);
  }

 private:
  size_t drawn_ = 0;
};

}  // namespace

std::vector<std::string> ResultRow(const PrinterResult& r) {
  return {r.printer, StateText(r.state), std::to_string(r.bytes), Rate(r), r.message};
}

FleetOutcome RunFleet(Fleet& fleet, const std::function<bool(PrinterSession&)>& work, bool quiet) {
  interrupts = 0;
  auto previous = std::signal(SIGINT, OnInterrupt);
  const bool terminal = !quiet && IsTerminal(stderr);
  std::atomic<int> running{1};
  Table table;
  // Without a ticker the fleet still runs; it only shows nothing and cannot be cancelled.
  os::Thread ticker;
  ticker.Start([&] {
    int heard = 0;
    while (running.load()) {
      os::SleepMs(kProgressTickMs);
      int now = interrupts.load();
      if (now != heard) {
        if (heard == 0) {
          fleet.Cancel();
          std::fprintf(stderr, "\nglyphcast: cancelling: no printer starts any more, and a "
                               "printer that stops taking data is aborted (Ctrl-C again: abort "
                               "all)\n");
        } else {
          fleet.AbortAll();
        }
        heard = now;
      }
      fleet.Tick();
      if (terminal) table.Draw(fleet.Results());
    }
  });
  fleet.Run(work);
  running = 0;
  ticker.Join();
  std::signal(SIGINT, previous);
  FleetOutcome outcome{fleet.Results(), fleet.cancelled()};
  if (terminal) table.Draw(outcome.results);
  return outcome;
}

}  // namespace gc::cli
