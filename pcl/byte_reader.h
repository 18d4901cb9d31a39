// Buffered input for the scanner: byte-at-a-time reads without a system call per byte.
#pragma once
#include <cstddef>
#include <cstdint>

#include "os/file.h"

namespace gc {

class ByteReader {
 public:
  void Reset(File* file) {
    file_ = file;
    position_ = length_ = 0;
    ended_ = false;
  }
  // 0..255, or -1 at the end of input or on a read failure.
  int ReadByte() {
    if (position_ == length_ && !Refill()) return -1;
    return buffer_[position_++];
  }
  // The number of bytes read into `out` (fewer than `n` only at the end).
  size_t ReadBlock(uint8_t* out, size_t n);
  // Reads and drops up to `n` bytes; returns how many there were.
  uint64_t Skip(uint64_t n);

 private:
  bool Refill();
  File* file_ = nullptr;
  size_t position_ = 0, length_ = 0;
  bool ended_ = false;
  uint8_t buffer_[64 * 1024];
};

}  // namespace gc
