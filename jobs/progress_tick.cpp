#include "jobs/progress_tick.h"

#include "os/threads.h"

#include "io/tcp_connection.h"

namespace gc {

TickResult ProgressTick(ProgressWatch& watch, const std::function<void()>& restoreBidi) {
  if (watch.running.load() == 0) {
    os::MutexLock hold(watch.lock);
    watch.cancelRequested = 0;
    return TickResult::JobEnded;
  }
  uint64_t counter = watch.byteCounter.load();
  TickResult result = TickResult::Waiting;
  if (counter != watch.previousCounter) {
    result = TickResult::Moving;
  } else {
    bool cancelled;
    {
      os::MutexLock hold(watch.lock);
      cancelled = watch.cancelRequested != 0;
    }
    if (cancelled) {
      if (restoreBidi) restoreBidi();
      os::MutexLock hold(watch.lock);
      if (watch.abortableConnection) {
        AbortTcpConnection(*watch.abortableConnection);
        watch.abortableConnection = nullptr;
      }
    }
  }
  watch.previousCounter = counter;
  return result;
}

void RequestCancel(ProgressWatch& watch) {
  os::MutexLock hold(watch.lock);
  watch.cancelRequested = 1;
}

}  // namespace gc
