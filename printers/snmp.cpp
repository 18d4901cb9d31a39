#include "printers/snmp.h"

#include <cstdio>
#include <new>

#include "os/sockets.h"
#include "os/threads.h"
#include "os/udp.h"

namespace gc {

namespace {

constexpr size_t kReceiveBuffer = 1280;
constexpr size_t kSocketsPerWait = 64;

// A bounds-checked cursor over one datagram.
class BerReader {
 public:
  BerReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}

  bool Byte(uint8_t* b) {
    if (at_ >= length_) return false;
    *b = data_[at_++];
    return true;
  }
  // A definite length in the short or long form (up to four length bytes).
  bool Length(size_t* n) {
    uint8_t first;
    if (!Byte(&first)) return false;
    if (first < 0x80) return *n = first, true;
    int count = first & 0x7F;
    if (count == 0 || count > 4) return false;
    size_t value = 0;
    for (int i = 0; i < count; ++i) {
      uint8_t b;
      if (!Byte(&b)) return false;
      value = (value << 8) | b;
    }
    *n = value;
    return true;
  }
  // A tag and its length; the content must lie inside the datagram.
  bool Header(uint8_t* tag, size_t* n) { return Byte(tag) && Length(n) && *n <= length_ - at_; }
  bool Skip(size_t n) {
    if (n > length_ - at_) return false;
    at_ += n;
    return true;
  }
  bool SkipTlv() {
    uint8_t tag;
    size_t n;
    return Header(&tag, &n) && Skip(n);
  }
  const uint8_t* Here() const { return data_ + at_; }

 private:
  const uint8_t* data_;
  size_t length_;
  size_t at_ = 0;
};

struct Probe {
  os::UdpSocket socket;
  bool done = false;
};

int Collect(std::vector<Probe>& probes, bool broadcast, int timeLimitMs,
            std::vector<SnmpAnswer>* answers) {
  uint64_t start = os::TickCountMs();
  uint8_t buffer[kReceiveBuffer];
  for (;;) {
    std::vector<Probe*> waiting;
    for (Probe& p : probes)
      if (broadcast || !p.done) waiting.push_back(&p);
    if (waiting.empty()) return 0;  // every addressed printer has answered
    uint64_t now = os::TickCountMs();
    if (now < start) start = 0;
    if (now - start >= static_cast<uint64_t>(timeLimitMs)) return 0;
    int left = static_cast<int>(static_cast<uint64_t>(timeLimitMs) - (now - start));
    // At most 64 sockets a wait; further ones are served by the next passes.
    std::vector<const os::UdpSocket*> set;
    for (size_t i = 0; i < waiting.size() && i < kSocketsPerWait; ++i)
      set.push_back(&waiting[i]->socket);
    int ready = os::WaitReadable(set, left);
    if (ready == -2) return 4;
    if (ready == -1) {
      if (waiting.size() <= kSocketsPerWait) return 0;
      continue;
    }
    Probe& p = *waiting[static_cast<size_t>(ready)];
    uint32_t from = 0;
    long n = p.socket.Receive(buffer, sizeof buffer, &from);
    if (n < 0) {
      p.done = true;
      continue;
    }
    if (n == 0) continue;
    try {
      std::optional<std::string> value = ParseSnmpAnswer(buffer, static_cast<size_t>(n));
      std::string address = os::Ipv4Text(from);
      bool known = false;
      for (const SnmpAnswer& a : *answers) known = known || a.address == address;
      if (value && !known) answers->push_back({*value, address, ""});
    } catch (const std::bad_alloc&) {
      return 5;
    }
    p.done = true;
  }
}

int Query(SnmpObject object, const SnmpQuery& query, std::vector<SnmpAnswer>* answers) {
  answers->clear();
  std::vector<uint8_t> request =
      BuildSnmpRequest(object, query.community ? *query.community : kDefaultCommunity);
  if (request.empty()) return 4;
  std::vector<Probe> probes;
  auto open = [&](uint32_t target, bool broadcast) {
    Probe p;
    p.socket = os::UdpSocket::Open(broadcast);
    if (p.socket.IsOpen() && p.socket.SendTo(target, query.port, request.data(), request.size()))
      probes.push_back(std::move(p));
  };
  if (query.flags & kQueryBroadcast) open(query.broadcastTarget, true);
  if (query.flags & kQueryAddresses) {
    for (const std::string& text : query.addresses) {
      uint32_t address;
      if (os::ParseIpv4(text.c_str(), &address)) open(address, false);
    }
  }
  if (probes.empty()) return 0;
  int code = Collect(probes, (query.flags & kQueryBroadcast) != 0, query.timeLimitMs, answers);
  if (code != 0) {
    answers->clear();
    return code;
  }
  if (!query.nameFilter.empty()) {
    std::vector<SnmpAnswer> kept;
    for (SnmpAnswer& a : *answers)
      if (a.value.find(query.nameFilter) != std::string::npos) kept.push_back(std::move(a));
    *answers = std::move(kept);
  }
  return 0;
}

}  // namespace

