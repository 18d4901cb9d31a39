// GoogleTest's Notification for the win32 thread model, whose C++ library has
// no std::mutex or std::condition_variable. GoogleTest uses it only to start
// threads of its own; a polled flag serves.
#pragma once
#include <atomic>
#include <chrono>
#include <thread>

namespace testing::internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
