// printer-emulator: loopback raw-printing ports that record what PCL5
// printers with mass storage would have received, and answer their PJL
// queries. See README.md.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resources/version.h"
#include "tools/printer_emulator/pjl_printer.h"
#include "tools/printer_emulator/token_bucket.h"

namespace {

using Clock = std::chrono::steady_clock;
using gc::emu::End;
using gc::emu::Log;
using gc::emu::Profile;
using gc::emu::Session;
using gc::emu::Storage;
using gc::emu::TokenBucket;

enum class Fault { kNone, kStall, kResetAfter, kRefuse };

struct Options {
  std::string address = "127.0.0.1";
  long port = 9100;
  std::string port_file;
  std::string root;
  std::string log;
  double timeout = 60;
  double idle = 0;
  long connections = 0;
  Fault fault = Fault::kNone;
  uint64_t reset_after = 0;
  long rcvbuf = 0;
  bool report = false;
  bool list = false;
  long printers = 1;
  bool spread_addresses = false;
  long rate = 0;  // bytes a second per connection; 0: as fast as the peer sends
  Profile profile;
};

constexpr double kMaxLifetime = 3600;
constexpr long kMaxPrinters = 256;
constexpr int kStallRcvbuf = 4096;
constexpr int kThrottledRcvbuf = 16 * 1024;
// A printer stops reading while this much of its replies waits for the peer.
constexpr size_t kMaxPendingReplies = 256 * 1024;
// Throttled connections are read on a common tick, so that many of them cost
// one wake-up; each may save up to four ticks of its rate.
constexpr auto kThrottleTick = std::chrono::milliseconds(5);
constexpr int kThrottleBurstTicks = 4;

void Usage() {
  std::fputs(
      "usage: printer-emulator --root DIR [--address 127.x.y.z] [--port N] [--port-file F]\n"
      "         [--log FILE] [--timeout S] [--idle S] [--connections N]\n"
      "         [--fault stall|reset-after=N|refuse] [--rcvbuf N] [--report]\n"
      "         [--printers N] [--spread-addresses] [--rate BYTES/S]\n"
      "         [--model TEXT] [--disk-size BYTES] [--odd-replies] [--no-disk] [--lossy]\n"
      "       printer-emulator --root DIR [--printers N] --list\n"
      "       printer-emulator --version\n",
      stderr);
}

bool ParseLong(const std::string& s, long lo, long hi, long* out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || errno || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ParseSeconds(const std::string& s, double* out) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end || !std::isfinite(v) || v < 0 || v > kMaxLifetime) return false;
  *out = v;
  return true;
}

// The model goes between quotes in INFO ID replies.
bool QuotableText(const std::string& s) {
  if (s.empty() || s.size() > 255) return false;
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7f || c == '"') return false;
  return true;
}

uint32_t HostOrder(const std::string& address) {
  in_addr a{};
  inet_pton(AF_INET, address.c_str(), &a);
  return ntohl(a.s_addr);
}

