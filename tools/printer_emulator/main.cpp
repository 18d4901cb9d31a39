// printer-emulator: a loopback raw-printing port that records what a PCL5
// printer with mass storage would have received. See README.md.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

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

#include "tools/printer_emulator/pjl_printer.h"

namespace {

using Clock = std::chrono::steady_clock;
using gc::emu::End;
using gc::emu::Log;
using gc::emu::Session;
using gc::emu::Storage;

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
};

constexpr double kMaxLifetime = 3600;

void Usage() {
  std::fputs(
      "usage: printer-emulator --root DIR [--address 127.x.y.z] [--port N] [--port-file F]\n"
      "         [--log FILE] [--timeout S] [--idle S] [--connections N]\n"
      "         [--fault stall|reset-after=N|refuse] [--rcvbuf N] [--report]\n"
      "       printer-emulator --root DIR --list\n",
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
    if (arg == "--report") {
      o.report = true;
    } else if (arg == "--list") {
      o.list = true;
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
    } else if (arg == "--fault") {
      long n = 0;
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

bool WritePortFile(const std::string& path, int port) {
  std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "%d\n", port);
  bool ok = std::fclose(f) == 0;
  return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

struct Connection {
  int id = 0;
  int fd = -1;
  std::unique_ptr<Session> session;  // null in stall mode: nothing is read
  uint64_t bytes = 0;
};

class Emulator {
 public:
  Emulator(const Options& o, Log& log, Storage* storage) : o_(o), log_(log), storage_(storage) {}
  int Run();

 private:
  bool Listen();
  void Accept();
  void Read(Connection& c);
  void Close(Connection& c, End end, const char* how);
  void Reset(Connection& c);

  const Options& o_;
  Log& log_;
  Storage* storage_;
  int listen_fd_ = -1;
  int port_ = 0;
  int next_id_ = 1;
  long closed_ = 0;
  std::vector<Connection> conns_;
  Clock::time_point last_activity_;
};

bool Emulator::Listen() {
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listen_fd_ < 0) return false;
  int one = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  // Accepted sockets inherit the buffer; it must be set before listen().
  int rcvbuf = static_cast<int>(o_.rcvbuf);
  if (rcvbuf == 0 && o_.fault == Fault::kStall) rcvbuf = 4096;
  if (rcvbuf > 0) setsockopt(listen_fd_, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(o_.port));
  inet_pton(AF_INET, o_.address.c_str(), &a.sin_addr);
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
    std::fprintf(stderr, "printer-emulator: bind %s:%ld: %s\n", o_.address.c_str(), o_.port,
                 std::strerror(errno));
    return false;
  }
  // Refuse mode keeps the port bound but never listens, so connects get RST.
  if (o_.fault != Fault::kRefuse && listen(listen_fd_, 8) < 0) return false;
  socklen_t len = sizeof a;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  return true;
}

void Emulator::Accept() {
  int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  last_activity_ = Clock::now();
  Connection c;
  c.id = next_id_++;
  c.fd = fd;
  log_.Event("CONNECT " + std::to_string(c.id));
  if (o_.fault != Fault::kStall) c.session = std::make_unique<Session>(*storage_, c.id);
  conns_.push_back(std::move(c));
  if (o_.fault == Fault::kResetAfter && o_.reset_after == 0) Reset(conns_.back());
}

void Emulator::Close(Connection& c, End end, const char* how) {
  if (c.session) c.session->Finish(end);
  c.session.reset();
  close(c.fd);
  c.fd = -1;
  ++closed_;
  last_activity_ = Clock::now();
  log_.Event("CLOSE " + std::to_string(c.id) + " bytes=" + std::to_string(c.bytes) + " end=" + how);
}

void Emulator::Reset(Connection& c) {
  linger l{1, 0};
  setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  Close(c, End::kAbort, "fault");
}

void Emulator::Read(Connection& c) {
  uint8_t buf[65536];
  while (c.fd >= 0) {
    size_t want = sizeof buf;
    if (o_.fault == Fault::kResetAfter) want = std::min<uint64_t>(want, o_.reset_after - c.bytes);
    ssize_t n = recv(c.fd, buf, want, 0);
    if (n > 0) {
      last_activity_ = Clock::now();
      c.bytes += static_cast<uint64_t>(n);
      c.session->Feed(buf, static_cast<size_t>(n));
      if (o_.fault == Fault::kResetAfter && c.bytes >= o_.reset_after) Reset(c);
      continue;
    }
    if (n == 0) {
      Close(c, End::kEof, "eof");
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      Close(c, End::kAbort, "abort");
    }
    return;
  }
}

int Emulator::Run() {
  if (!Listen()) return 1;
  std::printf("%d\n", port_);
  std::fflush(stdout);
  if (!o_.port_file.empty() && !WritePortFile(o_.port_file, port_)) {
    std::fprintf(stderr, "printer-emulator: cannot write %s\n", o_.port_file.c_str());
    return 1;
  }
  const char* mode = o_.fault == Fault::kStall        ? " fault=stall"
                     : o_.fault == Fault::kRefuse     ? " fault=refuse"
                     : o_.fault == Fault::kResetAfter ? " fault=reset-after"
                                                      : "";
  log_.Event("LISTEN " + o_.address + ":" + std::to_string(port_) + mode);

  const Clock::time_point start = Clock::now();
  last_activity_ = start;
  auto after = [](double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
  };
  const Clock::time_point deadline = start + after(o_.timeout);
  std::string reason;
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

    std::vector<pollfd> fds;
    fds.push_back({signal_pipe[0], POLLIN, 0});
    bool listening = o_.fault != Fault::kRefuse;
    if (listening) fds.push_back({listen_fd_, POLLIN, 0});
    for (const Connection& c : conns_)
      fds.push_back({c.fd, static_cast<short>(o_.fault == Fault::kStall ? POLLRDHUP : POLLIN), 0});
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
    int r = poll(fds.data(), fds.size(), static_cast<int>(std::max<int64_t>(ms, 0)));
    if (r < 0 && errno != EINTR) {
      std::perror("printer-emulator: poll");
      reason = "error";
      break;
    }
    if (r <= 0) continue;
    size_t k = listening ? 2 : 1;
    for (size_t i = 0; i < conns_.size(); ++i, ++k) {
      short ev = fds[k].revents;
      if (!ev) continue;
      Connection& c = conns_[i];
      if (c.session) {
        Read(c);
      } else {
        // Stall: nothing is read; only notice that the peer went away.
        Close(c, (ev & POLLERR) ? End::kAbort : End::kEof, (ev & POLLERR) ? "abort" : "eof");
      }
    }
    std::erase_if(conns_, [](const Connection& c) { return c.fd < 0; });
    if (listening && (fds[1].revents & POLLIN)) Accept();
    std::erase_if(conns_, [](const Connection& c) { return c.fd < 0; });
  }
  for (Connection& c : conns_) Close(c, End::kAbort, "stop");
  conns_.clear();
  close(listen_fd_);

  int code = log_.bad_sizes() > 0 ? 3 : log_.problems() > 0 ? 4 : 0;
  log_.Event("SUMMARY reason=" + reason + " connections=" + std::to_string(next_id_ - 1) +
             " stored=" + std::to_string(storage_ ? storage_->stored() : 0) +
             " jobs=" + std::to_string(storage_ ? storage_->jobs() : 0) +
             " badsize=" + std::to_string(log_.bad_sizes()) +
             " problems=" + std::to_string(log_.problems()) + " exit=" + std::to_string(code));
  if (o_.report && storage_) storage_->Report(stdout);
  return reason == "error" ? 1 : code;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Options> o = ParseArgs(argc, argv);
  if (!o) {
    Usage();
    return 2;
  }
  std::FILE* log_file = stderr;
  if (!o->log.empty() && !o->list) {
    log_file = std::fopen(o->log.c_str(), "w");
    if (!log_file) {
      std::fprintf(stderr, "printer-emulator: cannot write %s\n", o->log.c_str());
      return 1;
    }
  }
  Log log(log_file);
  if (o->list) {
    Storage::Report(o->root, stdout);
    return 0;
  }
  std::unique_ptr<Storage> storage;
  if (!o->root.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o->root, ec);
    if (!std::filesystem::is_directory(o->root, ec)) {
      std::fprintf(stderr, "printer-emulator: cannot use %s as root\n", o->root.c_str());
      return 1;
    }
    storage = std::make_unique<Storage>(o->root, log);
  }

  if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) < 0) return 1;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Emulator emulator(*o, log, storage.get());
  int code = emulator.Run();
  if (log_file != stderr) std::fclose(log_file);
  return code;
}
