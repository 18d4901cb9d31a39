#include "os/sockets.h"

#include <windows.h>
#include <winsock2.h>

#include "os/threads.h"

namespace gc::os {

namespace {

SOCKET S(SocketHandle s) {
  return static_cast<SOCKET>(s);
}

class WinSockets final : public SocketLayer {
 public:
  // The Win32 program starts Windows Sockets itself; the CLI and tests rely on this.
  WinSockets() {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
  }
  SocketHandle OpenTcp() override {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
  }
  bool SetNonBlocking(SocketHandle s) override {
    u_long on = 1;
    return ::ioctlsocket(S(s), FIONBIO, &on) == 0;
  }
  int Connect(SocketHandle s, uint32_t ipv4, uint16_t port) override {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(ipv4);
    if (::connect(S(s), reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) return 0;
    return WSAGetLastError();
  }
  long Send(SocketHandle s, const uint8_t* bytes, size_t length, int* error) override {
    int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
    int n = ::send(S(s), reinterpret_cast<const char*>(bytes), chunk, 0);
    if (n == SOCKET_ERROR) {
      *error = WSAGetLastError();
      return -1;
    }
    return n;
  }
  int WaitWritable(SocketHandle s, int timeoutMs) override {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(S(s), &writable);
    FD_SET(S(s), &failed);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int r = ::select(0, nullptr, &writable, &failed, &tv);
    if (r <= 0) return r < 0 ? -1 : 0;
    return FD_ISSET(S(s), &failed) ? -1 : 1;
  }
  long Receive(SocketHandle s, uint8_t* buffer, size_t size, int* error) override {
    int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    int n = ::recv(S(s), reinterpret_cast<char*>(buffer), chunk, 0);
    if (n == SOCKET_ERROR) {
      *error = WSAGetLastError();
      return -1;
    }
    return n;
  }
  int WaitReadable(SocketHandle s, int timeoutMs) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(S(s), &readable);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int r = ::select(0, &readable, nullptr, nullptr, &tv);
    return r < 0 ? -1 : r == 0 ? 0 : 1;
  }
  bool ShutdownSend(SocketHandle s) override { return ::shutdown(S(s), SD_SEND) == 0; }
  void Close(SocketHandle s) override { ::closesocket(S(s)); }
  void SleepMs(int ms) override { os::SleepMs(ms); }
};

}  // namespace

SocketLayer& SystemSockets() {
  static WinSockets layer;
  return layer;
}

}  // namespace gc::os
