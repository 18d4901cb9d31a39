// The scanner's input: byte-at-a-time reads over bytes held in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "os/byte_view.h"

namespace gc {

class ByteReader {
 public:
  void Reset(ByteView input) {
    input_ = input;
    position_ = 0;
  }
  // 0..255, or -1 at the end of input.
  int ReadByte() { return position_ < input_.size() ? input_.data()[position_++] : -1; }
  // The number of bytes read into `out` (fewer than `n` only at the end).
  size_t ReadBlock(uint8_t* out, size_t n) {
    size_t take = n < Left() ? n : Left();
    if (take) std::memcpy(out, input_.data() + position_, take);
    position_ += take;
    return take;
  }
  // Passes over up to `n` bytes; returns how many there were.
  uint64_t Skip(uint64_t n) {
    uint64_t take = n < Left() ? n : Left();
    position_ += static_cast<size_t>(take);
    return take;
  }

 private:
  size_t Left() const { return input_.size() - position_; }
  ByteView input_;
  size_t position_ = 0;
};

}  // namespace gc
