// A printer-like TCP peer on 127.0.0.1 for channel tests: it reads what it is
// sent (slowly, not at all, or until it resets) and stops by itself.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "os/threads.h"

namespace gc::test {

enum class PeerMode { ReadAll, ReadSlowly, ResetAfter, Stall };

class TcpPeer {
 public:
  // `limitBytes` is the reset point for ResetAfter.
  explicit TcpPeer(PeerMode mode, size_t limitBytes = 0, int lifetimeMs = 20000);
  ~TcpPeer();
  uint16_t port() const { return port_; }
  // Waits for the connection to end (or the lifetime) and returns what arrived.
  std::string Received();

  // A loopback port with nothing listening on it.
  static uint16_t ClosedPort();

 private:
  void Serve();
  PeerMode mode_;
  size_t limit_;
  int lifetimeMs_;
  intptr_t listener_ = -1;
  uint16_t port_ = 0;
  std::string received_;
  std::atomic<bool> done_{false};
  os::Thread thread_;
};

// A printer that completes the handshake only after about a second: it
// listens with a queue of one that a first client already fills, so the
// kernel drops the next SYN; it takes that first client after a moment, and
// the retransmitted SYN (about a second after the first) then gets in. It
// keeps what the second client sends and stops by itself.
class SlowHandshakePeer {
 public:
  explicit SlowHandshakePeer(int lifetimeMs = 20000);
  ~SlowHandshakePeer();
  uint16_t port() const { return port_; }
  // Waits for the second connection to end (or the lifetime).
  std::string Received();

 private:
  void Serve();
  int lifetimeMs_;
  intptr_t listener_ = -1;
  intptr_t filler_ = -1;
  uint16_t port_ = 0;
  std::string received_;
  os::Thread thread_;
};

}  // namespace gc::test