std::string AddressText(uint32_t host_order) {
  in_addr a{htonl(host_order)};
  char text[INET_ADDRSTRLEN];
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

std::optional<Options> ParseArgs(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool has_value = false;
    if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      has_value = true;
    }
    auto need = [&]() -> bool {
      if (has_value) return true;
      if (i + 1 >= argc) return false;
      value = argv[++i];
      return true;
    };
    bool ok = true;
    long n = 0;
    if (arg == "--report") {
      o.report = true;
    } else if (arg == "--list") {
      o.list = true;
    } else if (arg == "--spread-addresses") {
      o.spread_addresses = true;
    } else if (arg == "--odd-replies") {
      o.profile.odd_replies = true;
    } else if (arg == "--no-disk") {
      o.profile.disk = false;
    } else if (arg == "--lossy") {
      o.profile.lossy = true;
    } else if (!need()) {
      ok = false;
    } else if (arg == "--address") {
      in_addr a{};
      ok = inet_pton(AF_INET, value.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
      o.address = value;
    } else if (arg == "--port") {
      ok = ParseLong(value, 0, 65535, &o.port);
    } else if (arg == "--port-file") {
      o.port_file = value;
    } else if (arg == "--root") {
      o.root = value;
    } else if (arg == "--log") {
      o.log = value;
    } else if (arg == "--timeout") {
      ok = ParseSeconds(value, &o.timeout) && o.timeout > 0;
    } else if (arg == "--idle") {
      ok = ParseSeconds(value, &o.idle);
    } else if (arg == "--connections") {
      ok = ParseLong(value, 0, 1000000, &o.connections);
    } else if (arg == "--rcvbuf") {
      ok = ParseLong(value, 1, 1 << 24, &o.rcvbuf);
    } else if (arg == "--printers") {
      ok = ParseLong(value, 1, kMaxPrinters, &o.printers);
    } else if (arg == "--rate") {
      ok = ParseLong(value, 1, 1L << 30, &o.rate);
    } else if (arg == "--model") {
      ok = QuotableText(value);
      o.profile.model = value;
    } else if (arg == "--disk-size") {
      ok = ParseLong(value, 1, 1L << 50, &n);
      o.profile.disk_size = static_cast<uint64_t>(n);
    } else if (arg == "--fault") {
      if (value == "stall") {
        o.fault = Fault::kStall;
      } else if (value == "refuse") {
        o.fault = Fault::kRefuse;
      } else if (value.rfind("reset-after=", 0) == 0 &&
                 ParseLong(value.substr(12), 0, 1L << 40, &n)) {
        o.fault = Fault::kResetAfter;
        o.reset_after = static_cast<uint64_t>(n);
      } else {
        ok = false;
      }
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "printer-emulator: bad option %s %s\n", arg.c_str(), value.c_str());
      return std::nullopt;
    }
  }
  bool reads = o.fault == Fault::kNone || o.fault == Fault::kResetAfter;
  if (o.root.empty() && (reads || o.list)) {
    std::fputs("printer-emulator: --root DIR is required\n", stderr);
    return std::nullopt;
  }
  if (o.spread_addresses && ((HostOrder(o.address) + (o.printers - 1)) >> 24) != 127) {
    std::fputs("printer-emulator: --spread-addresses leaves 127.0.0.0/8\n", stderr);
    return std::nullopt;
  }
  if (!o.spread_addresses && o.port > 0 && o.port + o.printers - 1 > 65535) {
    std::fputs("printer-emulator: --port + --printers passes 65535\n", stderr);
    return std::nullopt;
  }
  return o;
}

int signal_pipe[2] = {-1, -1};
volatile sig_atomic_t stop_signal = 0;

void OnSignal(int sig) {
  stop_signal = sig;
  int saved = errno;
  [[maybe_unused]] ssize_t n = write(signal_pipe[1], "x", 1);
  errno = saved;
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
  std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "w");
  if (!f) return false;
  bool ok = std::fputs(text.c_str(), f) >= 0;
  ok = std::fclose(f) == 0 && ok;
  return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

// One emulated printer: its port, its storage and its log lines.
struct Printer {
  int index = 0;
  std::string address;
  int port = 0;
  int listen_fd = -1;
  Log* log = nullptr;
  std::unique_ptr<Storage> storage;  // null when nothing is read (stall, refuse)
  int next_id = 1;

  std::string Where() const { return address + ":" + std::to_string(port); }
};

struct Connection {
  Printer* printer = nullptr;
  int id = 0;
  int fd = -1;
  std::unique_ptr<Session> session;  // null in stall mode: nothing is read
  uint64_t bytes = 0;
  std::string out;  // replies, sent up to out_at
  size_t out_at = 0;
  bool read_done = false;  // the peer ended in order; its replies may still be going out
  bool write_failed = false;
  std::optional<TokenBucket> bucket;

  size_t Pending() const { return out.size() - out_at; }
};

// Storage of printer i: the root itself for a single printer, ROOT/pNNN otherwise.
std::filesystem::path PrinterRoot(const Options& o, int index) {
  if (o.printers == 1) return o.root;
  char name[16];
  std::snprintf(name, sizeof name, "p%03d", index);
  return std::filesystem::path(o.root) / name;
}

class Emulator {
 public:
  Emulator(const Options& o, std::FILE* log_file) : o_(o), log_file_(log_file), main_log_(log_file) {}
  bool Setup();
  int Run();

 private:
  bool Listen(Printer& p);
  bool Announce();
  void Accept(Printer& p);
  short Events(Connection& c, Clock::time_point now, Clock::time_point* wake);
  void Read(Connection& c, bool ignore_budget);
  void CollectReplies(Connection& c);
  void Flush(Connection& c);
  void EndOfInput(Connection& c);
  void Close(Connection& c, End end, const char* how);
  void Reset(Connection& c);
  void Report();

  const Options& o_;
  std::FILE* log_file_;
  Log main_log_;
  std::vector<std::unique_ptr<Log>> printer_logs_;
  std::vector<Printer> printers_;
  long closed_ = 0;
  std::vector<Connection> conns_;
  Clock::time_point start_;
  Clock::time_point last_activity_;
};

