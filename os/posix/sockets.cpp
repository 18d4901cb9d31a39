#include "os/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "os/threads.h"

namespace gc::os {

namespace {

int ToWsa(int e) {
  switch (e) {
    case EINPROGRESS:
    case EAGAIN:
      return kWsaEWOULDBLOCK;
    case EALREADY:  // a connect still being made: Winsock 1.1 says WSAEINVAL
      return kWsaEINVAL;
    case EISCONN:
      return kWsaEISCONN;
    case ECONNREFUSED:
      return kWsaECONNREFUSED;
    case ECONNABORTED:
      return kWsaECONNABORTED;
    case ECONNRESET:
    case EPIPE:
      return kWsaECONNRESET;
    case EINVAL:
      return kWsaEINVAL;
    default:
      return 10000 + e;
  }
}

class PosixSockets final : public SocketLayer {
 public:
  SocketHandle OpenTcp() override {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return s < 0 ? kNoSocket : s;
  }
  bool SetNonBlocking(SocketHandle s) override {
    int fd = static_cast<int>(s);
    int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
  }
  int Connect(SocketHandle s, uint32_t ipv4, uint16_t port) override {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(ipv4);
    if (::connect(static_cast<int>(s), reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0)
      return 0;
    return ToWsa(errno);
  }
  long Send(SocketHandle s, const uint8_t* bytes, size_t length, int* error) override {
    for (;;) {
      ssize_t n = ::send(static_cast<int>(s), bytes, length, MSG_NOSIGNAL);
      if (n >= 0) return static_cast<long>(n);
      if (errno == EINTR) continue;
      *error = ToWsa(errno);
      return -1;
    }
  }
  int WaitWritable(SocketHandle s, int timeoutMs) override {
    pollfd p{static_cast<int>(s), POLLOUT, 0};
    int r = ::poll(&p, 1, timeoutMs);
    if (r < 0) return errno == EINTR ? 0 : -1;  // a signal (Ctrl-C) is no socket failure
    if (r == 0) return 0;
    return (p.revents & (POLLERR | POLLHUP | POLLNVAL)) ? -1 : 1;
  }
  long Receive(SocketHandle s, uint8_t* buffer, size_t size, int* error) override {
    for (;;) {
      ssize_t n = ::recv(static_cast<int>(s), buffer, size, 0);
      if (n >= 0) return static_cast<long>(n);
      if (errno == EINTR) continue;
      *error = ToWsa(errno);
      return -1;
    }
  }
  int WaitReadable(SocketHandle s, int timeoutMs) override {
    pollfd p{static_cast<int>(s), POLLIN, 0};
    int r = ::poll(&p, 1, timeoutMs);
    if (r < 0) return errno == EINTR ? 0 : -1;
    return r == 0 ? 0 : 1;
  }
  bool ShutdownSend(SocketHandle s) override { return ::shutdown(static_cast<int>(s), SHUT_WR) == 0; }
  void Close(SocketHandle s) override { ::close(static_cast<int>(s)); }
  void SleepMs(int ms) override { os::SleepMs(ms); }
};

}  // namespace

SocketLayer& SystemSockets() {
  static PosixSockets layer;
  return layer;
}

}  // namespace gc::os
