// A small socket layer over BSD sockets and Winsock. Errors are reported as the
// Winsock numbers, whatever the platform, because the connection logic is
// written in terms of them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace gc::os {

using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Winsock error numbers.
enum : int {
  kWsaEINVAL = 10022,
  kWsaEWOULDBLOCK = 10035,
  kWsaEINPROGRESS = 10036,
  kWsaEALREADY = 10037,
  kWsaECONNABORTED = 10053,
  kWsaECONNRESET = 10054,
  kWsaEOPNOTSUPP = 10045,
  kWsaEISCONN = 10056,
  kWsaECONNREFUSED = 10061,
};

class SocketLayer {
 public:
  virtual ~SocketLayer() = default;
  // A TCP/IPv4 stream socket, or kNoSocket.
  virtual SocketHandle OpenTcp() = 0;
  virtual bool SetNonBlocking(SocketHandle s) = 0;
  // 0 when connected, else the Winsock error number of this attempt.
  virtual int Connect(SocketHandle s, uint32_t ipv4, uint16_t port) = 0;
  // Bytes sent (> 0), or -1 with *error set.
  virtual long Send(SocketHandle s, const uint8_t* bytes, size_t length, int* error) = 0;
  // 1 writable, 0 timeout, -1 error or exception.
  virtual int WaitWritable(SocketHandle s, int timeoutMs) = 0;
  // Reading a printer's replies. Bytes received (> 0), 0 when the peer has
  // closed its side, or -1 with *error set (kWsaEWOULDBLOCK: nothing yet).
  // The defaults serve layers that only send.
  virtual long Receive(SocketHandle, uint8_t*, size_t, int* error) {
    *error = kWsaEOPNOTSUPP;
    return -1;
  }
  // 1 readable (data, the end or an error to read), 0 timeout, -1 failure.
  virtual int WaitReadable(SocketHandle, int) { return -1; }
  // Ends the sending side: the peer reads the end of the stream.
  virtual bool ShutdownSend(SocketHandle) { return false; }
  virtual void Close(SocketHandle s) = 0;
  virtual void SleepMs(int ms) = 0;
};

// The platform's sockets.
SocketLayer& SystemSockets();

// Dotted IPv4 text ("a.b.c.d", each 0-255) to a host-order address.
bool ParseIpv4(const char* text, uint32_t* address);
// A host-order address as dotted text.
std::string Ipv4Text(uint32_t address);
// The text is an address exactly as Ipv4Text prints it: "192.168.001.5" is not.
bool IsCanonicalIpv4(const std::string& text);

}  // namespace gc::os
