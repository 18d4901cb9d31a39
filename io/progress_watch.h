// What a job's thread and whoever watches it (the progress dialog, the
// command line's progress line) share. A job owns one; each channel of the job
// reports into it.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "os/threads.h"

namespace gc {

struct TcpConnection;

struct ProgressWatch {
  std::atomic<int> running{0};
  int cancelRequested = 0;                       // under lock
  std::atomic<uint64_t> byteCounter{0};          // bytes the OS accepted for this printer
  uint64_t previousCounter = 0;                  // the dialog's last look
  TcpConnection* abortableConnection = nullptr;  // under lock
  std::string currentPrinter;                    // under lock, for progress displays
  os::Mutex lock;
};

}  // namespace gc
