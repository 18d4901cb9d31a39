// SNMP answers (version 1 and 2c) on any datagram. The parsers read only
// inside it; the program's answer is the whole parse's first value; values lie
// inside the datagram; the OIDs read back as text encode again to the same
// text (a request for them, answered with its own bindings, parses to the same
// OIDs); and the device ID fields read from any value are trimmed pieces of it.
#include <cstdint>
#include <string>
#include <vector>

#include "printers/device_id.h"
#include "printers/snmp.h"

namespace {

bool Trimmed(const std::string& s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  return s.empty() || (!blank(s.front()) && !blank(s.back()));
}

void CheckDeviceId(const std::string& value) {
  std::string model = gc::DeviceIdModel(value);
  if (!Trimmed(model) || value.find(model) == std::string::npos) __builtin_trap();
  std::vector<std::string> languages = gc::DeviceIdLanguages(value);
  for (const std::string& l : languages)
    if (l.empty() || !Trimmed(l) || l.find(',') != std::string::npos ||
        value.find(l) == std::string::npos)
      __builtin_trap();
  gc::SpeaksPcl(languages);
}

// The response's OIDs asked for again: the request our builder makes, turned
// into a response by its PDU tag, parses to the same OIDs with NULL values.
void CheckObjectIds(const gc::SnmpResponse& r) {
  std::vector<std::string> oids;
  for (const gc::SnmpBinding& b : r.bindings) oids.push_back(b.oid);
  std::vector<uint8_t> request = gc::BuildSnmpGet(r.version, "public", r.requestId, oids);
  if (request.empty()) return;  // an OID past what a request may carry
  size_t pdu = 2 + 3 + 2 + 6;   // message header, version, community "public"
  if (request[1] & 0x80) pdu += request[1] & 0x7F;
  if (pdu >= request.size() || request[pdu] != 0xA0) __builtin_trap();
  request[pdu] = 0xA2;
  auto again = gc::ParseSnmpResponse(request.data(), request.size());
  if (!again || again->version != r.version || again->requestId != r.requestId ||
      again->bindings.size() != oids.size())
    __builtin_trap();
  for (size_t i = 0; i < oids.size(); ++i)
    if (again->bindings[i].oid != oids[i] || again->bindings[i].type != 0x05 ||
        !again->bindings[i].value.empty())
      __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto answer = gc::ParseSnmpAnswer(data, size);
  auto response = gc::ParseSnmpResponse(data, size);
  bool answers = response && response->errorStatus == 0 && !response->bindings.empty();
  if (answer.has_value() != answers || (answer && *answer != response->bindings[0].value))
    __builtin_trap();
  if (answer && gc::DescriptionText(*answer).size() > answer->size()) __builtin_trap();
  if (!response) {
    CheckDeviceId(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
  }
  for (const gc::SnmpBinding& b : response->bindings) {
    if (b.value.size() > size) __builtin_trap();
    b.Exists();
    CheckDeviceId(b.value);
  }
  CheckObjectIds(*response);
  return 0;
}
