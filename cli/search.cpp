#include "cli/search.h"

#include <cstdio>
#include <optional>

#include "cli/output.h"
#include "os/sockets.h"
#include "jobs/fleet.h"
#include "os/threads.h"
#include "pjl/requests.h"
#include "printers/discovery.h"

namespace gc::cli {

const char kSearchHelp[] =
    "usage: glyphcast search [--range CIDR]... [--address A]... [--snmp-version 1|2c]\n"
    "                        [--community TEXT] [--timeout MS] [--rate N] [--filter TEXT]\n"
    "                        [--pjl] [--format table|csv|json] [--broadcast-to ADDR]\n"
    "                        [--snmp-port N] [--pjl-port N]\n"
    "Finds printers by SNMP (version 1 unless given, community vandel unless given): a\n"
    "broadcast to 255.255.255.255, or a request to each --address and to every host\n"
    "address of each --range (for example 10.1.2.0/24; /16 at most), sent at most N a\n"
    "second (2000 unless given). Answers are collected until MS milliseconds (500\n"
    "unless given) after the last request. One request asks each printer for its\n"
    "description (sysDescr), its model (hrDeviceDescr, else the MDL of its IEEE 1284\n"
    "device ID) and its languages (the CMD of the device ID); pcl says whether they\n"
    "include PCL 5 (false when the printer does not publish them).\n"
    "--filter keeps the printers whose description contains TEXT (case-sensitive).\n"
    "--pjl also asks each printer that answered, over TCP port 9100, whether it has a\n"
    "file system for resources (@PJL INFO FILESYS; one attempt to connect, 1 s, and\n"
    "--timeout for the answer): disk yes with its free space, no, or ? (no answer).\n"
    "Output: a table on a terminal, else NET,name(address) lines as the program lists\n"
    "them, unless --format says csv (a header line, then address,name,model,languages,\n"
    "pcl with languages separated by blanks, and disk and free with --pjl) or json (an\n"
    "array of objects with address, name, model, languages and pcl, and with --pjl\n"
    "disk (true, false or null for no answer) and free (bytes, or null)).\n";

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

int UsageError(const std::string& text) {
  std::fprintf(stderr, "glyphcast: %s\n", text.c_str());
  return kExitUsage;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : separator) + p;
  return text;
}

// What a printer's PJL said of its file system; unknown when it did not answer.
struct Disk {
  bool known = false;
  bool present = false;
  std::optional<uint64_t> free;  // of volume 0:, where the printer says it
};

// Asks every printer at once for INFO FILESYS, each within the time limit.
std::vector<Disk> AskDisks(const std::vector<DiscoveredPrinter>& printers, uint16_t port,
                           int timeoutMs) {
  std::vector<PrinterTarget> targets;
  std::vector<std::string> names;
  for (const DiscoveredPrinter& p : printers) {
    targets.push_back({true, p.name, p.address, port});
    names.push_back(p.address);
  }
  FleetOptions options;
  options.jobs = 64;
  options.keepGoing = true;
  options.connectAttempts = 1;
  options.connectTimeoutMs = 1000;
  options.replyTimeoutMs = timeoutMs;
  options.finishTimeoutMs = timeoutMs;
  std::vector<Disk> disks(printers.size());
  os::Mutex lock;
  Fleet fleet(targets, names, options);
  fleet.Run([&](PrinterSession& s) {
    std::vector<pjl::Reply> replies;
    if (!s.Ask(pjl::Info("FILESYS"), &replies)) return false;
    for (const pjl::Reply& reply : replies) {
      std::optional<pjl::FileSystem> fs = pjl::ParseInfoFilesys(reply);
      if (!fs) continue;
      Disk disk{true, fs->present, std::nullopt};
      for (const pjl::Volume& v : fs->volumes)
        if (v.name == "0:") disk.free = v.free;
      os::MutexLock hold(lock);
      disks[s.index()] = disk;
    }
    return true;
  });
  return disks;
}

std::string DiskText(const Disk& d) {
  if (!d.known) return "?";
  if (!d.present) return "no";
  if (!d.free) return "yes";
  char text[48];
  std::snprintf(text, sizeof text, "yes, %.1f MB free", static_cast<double>(*d.free) / 1e6);
  return text;
}

void PrintJson(const std::vector<DiscoveredPrinter>& printers, const std::vector<Disk>* disks) {
  std::printf("[");
  for (size_t i = 0; i < printers.size(); ++i) {
    const DiscoveredPrinter& p = printers[i];
    std::string languages;
    for (const std::string& l : p.languages) languages += (languages.empty() ? "" : ",") + JsonString(l);
    std::string disk;
    if (disks) {
      const Disk& d = (*disks)[i];
      disk = std::string(", \"disk\": ") + (!d.known ? "null" : d.present ? "true" : "false") +
             ", \"free\": " + (d.free ? std::to_string(*d.free) : std::string("null"));
    }
    std::printf("%s\n  {\"address\": %s, \"name\": %s, \"model\": %s, \"languages\": [%s], "
                "\"pcl\": %s%s}",
                i ? "," : "", JsonString(p.address).c_str(), JsonString(p.name).c_str(),
                JsonString(p.model).c_str(), languages.c_str(), p.pcl ? "true" : "false",
                disk.c_str());
  }
  std::printf("%s]\n", printers.empty() ? "" : "\n");
}

}  // namespace

