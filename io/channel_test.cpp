#include "io/channel.h"

#include <gtest/gtest.h>

#include <vector>

#include "io/progress_watch.h"
#include "io/spooler_job.h"
#include "io/tcp_connection.h"
#include "os/file.h"
#include "os/threads.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/files.h"
#include "tests/support/tcp_peer.h"

namespace gc {
namespace {

using test::PeerMode;
using test::TcpPeer;

long long MsSince(uint64_t start) {
  return static_cast<long long>(os::TickCountMs() - start);
}

struct Tcp {
  explicit Tcp(uint16_t port) {
    code = OpenTcpConnection("printer", "127.0.0.1", &connection, port);
    channel.kind = ChannelKind::Tcp;
    channel.tcp = connection;
    channel.progress = &progress;
  }
  ~Tcp() {
    if (connection) CloseTcpConnection(connection);
  }
  int code;
  TcpConnection* connection = nullptr;
  ProgressWatch progress;
  OutputChannel channel;
};

TEST(TcpChannel, DeliversEveryByteToASlowReader) {
  TcpPeer peer(PeerMode::ReadSlowly);
  std::string data = test::Pattern(600000);
  {
    Tcp tcp(peer.port());
    ASSERT_EQ(tcp.code, 0);
    // Small pieces, as the builders write them.
    for (size_t at = 0; at < data.size(); at += 16)
      ASSERT_EQ(TcpWrite(tcp.channel, reinterpret_cast<const uint8_t*>(data.data()) + at,
                         std::min<size_t>(16, data.size() - at)),
                0);
    ASSERT_EQ(FlushChannel(tcp.channel), 0);
    EXPECT_EQ(tcp.progress.byteCounter.load(), data.size());
  }
  EXPECT_EQ(peer.Received(), data);
}

TEST(TcpChannel, PeerResetFails) {
  TcpPeer peer(PeerMode::ResetAfter, 1000);
  Tcp tcp(peer.port());
  ASSERT_EQ(tcp.code, 0);
  std::string data = test::Pattern(4 << 20);
  SendResult r{0, 0};
  // The reset shows on one of the sends after the peer has gone.
  for (int i = 0; i < 20 && r.code == 0; ++i) {
    r = SendAll(*tcp.connection, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    os::SleepMs(20);
  }
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(TcpWrite(tcp.channel, reinterpret_cast<const uint8_t*>(data.data()), data.size()), 6);
}

TEST(TcpChannel, AbortEndsAStalledWrite) {
  TcpPeer peer(PeerMode::Stall);
  Tcp tcp(peer.port());
  ASSERT_EQ(tcp.code, 0);
  std::string data = test::Pattern(64 << 20);
  int code = -1;
  os::Thread writer;
  writer.Start([&] {
    code = TcpWrite(tcp.channel, reinterpret_cast<const uint8_t*>(data.data()), data.size());
  });
  // Wait until the peer's window is full and the counter stands still.
  uint64_t seen = ~0ull;
  while (tcp.progress.byteCounter.load() != seen) {
    seen = tcp.progress.byteCounter.load();
    os::SleepMs(300);
  }
  const uint64_t start = os::TickCountMs();
  {
    os::MutexLock hold(tcp.progress.lock);
    ASSERT_EQ(tcp.progress.abortableConnection, tcp.connection);
    AbortTcpConnection(*tcp.progress.abortableConnection);
  }
  writer.Join();
  EXPECT_LT(MsSince(start), 1000);  // one 200 ms wait, with room for a loaded machine
  EXPECT_EQ(code, 6);
  EXPECT_EQ(tcp.connection->socket, os::kNoSocket);
  uint8_t byte = 0;
  EXPECT_EQ(TcpWrite(tcp.channel, &byte, 1), 6);  // the channel stays failed
}

TEST(TcpChannel, RefusedConnectionFailsWithoutRetrying) {
  uint16_t port = TcpPeer::ClosedPort();
  const uint64_t start = os::TickCountMs();
  TcpConnection* c = nullptr;
  EXPECT_EQ(OpenTcpConnection("printer", "127.0.0.1", &c, port), 4);
  EXPECT_EQ(c, nullptr);
  EXPECT_LT(MsSince(start), 700);  // far below the 1.5 s of five attempts
}

TEST(TcpChannel, BadAddressFailsBeforeConnecting) {
  for (const char* address : {"printer.local", "10.1", "10.0.0.256", "", "1.2.3.4.5"}) {
    TcpConnection* c = nullptr;
    EXPECT_EQ(OpenTcpConnection("printer", address, &c), 4) << address;
  }
}

// A socket layer whose connects never complete and whose sends take all.
class FakeSockets : public os::SocketLayer {
 public:
  os::SocketHandle OpenTcp() override { return 7; }
  bool SetNonBlocking(os::SocketHandle) override { return true; }
  int Connect(os::SocketHandle, uint32_t, uint16_t) override {
    ++connects;
    if (!connectScript.empty()) {
      const int result = connectScript.front();
      connectScript.erase(connectScript.begin());
      return result;
    }
    return connectResult;
  }
  long Send(os::SocketHandle, const uint8_t*, size_t length, int*) override {
    sends.push_back(length);
    return static_cast<long>(length);
  }
  int WaitWritable(os::SocketHandle, int) override { return 1; }
  void Close(os::SocketHandle) override { ++closes; }
  void SleepMs(int ms) override { sleeps.push_back(ms); }

  int connectResult = os::kWsaEWOULDBLOCK;
  std::vector<int> connectScript;  // results of the first connects, before connectResult
  int connects = 0, closes = 0;
  std::vector<size_t> sends;
  std::vector<int> sleeps;
};

TEST(TcpChannel, ConnectThatNeverCompletesGivesUpAfterFiveAttempts) {
  for (int pending : {os::kWsaEWOULDBLOCK, os::kWsaEINVAL, os::kWsaEALREADY}) {
    FakeSockets fake;
    fake.connectResult = pending;
    TcpConnection* c = nullptr;
    EXPECT_EQ(OpenTcpConnection("p", "192.0.2.1", &c, kPrinterPort, &fake), 4);
    EXPECT_EQ(fake.connects, 5);
    EXPECT_EQ(fake.sleeps, (std::vector<int>{100, 200, 400, 800}));
    EXPECT_EQ(fake.closes, 1);
  }
}

// A repeated connect while the handshake runs reports 10022 under Windows
// Sockets 1.1 and 10037 through the Winsock 2 library: both wait on, and the
// connection that completes later is taken.
TEST(TcpChannel, HandshakeInProgressWaitsWhateverTheLibrarySays) {
  for (int repeated : {os::kWsaEINVAL, os::kWsaEALREADY}) {
    FakeSockets fake;
    fake.connectScript = {os::kWsaEWOULDBLOCK, repeated, repeated};
    fake.connectResult = os::kWsaEISCONN;
    TcpConnection* c = nullptr;
    EXPECT_EQ(OpenTcpConnection("p", "192.0.2.1", &c, kPrinterPort, &fake), 0) << repeated;
    EXPECT_EQ(fake.connects, 4);
    EXPECT_EQ(fake.sleeps, (std::vector<int>{100, 200, 400}));
    CloseTcpConnection(c);
  }
}

// The same with a real peer on loopback whose handshake completes only after
// about a second (the first SYN is dropped).
TEST(TcpChannel, PrinterSlowToAcceptIsStillReached) {
  test::SlowHandshakePeer peer;
  struct Recording : os::SocketLayer {
    os::SocketLayer& real = os::SystemSockets();
    std::vector<int> results;
    os::SocketHandle OpenTcp() override { return real.OpenTcp(); }
    bool SetNonBlocking(os::SocketHandle s) override { return real.SetNonBlocking(s); }
    int Connect(os::SocketHandle s, uint32_t ip, uint16_t port) override {
      results.push_back(real.Connect(s, ip, port));
      return results.back();
    }
    long Send(os::SocketHandle s, const uint8_t* b, size_t n, int* e) override {
      return real.Send(s, b, n, e);
    }
    int WaitWritable(os::SocketHandle s, int ms) override { return real.WaitWritable(s, ms); }
    void Close(os::SocketHandle s) override { real.Close(s); }
    void SleepMs(int ms) override { real.SleepMs(ms); }
  } sockets;
  TcpConnection* c = nullptr;
  ASSERT_EQ(OpenTcpConnection("slow", "127.0.0.1", &c, peer.port(), &sockets), 0);
  ASSERT_GE(sockets.results.size(), 2u);
  EXPECT_NE(sockets.results.front(), 0);  // not connected at the first attempt
  const std::string data = test::Pattern(4096);
  EXPECT_EQ(SendAll(*c, reinterpret_cast<const uint8_t*>(data.data()), data.size()).code, 0);
  CloseTcpConnection(c);
  EXPECT_EQ(peer.Received(), data);
}

TEST(TcpChannel, LargeWritesGoInMebibyteChunksAndEmptyWritesTouchNothing) {
  FakeSockets fake;
  fake.connectResult = os::kWsaEISCONN;
  TcpConnection* c = nullptr;
  ASSERT_EQ(OpenTcpConnection("p", "192.0.2.1", &c, kPrinterPort, &fake), 0);
  OutputChannel ch;
  ch.kind = ChannelKind::Tcp;
  ch.tcp = c;
  EXPECT_EQ(TcpWrite(ch, nullptr, 0), 0);
  EXPECT_TRUE(fake.sends.empty());
  std::string data(3 << 20, 'x');
  EXPECT_EQ(TcpWrite(ch, reinterpret_cast<const uint8_t*>(data.data()), data.size()), 0);
  EXPECT_EQ(fake.sends, (std::vector<size_t>{1 << 20, 1 << 20, 1 << 20}));
  CloseTcpConnection(c);
  EXPECT_EQ(fake.sleeps.back(), 300);
}

TEST(Channel, SmallPiecesAreGatheredIntoLargeBlocks) {
  FakeSockets fake;
  fake.connectResult = 0;
  TcpConnection* c = nullptr;
  ASSERT_EQ(OpenTcpConnection("p", "192.0.2.1", &c, kPrinterPort, &fake), 0);
  OutputChannel ch;
  ch.kind = ChannelKind::Tcp;
  ch.tcp = c;
  uint8_t piece[16] = {};
  for (int i = 0; i < 65536; ++i) ASSERT_EQ(TcpWrite(ch, piece, sizeof piece), 0);  // 1 MiB
  ASSERT_EQ(FlushChannel(ch), 0);
  EXPECT_EQ(fake.sends.size(), 16u);
  for (size_t n : fake.sends) EXPECT_GE(n, kGatherBlock);
  CloseTcpConnection(c);
}

TEST(SpoolerChannel, OpensWritesAndTearsDownInOrder) {
  struct Case {
    std::string refuse;
    SpoolerOpen result;
    std::string log;
  } cases[] = {
      {"", SpoolerOpen::Opened, "open(q) doc(Glyphcast Job) page "},
      {"doc", SpoolerOpen::DocumentFailed, "open(q) doc(Glyphcast Job) close(q) "},
      {"page", SpoolerOpen::PageFailed, "open(q) doc(Glyphcast Job) page enddoc close(q) "},
  };
  for (const Case& c : cases) {
    test::FakeSpooler spooler;
    spooler.Add("q");
    spooler.refuse = c.refuse;
    OutputChannel ch;
    EXPECT_EQ(OpenSpoolerJob(spooler, "q", "Glyphcast Job", ch), c.result);
    EXPECT_EQ(spooler.log, c.log);
  }
  test::FakeSpooler none;
  OutputChannel ch;
  EXPECT_EQ(OpenSpoolerJob(none, "q", "Glyphcast Job", ch), SpoolerOpen::OpenFailed);
}

TEST(SpoolerChannel, ShortOrFailedWritesFailWithSeven) {
  for (std::string refuse : {"", "short", "write"}) {
    test::FakeSpooler spooler;
    spooler.Add("q");
    OutputChannel ch;
    ASSERT_EQ(OpenSpoolerJob(spooler, "q", "J", ch), SpoolerOpen::Opened);
    spooler.refuse = refuse;
    std::string all = test::Pattern(256);
    for (int i = 0; i < 1000; ++i)
      SpoolerWrite(ch, reinterpret_cast<const uint8_t*>(all.data()), all.size());
    EXPECT_EQ(CloseSpoolerJob(ch), refuse.empty() ? 0 : 7);
    EXPECT_EQ(spooler.log, "open(q) doc(J) page endpage enddoc close(q) ");
    if (refuse.empty()) {
      EXPECT_EQ(spooler.document.size(), 256000u);
      EXPECT_LE(spooler.writes, 4);  // gathered, not a call per piece
    }
  }
}

TEST(FileChannel, WritesAndReportsAFullDisk) {
  std::string path = (test::ScratchDir() / "out.prn").string();
  File f = File::Create(path.c_str());
  OutputChannel ch;
  ch.kind = ChannelKind::File;
  ch.file = &f;
  EXPECT_EQ(FileWrite(ch, reinterpret_cast<const uint8_t*>("abc"), 3), 0);
  EXPECT_EQ(FlushChannel(ch), 0);
  f.Close();
  EXPECT_EQ(test::ReadAll(path), "abc");
#ifndef _WIN32
  File full = File::Create("/dev/full");
  OutputChannel fullChannel;
  fullChannel.kind = ChannelKind::File;
  fullChannel.file = &full;
  EXPECT_EQ(FileWrite(fullChannel, reinterpret_cast<const uint8_t*>("abc"), 3), 0);
  EXPECT_EQ(FlushChannel(fullChannel), 1);
#endif
}

}  // namespace
}  // namespace gc
