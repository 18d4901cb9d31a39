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
  bool AtEnd() const { return at_ == length_; }
  // The next n bytes as a reader of their own (n was checked by Header).
  BerReader Take(size_t n) {
    BerReader part(data_ + at_, n);
    at_ += n;
    return part;
  }
  // An INTEGER of one to eight bytes, two's complement.
  bool Integer(int64_t* value) {
    uint8_t tag;
    size_t n;
    if (!Header(&tag, &n) || tag != 0x02 || n < 1 || n > 8) return false;
    int64_t v = static_cast<int8_t>(data_[at_]);  // the sign
    for (size_t i = 1; i < n; ++i) v = static_cast<int64_t>(static_cast<uint64_t>(v) << 8 | data_[at_ + i]);
    at_ += n;
    *value = v;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t length_;
  size_t at_ = 0;
};

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

// A tag, its content's length in the shortest form, and the content.
std::vector<uint8_t> Tlv(uint8_t tag, const std::vector<uint8_t>& content) {
  std::vector<uint8_t> out = {tag};
  size_t n = content.size();
  if (n < 0x80) {
    out.push_back(static_cast<uint8_t>(n));
  } else {
    int bytes = n > 0xFFFFFF ? 4 : n > 0xFFFF ? 3 : n > 0xFF ? 2 : 1;
    out.push_back(static_cast<uint8_t>(0x80 | bytes));
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
  }
  Append(out, content);
  return out;
}

// A non-negative INTEGER in its shortest two's-complement form.
std::vector<uint8_t> Integer(uint32_t value) {
  std::vector<uint8_t> content;
  for (int i = 3; i >= 0; --i) content.push_back(static_cast<uint8_t>(value >> (8 * i)));
  while (content.size() > 1 && content[0] == 0 && content[1] < 0x80) content.erase(content.begin());
  if (content[0] >= 0x80) content.insert(content.begin(), 0);
  return Tlv(0x02, content);
}

// Dotted text to the OID's content bytes: the first two arcs in one, then base 128.
bool EncodeObjectId(const std::string& text, std::vector<uint8_t>* out) {
  std::vector<uint64_t> arcs;
  size_t at = 0;
  while (at <= text.size()) {
    size_t dot = text.find('.', at);
    std::string part = text.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
    if (part.empty() || part.size() > 10 || part.find_first_not_of("0123456789") != std::string::npos)
      return false;
    uint64_t arc = 0;
    for (char c : part) arc = arc * 10 + static_cast<uint64_t>(c - '0');
    arcs.push_back(arc);
    if (arcs.back() > 0xFFFFFFFFu || dot == std::string::npos) break;
    at = dot + 1;
  }
  if (arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] > 39) || arcs.back() > 0xFFFFFFFFu)
    return false;
  out->clear();
  arcs[1] += arcs[0] * 40;
  for (size_t i = 1; i < arcs.size(); ++i) {
    uint8_t groups[10];
    int count = 0;
    uint64_t v = arcs[i];
    do {
      groups[count++] = static_cast<uint8_t>(v & 0x7F);
      v >>= 7;
    } while (v);
    while (count--) out->push_back(static_cast<uint8_t>(groups[count] | (count ? 0x80 : 0)));
  }
  return true;
}

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
  std::optional<SnmpResponse> r = ParseSnmpResponse(datagram, length);
  if (!r || r->errorStatus != 0 || r->bindings.empty()) return std::nullopt;
  return r->bindings.front().value;
}

std::vector<uint8_t> BuildSnmpGet(SnmpVersion version, const std::string& community,
                                  uint32_t requestId, const std::vector<std::string>& oids) {
  if (community.size() > 255) return {};
  std::vector<uint8_t> bindings;
  for (const std::string& text : oids) {
    std::vector<uint8_t> oid;
    if (!EncodeObjectId(text, &oid)) return {};
    std::vector<uint8_t> binding = Tlv(0x06, oid);
    Append(binding, Tlv(0x05, {}));  // NULL: the value asked for
    Append(bindings, Tlv(0x30, binding));
  }
  std::vector<uint8_t> pdu = Integer(requestId);
  Append(pdu, Integer(0));  // error-status
  Append(pdu, Integer(0));  // error-index
  Append(pdu, Tlv(0x30, bindings));
  std::vector<uint8_t> message = Integer(static_cast<uint8_t>(version));
  Append(message, Tlv(0x04, std::vector<uint8_t>(community.begin(), community.end())));
  Append(message, Tlv(0xA0, pdu));
  return Tlv(0x30, message);
}

std::optional<SnmpResponse> ParseSnmpResponse(const uint8_t* datagram, size_t length) {
  BerReader ber(datagram, length);
  uint8_t tag;
  size_t n;
  SnmpResponse r;
  int64_t version, requestId, status, index;
  if (!ber.Header(&tag, &n) || tag != 0x30) return std::nullopt;  // message
  if (!ber.Integer(&version) || (version != 0 && version != 1)) return std::nullopt;
  r.version = static_cast<SnmpVersion>(version);
  if (!ber.SkipTlv()) return std::nullopt;                        // community
  if (!ber.Header(&tag, &n) || tag != 0xA2) return std::nullopt;  // GetResponse-PDU
  if (!ber.Integer(&requestId) || !ber.Integer(&status) || !ber.Integer(&index))
    return std::nullopt;
  r.requestId = static_cast<uint32_t>(requestId);
  if (status < 0 || status > 0xFFFF || index < 0 || index > 0xFFFF) return std::nullopt;
  r.errorStatus = static_cast<int>(status);
  r.errorIndex = static_cast<int>(index);
  size_t listLength;
  if (!ber.Header(&tag, &listLength) || tag != 0x30) return std::nullopt;  // bindings
  BerReader list = ber.Take(listLength);
  while (!list.AtEnd()) {
    size_t bindingLength;
    if (!list.Header(&tag, &bindingLength) || tag != 0x30) return std::nullopt;
    BerReader binding = list.Take(bindingLength);
    SnmpBinding b;
    if (!binding.Header(&tag, &n) || tag != 0x06) return std::nullopt;
    b.oid = ObjectIdText(std::string(reinterpret_cast<const char*>(binding.Here()), n));
    binding.Skip(n);
    if (!binding.Header(&b.type, &n)) return std::nullopt;
    b.value.assign(reinterpret_cast<const char*>(binding.Here()), n);
    r.bindings.push_back(std::move(b));
  }
  return r;
}

int QueryPrinters(const SnmpQuery& query, std::vector<SnmpAnswer>* answers) {
  int code = Query(SnmpObject::SysDescr, query, answers);
  // A description is text: cut at a NUL, as a list box would show it, so that
  // the entry chosen from the list is found again among the answers.
  for (SnmpAnswer& a : *answers) a.value = DescriptionText(a.value);
  return code;
}

std::string DescriptionText(const std::string& value) {
  return value.substr(0, value.find('\0'));
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
