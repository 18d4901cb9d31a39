#include "tests/support/tcp_peer.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SockLen = int;
static void CloseSock(intptr_t s) {
  closesocket(static_cast<SOCKET>(s));
}
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using SockLen = socklen_t;
static void CloseSock(intptr_t s) {
  close(static_cast<int>(s));
}
#endif

namespace gc::test {

namespace {

void StartNetworking() {
#ifdef _WIN32
  static bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
#endif
}

intptr_t Listen(uint16_t* port, int receiveBuffer, int backlog = 4) {
  StartNetworking();
  intptr_t s = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  if (receiveBuffer > 0)
    setsockopt(static_cast<decltype(socket(0, 0, 0))>(s), SOL_SOCKET, SO_RCVBUF,
               reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(static_cast<decltype(socket(0, 0, 0))>(s), reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(static_cast<decltype(socket(0, 0, 0))>(s), backlog);
  SockLen len = sizeof a;
  getsockname(static_cast<decltype(socket(0, 0, 0))>(s), reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  return s;
}

// 1 readable, 0 timeout.
int WaitReadable(intptr_t s, int ms) {
  fd_set r;
  FD_ZERO(&r);
  FD_SET(static_cast<decltype(socket(0, 0, 0))>(s), &r);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  return select(static_cast<int>(s) + 1, &r, nullptr, nullptr, &tv) > 0 ? 1 : 0;
}

}  // namespace

TcpPeer::TcpPeer(PeerMode mode, size_t limitBytes, int lifetimeMs)
    : mode_(mode), limit_(limitBytes), lifetimeMs_(lifetimeMs) {
  listener_ = Listen(&port_, mode == PeerMode::Stall ? 4096 : 0);
  thread_.Start([this] { Serve(); });
}

TcpPeer::~TcpPeer() {
  done_ = true;
  thread_.Join();
  CloseSock(listener_);
}

void TcpPeer::Serve() {
  const uint64_t end = os::TickCountMs() + static_cast<uint64_t>(lifetimeMs_);
  auto left = [&] { return static_cast<int>(static_cast<int64_t>(end - os::TickCountMs())); };
  while (!done_ && left() > 0 && !WaitReadable(listener_, 50)) {
  }
  if (done_ || left() <= 0) return;
  auto conn = accept(static_cast<decltype(socket(0, 0, 0))>(listener_), nullptr, nullptr);
  intptr_t c = static_cast<intptr_t>(conn);
  char buffer[65536];
  while (!done_ && left() > 0) {
    if (mode_ == PeerMode::Stall) {
      os::SleepMs(20);
      continue;
    }
    if (!WaitReadable(c, 50)) continue;
    size_t want = sizeof buffer;
    if (mode_ == PeerMode::ReadSlowly) want = 4096;
    if (mode_ == PeerMode::ResetAfter) want = limit_ - received_.size();
    int n = static_cast<int>(recv(conn, buffer, static_cast<int>(want), 0));
    if (n <= 0) break;
    received_.append(buffer, static_cast<size_t>(n));
    if (mode_ == PeerMode::ResetAfter && received_.size() >= limit_) {
      linger hard{1, 0};  // close with a reset
      setsockopt(conn, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
      break;
    }
    if (mode_ == PeerMode::ReadSlowly) os::SleepMs(2);
  }
  CloseSock(c);
  done_ = true;
}

std::string TcpPeer::Received() {
  thread_.Join();
  return received_;
}

uint16_t TcpPeer::ClosedPort() {
  uint16_t port = 0;
  intptr_t s = Listen(&port, 0);
  CloseSock(s);
  return port;
}

SlowHandshakePeer::SlowHandshakePeer(int lifetimeMs) : lifetimeMs_(lifetimeMs) {
  listener_ = Listen(&port_, 0, 0);
  // The first client fills the queue; its handshake completes at once.
  filler_ = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port_);
  connect(static_cast<decltype(socket(0, 0, 0))>(filler_), reinterpret_cast<sockaddr*>(&a),
          sizeof a);
  thread_.Start([this] { Serve(); });
}

SlowHandshakePeer::~SlowHandshakePeer() {
  thread_.Join();
  CloseSock(filler_);
  CloseSock(listener_);
}

void SlowHandshakePeer::Serve() {
  const uint64_t end = os::TickCountMs() + static_cast<uint64_t>(lifetimeMs_);
  auto left = [&] { return static_cast<int>(static_cast<int64_t>(end - os::TickCountMs())); };
  // Long enough for the second client's first SYN to be dropped, short of
  // its retransmission.
  os::SleepMs(300);
  auto accept1 = [&] {
    while (left() > 0 && !WaitReadable(listener_, 50)) {
    }
    if (left() <= 0) return static_cast<intptr_t>(-1);
    return static_cast<intptr_t>(
        accept(static_cast<decltype(socket(0, 0, 0))>(listener_), nullptr, nullptr));
  };
  intptr_t first = accept1();
  if (first == -1) return;
  CloseSock(first);
  intptr_t second = accept1();
  if (second == -1) return;
  char buffer[65536];
  while (left() > 0) {
    if (!WaitReadable(second, 50)) continue;
    int n = static_cast<int>(
        recv(static_cast<decltype(socket(0, 0, 0))>(second), buffer, sizeof buffer, 0));
    if (n <= 0) break;
    received_.append(buffer, static_cast<size_t>(n));
  }
  CloseSock(second);
}

std::string SlowHandshakePeer::Received() {
  thread_.Join();
  return received_;
}

}  // namespace gc::test
