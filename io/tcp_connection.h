// Raw TCP to a network printer's port 9100, non-blocking, abortable.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "os/sockets.h"

namespace gc {

inline constexpr uint16_t kPrinterPort = 9100;

struct TcpConnection {
  std::string hostName;
  std::string address;
  std::atomic<int> abortFlag{0};
  os::SocketHandle socket = os::kNoSocket;
  uint32_t peerAddress = 0;
  uint16_t peerPort = kPrinterPort;
  os::SocketLayer* sockets = nullptr;
};

struct SendResult {
  int code;     // 0 all sent, 2 aborted, 4 failed
  size_t sent;  // bytes the OS accepted
};

// 0 and the connection, 5 out of memory, 4 socket/address/connect failure.
// `port` other than 9100 is for tests and the CLI's HOST:PORT.
int OpenTcpConnection(const char* hostName, const char* address, TcpConnection** connection,
                      uint16_t port = kPrinterPort, os::SocketLayer* sockets = nullptr);
// `counter`, when given, grows by every byte the OS accepts, as it accepts them,
// so that a slow but moving peer never looks stalled.
SendResult SendAll(TcpConnection& connection, const uint8_t* bytes, size_t length,
                   std::atomic<uint64_t>* counter = nullptr);
int WaitWritable(TcpConnection& connection);
// Closes, frees and pauses 300 ms so consecutive printers stay apart.
void CloseTcpConnection(TcpConnection* connection);
int AbortTcpConnection(TcpConnection& connection);

}  // namespace gc
