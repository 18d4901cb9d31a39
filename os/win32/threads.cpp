// Threads, critical sections and events as Windows 98 and 2000 have them.
#include "os/threads.h"

#include <windows.h>

namespace gc::os {

struct Thread::Impl {
  HANDLE handle = nullptr;
  std::function<void()> body;
};

namespace {
DWORD WINAPI RunBody(void* impl) {
  static_cast<Thread::Impl*>(impl)->body();
  return 0;
}
}  // namespace

Thread::Thread() : impl_(std::make_unique<Impl>()) {}
Thread::~Thread() {
  if (impl_->handle) CloseHandle(impl_->handle);
}

int Thread::Start(std::function<void()> body) {
  impl_->body = std::move(body);
  DWORD id = 0;  // Windows 98 refuses a thread without somewhere to put its id
  impl_->handle = CreateThread(nullptr, 0, RunBody, impl_.get(), 0, &id);
  if (impl_->handle) return 0;
  const DWORD error = GetLastError();
  impl_->body = nullptr;
  return error ? static_cast<int>(error) : ERROR_NOT_ENOUGH_MEMORY;
}

bool Thread::Started() const {
  return impl_->handle != nullptr;
}

void Thread::Join() {
  if (!impl_->handle) return;
  WaitForSingleObject(impl_->handle, INFINITE);
  CloseHandle(impl_->handle);
  impl_->handle = nullptr;
}

struct Mutex::Impl {
  CRITICAL_SECTION section;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {
  InitializeCriticalSection(&impl_->section);
}
Mutex::~Mutex() {
  DeleteCriticalSection(&impl_->section);
}
void Mutex::Lock() {
  EnterCriticalSection(&impl_->section);
}
void Mutex::Unlock() {
  LeaveCriticalSection(&impl_->section);
}

struct Event::Impl {
  HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

Event::Event() : impl_(std::make_unique<Impl>()) {}
Event::~Event() {
  if (impl_->handle) CloseHandle(impl_->handle);
}
void Event::Set() {
  SetEvent(impl_->handle);
}
void Event::Reset() {
  ResetEvent(impl_->handle);
}
bool Event::Wait(int timeoutMs) {
  const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
  return WaitForSingleObject(impl_->handle, limit) == WAIT_OBJECT_0;
}

void SleepMs(int ms) {
  Sleep(static_cast<DWORD>(ms));
}

uint64_t TickCountMs() {
  // The counter runs from boot on every system; GetTickCount's 32 bits wrap.
  static const uint64_t frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? static_cast<uint64_t>(f.QuadPart) : 0;
  }();
  LARGE_INTEGER now;
  if (frequency == 0 || !QueryPerformanceCounter(&now)) return GetTickCount();
  const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
  return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

}  // namespace gc::os
