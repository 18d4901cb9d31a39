// A read budget of `rate` bytes a second, of which at most `burst` can be
// saved up: what a slow printer takes from the network. Time is passed in, so
// the arithmetic is the same under test as in the poll loop.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace gc::emu {

class TokenBucket {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts full.
  TokenBucket(double rate, double burst, Clock::time_point now)
      : rate_(rate), burst_(burst), tokens_(burst), last_(now) {}

  // Whole bytes that may be read now.
  uint64_t Available(Clock::time_point now) {
    if (now > last_) {
      tokens_ = std::min(burst_, tokens_ + rate_ * std::chrono::duration<double>(now - last_).count());
      last_ = now;
    }
    return tokens_ > 0 ? static_cast<uint64_t>(tokens_) : 0;
  }

  // May go below zero (a read the budget could not hold back); that debt is paid first.
  void Spend(uint64_t bytes) { tokens_ -= static_cast<double>(bytes); }

  // When `bytes` (at most the burst) will be available.
  Clock::time_point ReadyAt(double bytes) const {
    double missing = std::min(bytes, burst_) - tokens_;
    if (missing <= 0) return last_;
    return last_ + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(missing / rate_));
  }

  double burst() const { return burst_; }

 private:
  double rate_;
  double burst_;
  double tokens_;
  Clock::time_point last_;
};

}  // namespace gc::emu
