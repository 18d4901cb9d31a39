#include "printers/discovery.h"

#include <algorithm>
#include <map>

#include "os/sockets.h"
#include "os/threads.h"
#include "os/udp.h"
#include "printers/device_id.h"

namespace gc {

namespace {

constexpr size_t kReceiveBuffer = 65536;
constexpr int kMaxRetries = 3;

// One request sent, or to be sent; its request ID is its index + 1.
struct Request {
  uint32_t address;
  bool broadcast;
  std::vector<std::string> oids;
  int retries = 0;
  bool answered = false;
};

void Record(const SnmpResponse& response, DiscoveredPrinter& printer) {
  for (const SnmpBinding& b : response.bindings) {
    if (!b.Exists()) continue;
    if (b.oid == kOidSysDescr) {
      printer.name = DescriptionText(b.value);
    } else if (b.oid == kOidDeviceDescr) {
      if (!b.value.empty()) printer.model = b.value;
    } else if (b.oid == kOidDeviceId) {
      printer.languages = DeviceIdLanguages(b.value);
      printer.pcl = SpeaksPcl(printer.languages);
      if (printer.model.empty()) printer.model = DeviceIdModel(b.value);
    }
  }
}

class Sweep {
 public:
  explicit Sweep(const DiscoveryQuery& q) : q_(q) {
    std::vector<std::string> oids = {kOidSysDescr, kOidDeviceDescr, kOidDeviceId};
    if (q.broadcast) requests_.push_back({q.broadcastTarget, true, oids});
    for (uint32_t address : q.targets) requests_.push_back({address, false, oids});
    for (size_t i = 0; i < requests_.size(); ++i) queue_.push_back(i);
  }

  int Run(std::vector<DiscoveredPrinter>* out) {
    socket_ = os::UdpSocket::Open(q_.broadcast);
    if (!socket_.IsOpen()) return 4;
    start_ = os::TickCountMs();
    uint64_t deadline = start_ + static_cast<uint64_t>(q_.timeoutMs);
    for (;;) {
      uint64_t now = os::TickCountMs();
      if (SendDue(now)) deadline = now + static_cast<uint64_t>(q_.timeoutMs);
      if (queue_.empty() && (now >= deadline || AllAnswered())) break;
      uint64_t until = deadline;
      if (!queue_.empty()) until = std::min(until, NextSlot());
      int wait = until > now ? static_cast<int>(until - now) : 0;
      int ready = os::WaitReadable({&socket_}, wait);
      if (ready == -2) return 4;
      if (ready == 0) Receive();
    }
    out->clear();
    for (auto& [address, printer] : found_) out->push_back(printer);
    return 0;
  }

 private:
  // Sends the requests whose time has come; true when any went out.
  bool SendDue(uint64_t now) {
    uint64_t allowed = 1 + (now - start_) * static_cast<uint64_t>(q_.packetsPerSecond) / 1000;
    bool any = false;
    while (!queue_.empty() && sent_ < allowed) {
      size_t index = queue_.front();
      queue_.erase(queue_.begin());
      const Request& r = requests_[index];
      std::vector<uint8_t> message =
          BuildSnmpGet(q_.version, q_.community, static_cast<uint32_t>(index + 1), r.oids);
      // An address the network refuses is left out, as one that never answers.
      if (!message.empty()) socket_.SendTo(r.address, q_.port, message.data(), message.size());
      ++sent_;
      any = true;
    }
    return any;
  }

  uint64_t NextSlot() const {
    return start_ + sent_ * 1000 / static_cast<uint64_t>(q_.packetsPerSecond);
  }

  bool AllAnswered() const {
    if (q_.broadcast) return false;  // anyone may still answer a broadcast
    return std::all_of(requests_.begin(), requests_.end(),
                       [](const Request& r) { return r.answered; });
  }

  void Receive() {
    uint32_t from = 0;
    long n = socket_.Receive(buffer_.data(), buffer_.size(), &from);
    if (n <= 0) return;
    std::optional<SnmpResponse> response = ParseSnmpResponse(buffer_.data(), static_cast<size_t>(n));
    if (!response || response->requestId == 0 || response->requestId > requests_.size()) return;
    Request& r = requests_[response->requestId - 1];
    if (!r.broadcast && from != r.address) return;  // not the printer that was asked
    r.answered = true;
    if (response->errorStatus == kSnmpNoSuchName && r.oids.size() > 1 && r.retries < kMaxRetries &&
        response->errorIndex >= 1 && static_cast<size_t>(response->errorIndex) <= r.oids.size()) {
      Request again{from, false, r.oids, r.retries + 1};
      again.oids.erase(again.oids.begin() + (response->errorIndex - 1));
      requests_.push_back(again);
      queue_.push_back(requests_.size() - 1);
      return;
    }
    if (response->errorStatus != 0) return;
    auto [at, fresh] = found_.try_emplace(from);
    if (fresh) at->second.address = os::Ipv4Text(from);
    Record(*response, at->second);
  }

  const DiscoveryQuery& q_;
  os::UdpSocket socket_;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kReceiveBuffer);
  std::vector<Request> requests_;
  std::vector<size_t> queue_;
  std::map<uint32_t, DiscoveredPrinter> found_;  // by address: ordered, one per printer
  uint64_t start_ = 0;
  uint64_t sent_ = 0;
};

}  // namespace

int Discover(const DiscoveryQuery& query, std::vector<DiscoveredPrinter>* printers) {
  printers->clear();
  if (query.packetsPerSecond <= 0) return 4;
  return Sweep(query).Run(printers);
}

bool AddRangeHosts(const std::string& cidr, std::vector<uint32_t>* hosts, std::string* error) {
  size_t slash = cidr.find('/');
  uint32_t base;
  std::string bits = slash == std::string::npos ? "" : cidr.substr(slash + 1);
  if (slash == std::string::npos || !os::ParseIpv4(cidr.substr(0, slash).c_str(), &base) ||
      bits.empty() || bits.size() > 2 || bits.find_first_not_of("0123456789") != std::string::npos) {
    *error = cidr + ": a range is ADDRESS/BITS, for example 10.1.2.0/24";
    return false;
  }
  int prefix = std::stoi(bits);
  if (prefix < 16 || prefix > 32) {
    *error = cidr + ": the prefix length is 16 to 32 (at most 65,534 hosts)";
    return false;
  }
  uint32_t mask = prefix == 0 ? 0 : ~0u << (32 - prefix);
  uint32_t network = base & mask, last = network | ~mask;
  // Below /31 the network and broadcast addresses are no hosts.
  if (prefix < 31) ++network, --last;
  for (uint64_t a = network; a <= last; ++a) hosts->push_back(static_cast<uint32_t>(a));
  return true;
}

}  // namespace gc
