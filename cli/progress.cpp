#include "cli/progress.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "jobs/progress_tick.h"
#include "os/threads.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace gc::cli {

namespace {

std::atomic<int> interrupted{0};
extern "C" void OnInterrupt(int) {
  interrupted.store(1);
}

void ShowProgress(ProgressWatch& watch, uint64_t startMs) {
  std::string printer;
  {
    os::MutexLock hold(watch.lock);
    printer = watch.currentPrinter;
  }
  double seconds = static_cast<double>(os::TickCountMs() - startMs) / 1000.0;
  uint64_t bytes = watch.byteCounter.load();
  std::fprintf(stderr, "\r%s: %llu bytes, %.0f KB/s   ", printer.c_str(),
               static_cast<unsigned long long>(bytes),
               seconds > 0 ? bytes / 1024.0 / seconds : 0.0);
}

}  // namespace

JobOutcome RunWithProgress(ProgressWatch& watch, const std::function<int()>& job, bool quiet) {
  {
    os::MutexLock hold(watch.lock);
    watch.cancelRequested = 0;
  }
  watch.running = 1;
  interrupted = 0;
  auto previous = std::signal(SIGINT, OnInterrupt);
  bool terminal = !quiet && isatty(fileno(stderr));
  bool cancelled = false;
  const uint64_t start = os::TickCountMs();

  // Without a ticker the job still runs; it only shows no progress and cannot be cancelled.
  os::Thread ticker;
  ticker.Start([&] {
    for (;;) {
      os::SleepMs(kProgressTickMs);
      if (interrupted.exchange(0) && !cancelled) {
        cancelled = true;
        RequestCancel(watch);
        std::fprintf(stderr,
                     "\nglyphcast: cancelling: the current printer finishes unless it "
                     "has stopped taking data\n");
      }
      if (ProgressTick(watch, nullptr) == TickResult::JobEnded) break;
      if (terminal) ShowProgress(watch, start);
    }
    if (terminal) std::fprintf(stderr, "\n");
  });
  int result = job();
  watch.running = 0;
  ticker.Join();
  std::signal(SIGINT, previous);
  return {result, cancelled};
}

}  // namespace gc::cli
