// The program's private heap: created when the main window opens, destroyed
// with it. Network printer records, SNMP answers, connection records and
// spooler information copies come from here; every allocation is zero-filled.
#pragma once
#include <cstddef>

namespace gc::app {

class PrivateHeap {
 public:
  static constexpr size_t kInitialSize = size_t{1} << 20;  // grows beyond this

  PrivateHeap() = default;
  PrivateHeap(const PrivateHeap&) = delete;
  PrivateHeap& operator=(const PrivateHeap&) = delete;
  ~PrivateHeap() { Destroy(); }

  // True when the heap exists afterwards; a second call keeps the first heap.
  bool Create();
  // Frees every block still allocated.
  void Destroy();
  bool exists() const { return handle_ != nullptr; }

  // Zero-filled; null when the heap is missing or out of memory.
  void* Allocate(size_t size);
  void Release(void* block);
  // A copy of the text with its terminating zero; null on failure.
  char* CopyText(const char* text);

 private:
  void* handle_ = nullptr;
};

// The one heap of the program.
PrivateHeap& programHeap();

}  // namespace gc::app