std::vector<uint8_t> BuildSnmpRequest(SnmpObject object, const std::string& community) {
  if (community.size() > kMaxCommunity) return {};
  uint8_t n = static_cast<uint8_t>(community.size());
  std::vector<uint8_t> r = {0x30, static_cast<uint8_t>(33 + n), 0x02, 0x01, 0x00, 0x04, n};
  r.insert(r.end(), community.begin(), community.end());
  const uint8_t tail[] = {0xA0, 0x1A, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01,
                          0x00, 0x30, 0x0F, 0x30, 0x0D, 0x06, 0x08, 0x2B, 0x06, 0x01,
                          0x02, 0x01, 0x01, 0x01, 0x00, 0x06, 0x01, 0x00};
  r.insert(r.end(), tail, tail + sizeof tail);
  if (object == SnmpObject::SysObjectId) r[r.size() - 5] = 0x02;
  return r;
}

std::optional<std::string> ParseSnmpAnswer(const uint8_t* datagram, size_t length) {
  BerReader ber(datagram, length);
  uint8_t tag, status;
  size_t n;
  if (!ber.Header(&tag, &n)) return std::nullopt;                 // message
  if (!ber.SkipTlv() || !ber.SkipTlv()) return std::nullopt;      // version, community
  if (!ber.Header(&tag, &n) || tag != 0xA2) return std::nullopt;  // GetResponse-PDU
  if (!ber.SkipTlv()) return std::nullopt;                        // request-id
  if (!ber.Header(&tag, &n) || n < 1 || !ber.Byte(&status) || status != 0 || !ber.Skip(n - 1))
    return std::nullopt;                                                    // error-status
  if (!ber.SkipTlv()) return std::nullopt;                                  // error-index
  if (!ber.Header(&tag, &n) || !ber.Header(&tag, &n)) return std::nullopt;  // bindings, first
  if (!ber.SkipTlv()) return std::nullopt;                                  // name
  if (!ber.Header(&tag, &n)) return std::nullopt;                           // value
  return std::string(reinterpret_cast<const char*>(ber.Here()), n);
}

int QueryPrinters(const SnmpQuery& query, std::vector<SnmpAnswer>* answers) {
  return Query(SnmpObject::SysDescr, query, answers);
}

int QueryObjectId(const SnmpQuery& query, std::vector<SnmpAnswer>* answers) {
  return Query(SnmpObject::SysObjectId, query, answers);
}

std::string ObjectIdText(const std::string& encoded) {
  if (encoded.empty()) return "";
  std::string text;
  uint64_t value = 0;
  bool first = true;
  for (unsigned char b : encoded) {
    value = (value << 7) | (b & 0x7F);
    if (b & 0x80) continue;  // base 128, any number of bytes
    if (first) {
      // The first byte holds the first two arcs.
      uint64_t top = value < 40 ? 0 : value < 80 ? 1 : 2;
      text = std::to_string(top) + "." + std::to_string(value - top * 40);
      first = false;
    } else {
      text += "." + std::to_string(value);
    }
    value = 0;
  }
  return text;
}

}  // namespace gc
