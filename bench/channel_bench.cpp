// Scanner throughput and system calls per MB on each channel. Reports; never fails.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "io/channel.h"
#include "jobs/streams.h"
#include "io/tcp_connection.h"
#include "os/file.h"
#include "os/spooler.h"
#include "pcl/scanner.h"
#include "tests/support/tcp_peer.h"

using namespace gc;

namespace {

// A synthetic soft font of about `megabytes` MB: a header, then characters of 1000 bytes.
std::string SyntheticFont(int megabytes) {
  std::string d(64, '\0');
  d[1] = 64;
  std::string font = "\x1b)s64W" + d;
  std::string data(1000, '\x55');
  for (int code = 0; font.size() < static_cast<size_t>(megabytes) << 20; code = (code + 1) % 256)
    font += "\x1b*c" + std::to_string(code) + "E\x1b(s1000W" + data;
  return font;
}

long SyscallWrites() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while (io >> key >> value)
    if (key == "syscw:") return value;
  return -1;
}

class CountingSockets : public os::SocketLayer {
 public:
  os::SocketLayer& real = os::SystemSockets();
  long sends = 0;
  os::SocketHandle OpenTcp() override { return real.OpenTcp(); }
  bool SetNonBlocking(os::SocketHandle s) override { return real.SetNonBlocking(s); }
  int Connect(os::SocketHandle s, uint32_t a, uint16_t p) override { return real.Connect(s, a, p); }
  long Send(os::SocketHandle s, const uint8_t* b, size_t n, int* e) override {
    ++sends;
    return real.Send(s, b, n, e);
  }
  int WaitWritable(os::SocketHandle s, int ms) override { return real.WaitWritable(s, ms); }
  void Close(os::SocketHandle s) override { real.Close(s); }
  void SleepMs(int ms) override { real.SleepMs(ms); }
};

class CountingSpooler : public os::SpoolerPort {
 public:
  long writes = 0;
  os::PrinterHandle Open(const std::string&) override { return this; }
  bool StartRawDocument(os::PrinterHandle, const std::string&) override { return true; }
  bool StartPage(os::PrinterHandle) override { return true; }
  bool Write(os::PrinterHandle, const uint8_t*, uint32_t n, uint32_t* w) override {
    ++writes;
    *w = n;
    return true;
  }
  bool EndPage(os::PrinterHandle) override { return true; }
  bool EndDocument(os::PrinterHandle) override { return true; }
  bool Close(os::PrinterHandle) override { return true; }
};

double Seconds(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main() {
  const int mb = 64;
  std::string font = SyntheticFont(mb);
  ByteView bytes(reinterpret_cast<const uint8_t*>(font.data()), font.size());
  double size = static_cast<double>(font.size()) / (1 << 20);

  // Measure pass.
  {
    ScanContext scan;
    auto t = std::chrono::steady_clock::now();
    MeasureBytes(scan, bytes);
    std::printf("scanner measure: %.1f MB in %.3f s = %.0f MB/s\n", size, Seconds(t),
                size / Seconds(t));
  }
  // Whole download to a file: emit pass included.
  {
    OutputChannel ch;
    File out = File::Create("/tmp/gc-bench-out.prn");
    ch.kind = ChannelKind::File;
    ch.file = &out;
    long before = SyscallWrites();
    auto t = std::chrono::steady_clock::now();
    WritePclFontItem(FileWrite, ch, bytes, "Bench", 1);
    FlushChannel(ch);
    double s = Seconds(t);
    std::printf("font download to a file: %.0f MB/s (measure + emit), %.1f write calls per MB\n",
                size / s, (SyscallWrites() - before) / size);
  }
  {
    CountingSpooler spooler;
    OutputChannel ch;
    ch.kind = ChannelKind::Spooler;
    ch.spooler = &spooler;
    ch.printer = &spooler;
    WritePclFontItem(SpoolerWrite, ch, bytes, "Bench", 1);
    FlushChannel(ch);
    std::printf("font download to a spooler: %.1f WritePrinter calls per MB\n",
                spooler.writes / size);
  }
  {
    test::TcpPeer peer(test::PeerMode::ReadAll, 0, 60000);
    CountingSockets sockets;
    TcpConnection* c = nullptr;
    if (OpenTcpConnection("bench", "127.0.0.1", &c, peer.port(), &sockets) == 0) {
      OutputChannel ch;
      ch.kind = ChannelKind::Tcp;
      ch.tcp = c;
      auto t = std::chrono::steady_clock::now();
      WritePclFontItem(TcpWrite, ch, bytes, "Bench", 1);
      FlushChannel(ch);
      double s = Seconds(t);
      std::printf("font download over loopback TCP: %.0f MB/s, %.1f send calls per MB\n", size / s,
                  sockets.sends / size);
      CloseTcpConnection(c);
    }
  }
  std::remove("/tmp/gc-bench-out.prn");
  return 0;
}