int Search(const Args& a) {
  if (!a.files.empty()) return UsageError("search takes no FILE");
  DiscoveryQuery q;
  if (a.community) q.community = *a.community;
  if (q.community.size() > 255) return UsageError("a community has at most 255 bytes");
  if (a.snmpVersion && *a.snmpVersion != "1" && *a.snmpVersion != "2c")
    return UsageError("--snmp-version is 1 or 2c");
  q.version = a.snmpVersion && *a.snmpVersion == "2c" ? SnmpVersion::V2c : SnmpVersion::V1;
  long timeout = 500, port = kSnmpPort, rate = 2000, pjlPort = kPrinterPort;
  if (!OptionNumber(a.timeout, 1, 60000, &timeout)) return UsageError("--timeout is 1 to 60000 ms");
  if (!OptionNumber(a.snmpPort, 1, 65535, &port)) return UsageError("--snmp-port is 1 to 65535");
  if (!OptionNumber(a.rate, 1, 100000, &rate)) return UsageError("--rate is 1 to 100000 requests a second");
  if (!OptionNumber(a.pjlPort, 1, 65535, &pjlPort)) return UsageError("--pjl-port is 1 to 65535");
  q.timeoutMs = static_cast<int>(timeout);
  q.port = static_cast<uint16_t>(port);
  q.packetsPerSecond = static_cast<int>(rate);
  std::string format = a.format ? *a.format : IsTerminal(stdout) ? "table" : "lines";
  if (format != "table" && format != "csv" && format != "json" && format != "lines")
    return UsageError("--format is table, csv or json");
  if (a.broadcastTo && !os::ParseIpv4(a.broadcastTo->c_str(), &q.broadcastTarget))
    return UsageError("--broadcast-to takes a dotted IPv4 address");
  for (const std::string& address : a.addresses) {
    uint32_t ip;
    if (!os::ParseIpv4(address.c_str(), &ip)) return UsageError("--address takes a dotted IPv4 address");
    q.targets.push_back(ip);
  }
  for (const std::string& range : a.ranges) {
    std::string error;
    if (!AddRangeHosts(range, &q.targets, &error)) return UsageError(error);
  }
  q.broadcast = a.addresses.empty() && a.ranges.empty();

  std::vector<DiscoveredPrinter> found;
  if (Discover(q, &found) != 0) {
    std::fprintf(stderr, "glyphcast: the SNMP query failed: no socket, or waiting failed\n");
    return kExitFailed;
  }
  std::vector<DiscoveredPrinter> printers;
  for (DiscoveredPrinter& p : found)
    if (!a.filter || p.name.find(*a.filter) != std::string::npos) printers.push_back(std::move(p));

  std::vector<Disk> disks;
  if (a.pjl) disks = AskDisks(printers, static_cast<uint16_t>(pjlPort), q.timeoutMs);

  if (format == "json") {
    PrintJson(printers, a.pjl ? &disks : nullptr);
  } else if (format == "csv") {
    std::printf("address,name,model,languages,pcl%s\n", a.pjl ? ",disk,free" : "");
    for (size_t i = 0; i < printers.size(); ++i) {
      const DiscoveredPrinter& p = printers[i];
      std::string disk;
      if (a.pjl)
        disk = std::string(",") + (!disks[i].known ? "" : disks[i].present ? "true" : "false") +
               "," + (disks[i].free ? std::to_string(*disks[i].free) : "");
      std::printf("%s,%s,%s,%s,%s%s\n", p.address.c_str(), CsvField(p.name).c_str(),
                  CsvField(p.model).c_str(), CsvField(Joined(p.languages, " ")).c_str(),
                  p.pcl ? "true" : "false", disk.c_str());
    }
  } else if (format == "table") {
    std::vector<std::vector<std::string>> rows;
    for (size_t i = 0; i < printers.size(); ++i) {
      const DiscoveredPrinter& p = printers[i];
      rows.push_back({p.address, p.name, p.model, Joined(p.languages, ","), p.pcl ? "yes" : "no"});
      if (a.pjl) rows.back().push_back(DiskText(disks[i]));
    }
    std::vector<std::string> header = {"ADDRESS", "NAME", "MODEL", "LANGUAGES", "PCL"};
    if (a.pjl) header.push_back("DISK");
    PrintTable(stdout, header, rows);
    if (!a.quiet)
      std::fprintf(stderr, "%zu printer%s answered\n", printers.size(), printers.size() == 1 ? "" : "s");
  } else {
    for (const DiscoveredPrinter& p : printers)
      std::printf("NET,%s(%s)\n", p.name.c_str(), p.address.c_str());
  }
  return kExitOk;
}

}  // namespace gc::cli
