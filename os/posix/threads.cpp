#include "os/threads.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace gc::os {

struct Thread::Impl {
  std::thread thread;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}
Thread::~Thread() = default;

int Thread::Start(std::function<void()> body) {
  try {
    impl_->thread = std::thread(std::move(body));
    return 0;
  } catch (const std::system_error& e) {
    return e.code().value() ? e.code().value() : EAGAIN;
  }
}

bool Thread::Started() const {
  return impl_->thread.joinable();
}

void Thread::Join() {
  if (impl_->thread.joinable()) impl_->thread.join();
}

struct Mutex::Impl {
  std::mutex mutex;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::Lock() {
  impl_->mutex.lock();
}
void Mutex::Unlock() {
  impl_->mutex.unlock();
}

struct Event::Impl {
  std::mutex mutex;
  std::condition_variable changed;
  bool set = false;
};

Event::Event() : impl_(std::make_unique<Impl>()) {}
Event::~Event() = default;

void Event::Set() {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  impl_->set = true;
  impl_->changed.notify_all();
}

void Event::Reset() {
  std::lock_guard<std::mutex> hold(impl_->mutex);
  impl_->set = false;
}

bool Event::Wait(int timeoutMs) {
  std::unique_lock<std::mutex> hold(impl_->mutex);
  if (timeoutMs < 0) {
    impl_->changed.wait(hold, [this] { return impl_->set; });
    return true;
  }
  return impl_->changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                 [this] { return impl_->set; });
}

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint64_t TickCountMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace gc::os
