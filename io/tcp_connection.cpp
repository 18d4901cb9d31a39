#include "io/tcp_connection.h"

#include <new>

namespace gc {

namespace {
constexpr int kConnectAttempts = 5;
constexpr int kFirstPauseMs = 100;
constexpr int kWritableWaitMs = 200;
constexpr int kClosePauseMs = 300;

void CloseSocket(TcpConnection& c) {
  if (c.socket != os::kNoSocket) c.sockets->Close(c.socket);
  c.socket = os::kNoSocket;
}
}  // namespace

int OpenTcpConnection(const char* hostName, const char* address, TcpConnection** connection,
                      uint16_t port, os::SocketLayer* sockets) {
  *connection = nullptr;
  if (!hostName || !address) return 5;
  TcpConnection* c = new (std::nothrow) TcpConnection;
  if (!c) return 5;
  try {
    c->hostName = hostName;
    c->address = address;
  } catch (const std::bad_alloc&) {
    delete c;
    return 5;
  }
  c->sockets = sockets ? sockets : &os::SystemSockets();
  c->peerPort = port;

  auto fail = [&] {
    CloseSocket(*c);
    delete c;
    return 4;
  };
  c->socket = c->sockets->OpenTcp();
  if (c->socket == os::kNoSocket) return fail();
  if (!os::ParseIpv4(address, &c->peerAddress)) return fail();
  if (!c->sockets->SetNonBlocking(c->socket)) return fail();

  int pause = kFirstPauseMs;
  for (int attempt = 1;; ++attempt) {
    int error = c->sockets->Connect(c->socket, c->peerAddress, c->peerPort);
    if (error == 0 || error == os::kWsaEISCONN) break;
    // Still being made: 10022 is what Windows Sockets 1.1 reports for a repeated
    // connect, 10037 what the Winsock 2 library reports for the same.
    if (error != os::kWsaEINVAL && error != os::kWsaEWOULDBLOCK && error != os::kWsaEALREADY)
      return fail();
    if (attempt >= kConnectAttempts) return fail();
    c->sockets->SleepMs(pause);
    pause *= 2;
  }
  *connection = c;
  return 0;
}

SendResult SendAll(TcpConnection& c, const uint8_t* bytes, size_t length,
                   std::atomic<uint64_t>* counter) {
  if (c.abortFlag.load()) {
    CloseSocket(c);
    return {2, 0};
  }
  if (c.socket == os::kNoSocket) return {4, 0};
  size_t sent = 0;
  while (sent < length) {
    int error = 0;
    long n = c.sockets->Send(c.socket, bytes + sent, length - sent, &error);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      if (counter) counter->fetch_add(static_cast<uint64_t>(n));
      continue;
    }
    if (n == 0) error = os::kWsaECONNRESET;
    if (error == os::kWsaEWOULDBLOCK || error == os::kWsaEINPROGRESS) {
      if (c.abortFlag.load()) break;
      WaitWritable(c);
      if (c.abortFlag.load()) break;
      continue;
    }
    return {4, sent};
  }
  if (sent < length) {  // stopped by the abort flag
    CloseSocket(c);
    return {2, sent};
  }
  return {0, sent};
}

int WaitWritable(TcpConnection& c) {
  return c.sockets->WaitWritable(c.socket, kWritableWaitMs) == 1 ? 1 : 0;
}

void CloseTcpConnection(TcpConnection* c) {
  if (!c) return;
  os::SocketLayer* sockets = c->sockets;
  CloseSocket(*c);
  delete c;
  sockets->SleepMs(kClosePauseMs);
}

int AbortTcpConnection(TcpConnection& c) {
  c.abortFlag.store(1);
  return 0;
}

}  // namespace gc
