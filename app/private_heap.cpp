#include "app/private_heap.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <unordered_set>
#endif

namespace gc::app {

#ifdef _WIN32

bool PrivateHeap::Create() {
  if (!handle_) handle_ = HeapCreate(0, kInitialSize, 0);  // maximum 0: growable
  return handle_ != nullptr;
}

void PrivateHeap::Destroy() {
  if (handle_) HeapDestroy(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

void* PrivateHeap::Allocate(size_t size) {
  if (!handle_) return nullptr;
  return HeapAlloc(static_cast<HANDLE>(handle_), HEAP_ZERO_MEMORY, size ? size : 1);
}

void PrivateHeap::Release(void* block) {
  if (handle_ && block) HeapFree(static_cast<HANDLE>(handle_), 0, block);
}

#else

// Elsewhere the heap is a set of calloc blocks, so that Destroy frees them all.
namespace {
using Blocks = std::unordered_set<void*>;
}

bool PrivateHeap::Create() {
  if (!handle_) handle_ = new Blocks;
  return true;
}

void PrivateHeap::Destroy() {
  auto* blocks = static_cast<Blocks*>(handle_);
  if (!blocks) return;
  for (void* b : *blocks) std::free(b);
  delete blocks;
  handle_ = nullptr;
}

void* PrivateHeap::Allocate(size_t size) {
  auto* blocks = static_cast<Blocks*>(handle_);
  if (!blocks) return nullptr;
  void* b = std::calloc(1, size ? size : 1);
  if (b) blocks->insert(b);
  return b;
}

void PrivateHeap::Release(void* block) {
  auto* blocks = static_cast<Blocks*>(handle_);
  if (blocks && block && blocks->erase(block)) std::free(block);
}

#endif

char* PrivateHeap::CopyText(const char* text) {
  if (!text) return nullptr;
  const size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(Allocate(n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}

PrivateHeap& programHeap() {
  static PrivateHeap heap;
  return heap;
}

}  // namespace gc::app
