// Finding printers by SNMP across address ranges: one GetRequest per printer
// for every object that describes it, sent at a bounded rate from one socket.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "printers/snmp.h"

namespace gc {

// What one request asks for.
inline constexpr char kOidSysDescr[] = "1.3.6.1.2.1.1.1.0";
inline constexpr char kOidDeviceDescr[] = "1.3.6.1.2.1.25.3.2.1.3.1";                // hrDeviceDescr.1
inline constexpr char kOidDeviceId[] = "1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1";  // IEEE 1284 device ID

struct DiscoveryQuery {
  SnmpVersion version = SnmpVersion::V1;
  std::string community = kDefaultCommunity;
  bool broadcast = false;
  uint32_t broadcastTarget = kBroadcastAddress;  // tests aim it inside their namespace
  std::vector<uint32_t> targets;                 // unicast addresses, host order
  uint16_t port = kSnmpPort;
  int timeoutMs = 500;          // answers are awaited this long after the last request
  int packetsPerSecond = 2000;  // requests sent at most this fast
};

struct DiscoveredPrinter {
  std::string address;  // dotted
  std::string name;     // sysDescr
  std::string model;    // hrDeviceDescr.1, else the model of the 1284 device ID
  std::vector<std::string> languages;  // the 1284 command set
  bool pcl = false;
};

// Every printer that answered, ordered by address. 0, or 4 when the socket
// cannot be opened or waiting fails. A version 1 agent that lacks one of the
// objects answers noSuchName for the whole request; it is asked again
// without that object.
int Discover(const DiscoveryQuery& query, std::vector<DiscoveredPrinter>* printers);

// The host addresses of "a.b.c.d/n" (n from 16 to 32; without network and
// broadcast address below /31), appended to `hosts`. False with a reason.
bool AddRangeHosts(const std::string& cidr, std::vector<uint32_t>* hosts, std::string* error);

}  // namespace gc