bool Emulator::Setup() {
  bool reads = o_.fault == Fault::kNone || o_.fault == Fault::kResetAfter;
  printers_.resize(static_cast<size_t>(o_.printers));
  for (int i = 0; i < o_.printers; ++i) {
    Printer& p = printers_[static_cast<size_t>(i)];
    p.index = i;
    p.address = o_.spread_addresses ? AddressText(HostOrder(o_.address) + static_cast<uint32_t>(i))
                                    : o_.address;
    p.port = o_.port == 0 || o_.spread_addresses ? static_cast<int>(o_.port)
                                                 : static_cast<int>(o_.port) + i;
    if (o_.printers == 1) {
      p.log = &main_log_;
    } else {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "p%03d ", i);
      printer_logs_.push_back(std::make_unique<Log>(log_file_, false, prefix));
      p.log = printer_logs_.back().get();
    }
    if (o_.root.empty() && !reads) continue;
    std::filesystem::path root = PrinterRoot(o_, i);
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    if (!std::filesystem::is_directory(root, ec)) {
      std::fprintf(stderr, "printer-emulator: cannot use %s as root\n", root.c_str());
      return false;
    }
    p.storage = std::make_unique<Storage>(root, *p.log, o_.profile);
  }
  return true;
}

bool Emulator::Listen(Printer& p) {
  p.listen_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (p.listen_fd < 0) return false;
  int one = 1;
  setsockopt(p.listen_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  // Accepted sockets inherit the buffer; it must be set before listen(). A
  // small one makes a stalled or throttled printer push back on the sender.
  int rcvbuf = static_cast<int>(o_.rcvbuf);
  if (rcvbuf == 0 && o_.fault == Fault::kStall) rcvbuf = kStallRcvbuf;
  if (rcvbuf == 0 && o_.rate > 0) rcvbuf = kThrottledRcvbuf;
  if (rcvbuf > 0) setsockopt(p.listen_fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(p.port));
  inet_pton(AF_INET, p.address.c_str(), &a.sin_addr);
  if (bind(p.listen_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
    std::fprintf(stderr, "printer-emulator: bind %s: %s\n", p.Where().c_str(),
                 std::strerror(errno));
    return false;
  }
  // Refuse mode keeps the port bound but never listens, so connects get RST.
  if (o_.fault != Fault::kRefuse && listen(p.listen_fd, 64) < 0) return false;
  socklen_t len = sizeof a;
  getsockname(p.listen_fd, reinterpret_cast<sockaddr*>(&a), &len);
  p.port = ntohs(a.sin_port);
  return true;
}

// stdout and the port file: the port of a single printer, else one
// ADDRESS:PORT line per printer.
bool Emulator::Announce() {
  std::string text;
  if (printers_.size() == 1) {
    text = std::to_string(printers_[0].port) + "\n";
  } else {
    for (const Printer& p : printers_) text += p.Where() + "\n";
  }
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
  if (!o_.port_file.empty() && !WriteFileAtomically(o_.port_file, text)) {
    std::fprintf(stderr, "printer-emulator: cannot write %s\n", o_.port_file.c_str());
    return false;
  }
  return true;
}

void Emulator::Accept(Printer& p) {
  for (int k = 0; k < 16; ++k) {
    int fd = accept4(p.listen_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    last_activity_ = Clock::now();
    Connection c;
    c.printer = &p;
    c.id = p.next_id++;
    c.fd = fd;
    p.log->Event("CONNECT " + std::to_string(c.id));
    if (o_.fault != Fault::kStall) c.session = std::make_unique<Session>(*p.storage, c.id);
    if (o_.rate > 0) {
      double tick = std::chrono::duration<double>(kThrottleTick).count();
      double burst = std::clamp(static_cast<double>(o_.rate) * tick * kThrottleBurstTicks, 256.0,
                                1024.0 * 1024);
      c.bucket.emplace(static_cast<double>(o_.rate), burst, last_activity_);
    }
    conns_.push_back(std::move(c));
    if (o_.fault == Fault::kResetAfter && o_.reset_after == 0) Reset(conns_.back());
  }
}

void Emulator::Close(Connection& c, End end, const char* how) {
  if (c.session && !c.read_done) c.session->Finish(end);
  c.session.reset();
  close(c.fd);
  c.fd = -1;
  ++closed_;
  last_activity_ = Clock::now();
  c.printer->log->Event("CLOSE " + std::to_string(c.id) + " bytes=" + std::to_string(c.bytes) +
                        " end=" + how);
}

void Emulator::Reset(Connection& c) {
  linger l{1, 0};
  setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  Close(c, End::kAbort, "fault");
}

// What to wait for on a connection. Reading pauses while replies back up
// (as a printer's would) and while the read budget is spent.
short Emulator::Events(Connection& c, Clock::time_point now, Clock::time_point* wake) {
  if (!c.session) return POLLRDHUP;  // stall: only notice that the peer went away
  short events = c.Pending() > 0 ? POLLOUT : 0;
  if (c.read_done || c.Pending() >= kMaxPendingReplies) return events;
  if (c.bucket) {
    double enough = c.bucket->burst() / kThrottleBurstTicks;
    if (static_cast<double>(c.bucket->Available(now)) < enough) {
      // The next tick after the budget allows a read.
      Clock::duration ready = c.bucket->ReadyAt(enough) - start_;
      *wake = std::min(*wake, start_ + (ready / kThrottleTick + 1) * kThrottleTick);
      return events;
    }
  }
  return static_cast<short>(events | POLLIN);
}

void Emulator::Read(Connection& c, bool ignore_budget) {
  uint8_t buf[65536];
  while (c.fd >= 0 && !c.read_done) {
    if (!ignore_budget && c.Pending() >= kMaxPendingReplies) return;
    size_t want = sizeof buf;
    if (o_.fault == Fault::kResetAfter) want = std::min<uint64_t>(want, o_.reset_after - c.bytes);
    if (c.bucket && !ignore_budget) {
      uint64_t budget = c.bucket->Available(Clock::now());
      if (budget == 0) return;
      want = std::min<uint64_t>(want, budget);
    }
    ssize_t n = recv(c.fd, buf, want, 0);
    if (n > 0) {
      last_activity_ = Clock::now();
      c.bytes += static_cast<uint64_t>(n);
      if (c.bucket) c.bucket->Spend(static_cast<uint64_t>(n));
      c.session->Feed(buf, static_cast<size_t>(n));
      CollectReplies(c);
      if (o_.fault == Fault::kResetAfter && c.bytes >= o_.reset_after) Reset(c);
      continue;
    }
    if (n == 0) {
      EndOfInput(c);
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      Close(c, End::kAbort, "abort");
    }
    return;
  }
}

void Emulator::CollectReplies(Connection& c) {
  if (c.write_failed) {
    std::string lost;
    c.session->TakeReplies(&lost);
    return;
  }
  c.session->TakeReplies(&c.out);
  Flush(c);
}

// Sends what the socket takes now; the rest waits for POLLOUT.
void Emulator::Flush(Connection& c) {
  while (c.Pending() > 0 && !c.write_failed) {
    ssize_t n = send(c.fd, c.out.data() + c.out_at, c.Pending(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c.out_at += static_cast<size_t>(n);
      last_activity_ = Clock::now();
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      break;
    } else {
      c.write_failed = true;  // the peer is gone; what it sent is still read to the end
    }
  }
  if (c.Pending() == 0 || c.write_failed) {
    c.out.clear();
    c.out_at = 0;
  } else if (c.out_at >= 64 * 1024) {
    c.out.erase(0, c.out_at);
    c.out_at = 0;
  }
}

// The peer ended in order: the stream is judged now, the connection closes
// once the replies are out.
void Emulator::EndOfInput(Connection& c) {
  c.session->Finish(End::kEof);
  c.read_done = true;
  CollectReplies(c);
  if (c.Pending() == 0) Close(c, End::kEof, "eof");
}

void Emulator::Report() {
  for (const Printer& p : printers_) {
    if (printers_.size() > 1) {
      std::printf("PRINTER %d %s\n", p.index, p.Where().c_str());
      std::fflush(stdout);
    }
    if (p.storage) p.storage->Report(stdout);
  }
}

int Emulator::Run() {
  for (Printer& p : printers_)
    if (!Listen(p)) return 1;
  if (!Announce()) return 1;
  const char* mode = o_.fault == Fault::kStall        ? " fault=stall"
                     : o_.fault == Fault::kRefuse     ? " fault=refuse"
                     : o_.fault == Fault::kResetAfter ? " fault=reset-after"
                                                      : "";
  for (Printer& p : printers_) p.log->Event("LISTEN " + p.Where() + mode);

  const Clock::time_point start = Clock::now();
  start_ = start;
  last_activity_ = start;
  auto after = [](double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
  };
  const Clock::time_point deadline = start + after(o_.timeout);
  const bool listening = o_.fault != Fault::kRefuse;
  std::string reason;
  std::vector<pollfd> fds;
  while (reason.empty()) {
    Clock::time_point now = Clock::now();
    Clock::time_point wake = deadline;
    if (stop_signal) {
      reason = "signal";
    } else if (o_.connections > 0 && closed_ >= o_.connections) {
      reason = "connections";
    } else if (now >= deadline) {
      reason = "timeout";
    } else if (o_.idle > 0 && now >= last_activity_ + after(o_.idle)) {
      reason = "idle";
    }
    if (!reason.empty()) break;
    if (o_.idle > 0) wake = std::min(wake, last_activity_ + after(o_.idle));

    fds.clear();
    fds.push_back({signal_pipe[0], POLLIN, 0});
    if (listening)
      for (const Printer& p : printers_) fds.push_back({p.listen_fd, POLLIN, 0});
    const size_t first_conn = fds.size();
    for (Connection& c : conns_) fds.push_back({c.fd, Events(c, now, &wake), 0});
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
    int r = poll(fds.data(), fds.size(), static_cast<int>(std::max<int64_t>(ms, 0)));
    if (r < 0 && errno != EINTR) {
      std::perror("printer-emulator: poll");
      reason = "error";
      break;
    }
    if (r <= 0) continue;
    for (size_t i = 0; i < conns_.size(); ++i) {
      const pollfd& pf = fds[first_conn + i];
      short ev = pf.revents;
      if (!ev) continue;
      Connection& c = conns_[i];
      if (!c.session) {
        // Stall: nothing is read; only notice that the peer went away.
        Close(c, (ev & POLLERR) ? End::kAbort : End::kEof, (ev & POLLERR) ? "abort" : "eof");
        continue;
      }
      if (ev & POLLOUT) Flush(c);
      // An error or hang-up is read at once, whatever the budget, to learn how it ended.
      if (!c.read_done && (ev & (POLLIN | POLLERR | POLLHUP))) Read(c, !(pf.events & POLLIN));
      if (c.fd >= 0 && c.read_done &&
          (c.Pending() == 0 || c.write_failed || (ev & (POLLERR | POLLHUP))))
        Close(c, End::kEof, "eof");
    }
    std::erase_if(conns_, [](const Connection& c) { return c.fd < 0; });
    if (listening)
      for (size_t i = 0; i < printers_.size(); ++i)
        if (fds[1 + i].revents & POLLIN) Accept(printers_[i]);
    std::erase_if(conns_, [](const Connection& c) { return c.fd < 0; });
  }
  for (Connection& c : conns_) Close(c, End::kAbort, "stop");
  conns_.clear();
  for (Printer& p : printers_) close(p.listen_fd);

  long connections = 0, stored = 0, jobs = 0, bad_sizes = 0, problems = 0;
  for (const Printer& p : printers_) {
    connections += p.next_id - 1;
    stored += p.storage ? p.storage->stored() : 0;
    jobs += p.storage ? p.storage->jobs() : 0;
    bad_sizes += p.log->bad_sizes();
    problems += p.log->problems();
  }
  int code = bad_sizes > 0 ? 3 : problems > 0 ? 4 : 0;
  main_log_.Event("SUMMARY reason=" + reason + " connections=" + std::to_string(connections) +
                  " stored=" + std::to_string(stored) + " jobs=" + std::to_string(jobs) +
                  " badsize=" + std::to_string(bad_sizes) +
                  " problems=" + std::to_string(problems) + " exit=" + std::to_string(code));
  if (o_.report) Report();
  return reason == "error" ? 1 : code;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--version") == 0) return std::printf("printer-emulator %s\n", GC_VERSION_TEXT), 0;
  std::optional<Options> o = ParseArgs(argc, argv);
  if (!o) {
    Usage();
    return 2;
  }
  if (o->list) {
    for (int i = 0; i < o->printers; ++i) {
      if (o->printers > 1) {
        std::printf("PRINTER %d\n", i);
        std::fflush(stdout);
      }
      Storage::Report(PrinterRoot(*o, i), stdout);
    }
    return 0;
  }
  std::FILE* log_file = stderr;
  if (!o->log.empty()) {
    log_file = std::fopen(o->log.c_str(), "w");
    if (!log_file) {
      std::fprintf(stderr, "printer-emulator: cannot write %s\n", o->log.c_str());
      return 1;
    }
  }

  if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) < 0) return 1;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Emulator emulator(*o, log_file);
  int code = emulator.Setup() ? emulator.Run() : 1;
  if (log_file != stderr) std::fclose(log_file);
  return code;
}
