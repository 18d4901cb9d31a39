// Where a stream builder's pieces go: the caller's channel, or nowhere in a
// counting pass. It keeps the first failure: every later piece is skipped and
// answers that failure, so a builder can write on and look once at the end.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "io/channel.h"
#include "io/result_codes.h"

namespace gc {

class StreamWriter {
 public:
  StreamWriter() = default;  // counts only
  StreamWriter(ChannelWrite write, OutputChannel& channel) : write_(write), channel_(&channel) {}

  bool counting() const { return write_ == nullptr; }
  uint64_t count() const { return count_; }  // every byte put, written or not
  int error() const { return error_; }

  int Put(const void* bytes, size_t length) {
    count_ += length;
    if (error_ == 0 && write_)
      error_ = write_(*channel_, static_cast<const uint8_t*>(bytes), length);
    return error_;
  }
  int Put(std::string_view text) { return Put(text.data(), text.size()); }

  // A formatted command; one that does not fit its buffer fails as a file error.
  template <typename... Args>
  int Format(const char* format, Args... args) {
    char text[400];
    int n = std::snprintf(text, sizeof text, format, args...);
    if (n < 0 || static_cast<size_t>(n) >= sizeof text) {
      if (error_ == 0) error_ = kFileFailed;
      return error_;
    }
    return Put(text, static_cast<size_t>(n));
  }

 private:
  ChannelWrite write_ = nullptr;
  OutputChannel* channel_ = nullptr;
  uint64_t count_ = 0;
  int error_ = 0;
};

}  // namespace gc
