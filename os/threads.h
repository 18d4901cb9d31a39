// The thread port: threads, locks, events and the millisecond clock. Natively
// the C++ library's threads; on Windows the Win32 calls themselves, because
// the Windows deliverables must load on systems whose kernel lacks what a
// POSIX thread layer would import.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace gc::os {

// One thread running one function. Join before the object goes away; a
// thread that was never started, or has been joined, needs nothing.
class Thread {
 public:
  Thread();
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts `body` on a new thread: 0, or the platform's error code (the
  // thread does not exist then).
  int Start(std::function<void()> body);
  bool Started() const;
  // Waits for the thread to end.
  void Join();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void Lock();
  void Unlock();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~MutexLock() { mutex_.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mutex_;
};

// A manual-reset event: Set wakes every waiter until Reset.
class Event {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  void Set();
  void Reset();
  // True when set within `timeoutMs` (negative: no limit).
  bool Wait(int timeoutMs);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

void SleepMs(int ms);

// The monotonic millisecond clock.
uint64_t TickCountMs();

}  // namespace gc::os
