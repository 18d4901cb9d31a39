// Non-blocking UDP/IPv4 sockets for the SNMP queries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "os/sockets.h"

namespace gc::os {

class UdpSocket {
 public:
  UdpSocket() = default;
  ~UdpSocket() { Close(); }
  UdpSocket(UdpSocket&& o) noexcept : handle_(o.handle_) { o.handle_ = kNoSocket; }
  UdpSocket& operator=(UdpSocket&& o) noexcept;
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Non-blocking, bound to any address and port 0; SO_BROADCAST on request.
  static UdpSocket Open(bool broadcast);
  bool IsOpen() const { return handle_ != kNoSocket; }
  bool SendTo(uint32_t ipv4, uint16_t port, const uint8_t* bytes, size_t length);
  // Bytes received (0 for an empty datagram), or -1 on an error.
  long Receive(uint8_t* buffer, size_t size, uint32_t* from);
  SocketHandle handle() const { return handle_; }
  void Close();

 private:
  SocketHandle handle_ = kNoSocket;
};

// Waits up to `timeoutMs` for one of `sockets` to be readable: its index,
// -1 on timeout, -2 on failure.
int WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs);

}  // namespace gc::os
