#include "os/udp.h"



#ifdef _WIN32
#include <winsock2.h>
using RawSocket = SOCKET;
using AddressLength = int;
static void CloseRaw(RawSocket s) {
  closesocket(s);
}
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using RawSocket = int;
using AddressLength = socklen_t;
static void CloseRaw(RawSocket s) {
  close(s);
}
#endif

namespace gc::os {

namespace {
RawSocket Raw(SocketHandle h) {
  return static_cast<RawSocket>(h);
}
}  // namespace

UdpSocket& UdpSocket::operator=(UdpSocket&& o) noexcept {
  if (this != &o) {
    Close();
    handle_ = o.handle_;
    o.handle_ = kNoSocket;
  }
  return *this;
}

UdpSocket UdpSocket::Open(bool broadcast) {
  SystemSockets();  // starts Windows Sockets where needed
  UdpSocket u;
  RawSocket s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return u;
  u_long on = 1;
  bool ok = ioctlsocket(s, FIONBIO, &on) == 0;
#else
  if (s < 0) return u;
  int flags = fcntl(s, F_GETFL);
  bool ok = flags >= 0 && fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
#endif
  u.handle_ = static_cast<SocketHandle>(s);
  sockaddr_in any{};
  any.sin_family = AF_INET;
  ok = ok && bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any) == 0;
  int yes = 1;
  ok = ok && (!broadcast || setsockopt(s, SOL_SOCKET, SO_BROADCAST,
                                       reinterpret_cast<const char*>(&yes), sizeof yes) == 0);
  if (!ok) u.Close();
  return u;
}

bool UdpSocket::SendTo(uint32_t ipv4, uint16_t port, const uint8_t* bytes, size_t length) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(ipv4);
  long n = sendto(Raw(handle_), reinterpret_cast<const char*>(bytes), static_cast<int>(length), 0,
                  reinterpret_cast<sockaddr*>(&to), sizeof to);
  return n == static_cast<long>(length);
}

long UdpSocket::Receive(uint8_t* buffer, size_t size, uint32_t* from) {
  sockaddr_in sender{};
  AddressLength len = sizeof sender;
  long n = recvfrom(Raw(handle_), reinterpret_cast<char*>(buffer), static_cast<int>(size), 0,
                    reinterpret_cast<sockaddr*>(&sender), &len);
  if (n < 0) return -1;
  *from = ntohl(sender.sin_addr.s_addr);
  return n;
}

void UdpSocket::Close() {
  if (handle_ != kNoSocket) CloseRaw(Raw(handle_));
  handle_ = kNoSocket;
}

int WaitReadable(const std::vector<const UdpSocket*>& sockets, int timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  int highest = 0;
  for (const UdpSocket* s : sockets) {
    FD_SET(Raw(s->handle()), &readable);
    if (static_cast<int>(s->handle()) > highest) highest = static_cast<int>(s->handle());
  }
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int r = select(highest + 1, &readable, nullptr, nullptr, &tv);
  if (r < 0) return -2;
  if (r == 0) return -1;
  for (size_t i = 0; i < sockets.size(); ++i)
    if (FD_ISSET(Raw(sockets[i]->handle()), &readable)) return static_cast<int>(i);
  return -1;
}

}  // namespace gc::os
