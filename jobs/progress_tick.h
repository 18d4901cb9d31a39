// The progress watcher's 100 ms tick, shared by the progress dialog and the
// command line: it notices the end of a job and aborts a stalled write after Cancel.
#pragma once
#include <functional>

#include "io/progress_watch.h"

namespace gc {

inline constexpr int kProgressTickMs = 100;

enum class TickResult { JobEnded, Moving, Waiting };

// `restoreBidi` runs when a cancelled job's write has stalled for a whole tick.
TickResult ProgressTick(ProgressWatch& watch, const std::function<void()>& restoreBidi);

// The Cancel button (or Ctrl-C).
void RequestCancel(ProgressWatch& watch);

}  // namespace gc
