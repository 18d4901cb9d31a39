// Runs a printer job with Ctrl-C as Cancel and a progress line on a terminal.
#pragma once
#include <functional>

#include "io/progress_watch.h"

namespace gc::cli {

struct JobOutcome {
  int result;      // the job's own result: 0 or the message it showed
  bool cancelled;  // Ctrl-C was pressed
};

// `job` reports into `watch` (its JobContext's progress record); `quiet`
// keeps the progress line off even on a terminal.
JobOutcome RunWithProgress(ProgressWatch& watch, const std::function<int()>& job,
                           bool quiet = false);

}  // namespace gc::cli
