// A view of bytes that someone else owns (a file's, a datagram's), with
// bounds-checked big-endian reads: a read that does not fit gives 0 and never
// touches memory outside the view.
#pragma once
#include <cstddef>
#include <cstdint>

namespace gc {

class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  uint8_t U8(uint64_t at) const { return Has(at, 1) ? data_[at] : 0; }
  uint16_t U16(uint64_t at) const {
    return Has(at, 2) ? static_cast<uint16_t>((data_[at] << 8) | data_[at + 1]) : 0;
  }
  int16_t S16(uint64_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(uint64_t at) const {
    if (!Has(at, 4)) return 0;
    return (uint32_t{data_[at]} << 24) | (uint32_t{data_[at + 1]} << 16) |
           (uint32_t{data_[at + 2]} << 8) | data_[at + 3];
  }
  // The part from `offset` on, `length` bytes long; empty when it does not fit.
  ByteView Sub(uint64_t offset, uint64_t length) const {
    return Has(offset, length) ? ByteView(data_ + offset, static_cast<size_t>(length)) : ByteView();
  }
  ByteView From(uint64_t offset) const {
    return offset <= size_ ? ByteView(data_ + offset, size_ - static_cast<size_t>(offset))
                           : ByteView();
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace gc
