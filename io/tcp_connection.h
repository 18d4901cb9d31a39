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

// How a fleet connects: as soon as the printer accepts (each attempt waits
// for the handshake up to `connectTimeoutMs`, and only a refusal or a
// time-out leads to the next, after a back-off), where the program checks
// again after fixed pauses. `cancel`, when set, ends the attempts.
struct FleetConnect {
  int connectTimeoutMs = 3000;
  const std::atomic<int>* cancel = nullptr;
  int attempts = 5;
};

// 0 and the connection, 5 out of memory, 4 socket/address/connect failure.
// `port` other than 9100 is for tests and the CLI's HOST:PORT. Without
// `fleet`, the program's timings: five connect checks after pauses of 100 ms
// and doubling.
int OpenTcpConnection(const char* hostName, const char* address, TcpConnection** connection,
                      uint16_t port = kPrinterPort, os::SocketLayer* sockets = nullptr,
                      const FleetConnect* fleet = nullptr);
// `counter`, when given, grows by every byte the OS accepts, as it accepts them,
// so that a slow but moving peer never looks stalled.
SendResult SendAll(TcpConnection& connection, const uint8_t* bytes, size_t length,
                   std::atomic<uint64_t>* counter = nullptr);
int WaitWritable(TcpConnection& connection);
// Closes, frees and pauses 300 ms so consecutive printers stay apart.
void CloseTcpConnection(TcpConnection* connection);

// What a printer sends back, within `timeoutMs`, appended to `into`: 1 bytes
// came, 0 time is up, -1 the printer closed its side, -2 the connection failed
// or was aborted.
int ReceiveSome(TcpConnection& connection, int timeoutMs, std::string* into);

// How a fleet ends a connection: the sending side is shut, and what the
// printer still sends is read and dropped until it closes its side, for at
// most `timeoutMs`. 0 when it closed in order or time ran out, 4 when it reset
// the connection (what it had not read is lost), 2 when aborted. Frees the
// connection without a pause.
int FinishTcpConnection(TcpConnection* connection, int timeoutMs);
int AbortTcpConnection(TcpConnection& connection);

}  // namespace gc
