#include "cli/progress.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "jobs/progress_tick.h"

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

void ShowProgress(ProgressWatch& watch, std::chrono::steady_clock::time_point start) {
  std::string printer;
  {
    std::lock_guard<std::mutex> hold(watch.lock);
    printer = watch.currentPrinter;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  uint64_t bytes = watch.byteCounter.load();
  std::fprintf(stderr, "\r%s: %llu bytes, %.0f KB/s   ", printer.c_str(),
               static_cast<unsigned long long>(bytes),
               seconds > 0 ? bytes / 1024.0 / seconds : 0.0);
}

}  // namespace

JobOutcome RunWithProgress(const std::function<int()>& job, bool quiet) {
  ProgressWatch& watch = progressWatch();
  {
    std::lock_guard<std::mutex> hold(watch.lock);
    watch.cancelRequested = 0;
  }
  watch.running = 1;
  interrupted = 0;
  auto previous = std::signal(SIGINT, OnInterrupt);
  bool terminal = !quiet && isatty(fileno(stderr));
  bool cancelled = false;
  auto start = std::chrono::steady_clock::now();

  std::thread ticker([&] {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kProgressTickMs));
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
  ticker.join();
  std::signal(SIGINT, previous);
  return {result, cancelled};
}

}  // namespace gc::cli
