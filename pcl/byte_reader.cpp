#include "pcl/byte_reader.h"

#include <cstring>

namespace gc {

bool ByteReader::Refill() {
  if (ended_ || !file_) return false;
  long long n = file_->Read(buffer_, sizeof buffer_);
  if (n <= 0) {
    ended_ = true;
    return false;
  }
  position_ = 0;
  length_ = static_cast<size_t>(n);
  return true;
}

size_t ByteReader::ReadBlock(uint8_t* out, size_t n) {
  size_t done = 0;
  while (done < n) {
    if (position_ == length_ && !Refill()) break;
    size_t take = length_ - position_ < n - done ? length_ - position_ : n - done;
    std::memcpy(out + done, buffer_ + position_, take);
    position_ += take;
    done += take;
  }
  return done;
}

uint64_t ByteReader::Skip(uint64_t n) {
  uint64_t done = 0;
  while (done < n) {
    if (position_ == length_ && !Refill()) break;
    uint64_t take = length_ - position_ < n - done ? length_ - position_ : n - done;
    position_ += static_cast<size_t>(take);
    done += take;
  }
  return done;
}

}  // namespace gc
