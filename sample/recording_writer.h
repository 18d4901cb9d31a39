// Test helper: a ChannelWrite that keeps every write as its own piece.
#pragma once
#include <string>
#include <vector>

#include "io/channel.h"

namespace gc::test {

struct Recording {
  std::vector<std::string> pieces;
  int calls = 0;
  int failAt = -1;  // the write with this index, counted from 0, fails with 6
  std::string Joined() const {
    std::string all;
    for (const std::string& p : pieces) all += p;
    return all;
  }
};

inline Recording& recording() {
  static Recording r;
  return r;
}

inline void ResetRecording(int failAt = -1) {
  recording() = Recording{{}, 0, failAt};
}

inline int Record(OutputChannel&, const uint8_t* bytes, size_t length) {
  Recording& r = recording();
  if (r.calls++ == r.failAt) return 6;
  r.pieces.emplace_back(reinterpret_cast<const char*>(bytes), length);
  return 0;
}

}  // namespace gc::test
