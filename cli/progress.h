// Runs a printer job with Ctrl-C as Cancel and a progress line on a terminal.
#pragma once
#include <functional>

namespace gc::cli {

struct JobOutcome {
  int result;      // the job's own result: 0 or the message it showed
  bool cancelled;  // Ctrl-C was pressed
};

// `quiet` keeps the progress line off even on a terminal.
JobOutcome RunWithProgress(const std::function<int()>& job, bool quiet = false);

}  // namespace gc::cli
