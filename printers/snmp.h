// SNMP GetRequests and the answers printers send back: the program's version 1
// queries for sysDescr.0 and sysObjectID.0, and a codec for requests of any
// OIDs in version 1 or 2c.
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

enum class SnmpVersion : uint8_t { V1 = 0, V2c = 1 };

// A GetRequest for every OID (dotted text) in one message; empty when an OID
// is not valid dotted text or the community is over 255 bytes.
std::vector<uint8_t> BuildSnmpGet(SnmpVersion version, const std::string& community,
                                  uint32_t requestId, const std::vector<std::string>& oids);

// SNMPv2c's exceptions in place of a value: the agent has no such object.
inline constexpr uint8_t kNoSuchObject = 0x80, kNoSuchInstance = 0x81, kEndOfMibView = 0x82;
inline constexpr int kSnmpNoSuchName = 2;  // SNMPv1's error-status for an unknown OID

struct SnmpBinding {
  std::string oid;    // dotted
  uint8_t type = 0;   // the value's BER tag
  std::string value;  // its content bytes
  bool Exists() const { return type != kNoSuchObject && type != kNoSuchInstance && type != kEndOfMibView; }
};

struct SnmpResponse {
  SnmpVersion version = SnmpVersion::V1;
  uint32_t requestId = 0;
  int errorStatus = 0;
  int errorIndex = 0;  // 1-based binding the error is about, 0 for none
  std::vector<SnmpBinding> bindings;
};

// A GetResponse (version 1 or 2c) read whole; nothing for any other datagram
// or one that does not hold together. Reads only inside `datagram`.
std::optional<SnmpResponse> ParseSnmpResponse(const uint8_t* datagram, size_t length);

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

// A sysDescr value as text: the bytes before the first NUL.
std::string DescriptionText(const std::string& value);

// 0 (the answers may be none), 4 when waiting fails, 5 out of memory.
int QueryPrinters(const SnmpQuery& query, std::vector<SnmpAnswer>* answers);
int QueryObjectId(const SnmpQuery& query, std::vector<SnmpAnswer>* answers);

// The encoded sub-identifiers of sysObjectID as dotted text ("1.3.6.1.4.1.2435...").
std::string ObjectIdText(const std::string& encoded);

}  // namespace gc
