#include "io/tcp_connection.h"

#include <new>

#include "os/threads.h"

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

// One attempt: a new socket, connected once the printer accepts within the
// time-out; false (socket closed) on a refusal, a time-out or a cancel.
bool ConnectOnce(TcpConnection& c, const FleetConnect& fleet) {
  c.socket = c.sockets->OpenTcp();
  if (c.socket == os::kNoSocket || !c.sockets->SetNonBlocking(c.socket)) {
    CloseSocket(c);
    return false;
  }
  int error = c.sockets->Connect(c.socket, c.peerAddress, c.peerPort);
  if (error == 0 || error == os::kWsaEISCONN) return true;
  if (error == os::kWsaEWOULDBLOCK || error == os::kWsaEINVAL || error == os::kWsaEALREADY) {
    // In slices, so that a cancel is heard while a handshake hangs.
    for (int waited = 0; waited < fleet.connectTimeoutMs; waited += kWritableWaitMs) {
      if (fleet.cancel && fleet.cancel->load()) break;
      int ready = c.sockets->WaitWritable(c.socket, kWritableWaitMs);
      if (ready == 1) return true;
      if (ready < 0) break;  // refused or failed
    }
  }
  CloseSocket(c);
  return false;
}

int ConnectFleet(TcpConnection& c, const FleetConnect& fleet) {
  int pause = kFirstPauseMs;
  for (int attempt = 1;; ++attempt) {
    if (ConnectOnce(c, fleet)) return 0;
    if (attempt >= fleet.attempts || (fleet.cancel && fleet.cancel->load())) return 4;
    c.sockets->SleepMs(pause);
    pause *= 2;
  }
}

int OpenTcpConnection(const char* hostName, const char* address, TcpConnection** connection,
                      uint16_t port, os::SocketLayer* sockets, const FleetConnect* fleet) {
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
  if (fleet) {
    if (!os::ParseIpv4(address, &c->peerAddress) || ConnectFleet(*c, *fleet) != 0) return fail();
    *connection = c;
    return 0;
  }
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

int ReceiveSome(TcpConnection& c, int timeoutMs, std::string* into) {
  if (c.socket == os::kNoSocket) return -2;
  for (int waited = 0;; waited += kWritableWaitMs) {
    if (c.abortFlag.load()) return -2;
    int slice = timeoutMs - waited < kWritableWaitMs ? timeoutMs - waited : kWritableWaitMs;
    if (slice <= 0) return 0;
    int ready = c.sockets->WaitReadable(c.socket, slice);
    if (ready < 0) return -2;
    if (ready == 0) continue;
    uint8_t buffer[16384];
    int error = 0;
    long n = c.sockets->Receive(c.socket, buffer, sizeof buffer, &error);
    if (n > 0) {
      into->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
      return 1;
    }
    if (n == 0) return -1;
    if (error != os::kWsaEWOULDBLOCK) return -2;
  }
}

int FinishTcpConnection(TcpConnection* c, int timeoutMs) {
  if (!c) return 0;
  int result = 0;
  if (c->abortFlag.load()) {
    result = 2;
  } else if (c->socket != os::kNoSocket && c->sockets->ShutdownSend(c->socket)) {
    std::string discarded;
    const uint64_t start = os::TickCountMs();
    for (;;) {
      const uint64_t spent = os::TickCountMs() - start;
      if (spent >= static_cast<uint64_t>(timeoutMs)) break;
      int got = ReceiveSome(*c, timeoutMs - static_cast<int>(spent), &discarded);
      discarded.clear();
      if (got == -1) break;  // closed in order: it has read everything
      if (got == -2) {
        result = c->abortFlag.load() ? 2 : 4;
        break;
      }
    }
  }
  CloseSocket(*c);
  delete c;
  return result;
}

int AbortTcpConnection(TcpConnection& c) {
  c.abortFlag.store(1);
  return 0;
}

}  // namespace gc
