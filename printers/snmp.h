// SNMP version 1 GetRequests for sysDescr.0 and sysObjectID.0, and the
// answers printers send back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gc {

inline constexpr char kDefaultCommunity[] = "vandel";
inline constexpr uint32_t kBroadcastAddress = 0xFFFFFFFFu;  // 255.255.255.255
inline constexpr uint16_t kSnmpPort = 161;
inline constexpr size_t kMaxCommunity = 94;  // every length of the request stays in one byte

enum class SnmpObject { SysDescr, SysObjectId };

// The 35 + n byte request; empty when the community is longer than 94 bytes.
std::vector<uint8_t> BuildSnmpRequest(SnmpObject object, const std::string& community);

// The first variable binding's value of a GetResponse with error-status 0;
// nothing for any other datagram. Reads only inside `datagram`.
std::optional<std::string> ParseSnmpAnswer(const uint8_t* datagram, size_t length);

struct SnmpAnswer {
  std::string value;    // the value's bytes as sent
  std::string address;  // the sender, dotted
  std::string extra;    // always empty
};

enum : int { kQueryBroadcast = 1, kQueryAddresses = 2 };

struct SnmpQuery {
  std::string nameFilter;                // kept answers contain it
  std::optional<std::string> community;  // none: "vandel"
  int flags = kQueryBroadcast;
  std::vector<std::string> addresses;  // dotted IPv4, for kQueryAddresses
  int timeLimitMs = 500;
  uint32_t broadcastTarget = kBroadcastAddress;  // tests aim it inside their namespace
  uint16_t port = kSnmpPort;                     // tests use agents on other ports
};

// 0 (the answers may be none), 4 when waiting fails, 5 out of memory.
int QueryPrinters(const SnmpQuery& query, std::vector<SnmpAnswer>* answers);
int QueryObjectId(const SnmpQuery& query, std::vector<SnmpAnswer>* answers);

// The encoded sub-identifiers of sysObjectID as dotted text ("1.3.6.1.4.1.2435...").
std::string ObjectIdText(const std::string& encoded);

}  // namespace gc
