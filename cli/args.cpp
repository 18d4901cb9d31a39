#include "cli/args.h"

#include <cstdlib>

#include "os/sockets.h"

namespace gc::cli {

Args ParseArgs(int argc, char** argv) {
  Args a;
  int i = 1;
  if (i < argc) a.command = argv[i++];
  auto value = [&](const std::string& flag) -> std::optional<std::string> {
    if (i < argc) return std::string(argv[i++]);
    a.error = flag + " needs a value";
    return std::nullopt;
  };
  while (i < argc) {
    std::string arg = argv[i++];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--version") {
      a.version = true;
    } else if (arg == "--quiet" || arg == "-q") {
      a.quiet = true;
    } else if (arg == "-o" || arg == "--output") {
      if (auto v = value(arg)) a.output = *v;
    } else if (arg == "--printer" || arg == "-p") {
      if (auto v = value(arg)) a.printers.push_back(*v);
    } else if (arg == "--name") {
      a.name = value(arg);
    } else if (arg == "--id") {
      a.id = value(arg);
    } else if (arg == "--type") {
      a.type = value(arg);
    } else if (arg == "--address") {
      if (auto v = value(arg)) a.addresses.push_back(*v);
    } else if (arg == "--range") {
      if (auto v = value(arg)) a.ranges.push_back(*v);
    } else if (arg == "--pjl") {
      a.pjl = true;
    } else if (arg == "--pjl-port") {
      a.pjlPort = value(arg);
    } else if (arg == "--snmp-version") {
      a.snmpVersion = value(arg);
    } else if (arg == "--format") {
      a.format = value(arg);
    } else if (arg == "--rate") {
      a.rate = value(arg);
    } else if (arg == "--filter") {
      a.filter = value(arg);
    } else if (arg == "--community") {
      a.community = value(arg);
    } else if (arg == "--timeout") {
      a.timeout = value(arg);
    } else if (arg == "--broadcast-to") {
      a.broadcastTo = value(arg);
    } else if (arg == "--snmp-port") {
      a.snmpPort = value(arg);
    } else if (arg == "--sample") {
      a.sample = value(arg);
    } else if (arg == "--jobs" || arg == "-j") {
      a.jobs = value(arg);
    } else if (arg == "--reply-timeout") {
      a.replyTimeout = value(arg);
    } else if (arg == "--report") {
      a.report = value(arg);
    } else if (arg == "--keep-going" || arg == "-k") {
      a.keepGoing = true;
    } else if (arg == "--verify") {
      a.verify = true;
    } else if (arg == "--face") {
      a.face = value(arg);
    } else if (arg == "--list") {
      a.list = value(arg);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      a.error = "unknown option " + arg;
    } else {
      a.files.push_back(arg);
    }
    if (!a.error.empty()) break;
  }
  if (a.command == "--version") a.version = true;
  if (a.command == "--help" || a.command == "-h" || a.command == "help") {
    a.help = true;
    a.command = a.files.empty() ? "" : a.files.front();
  }
  return a;
}

bool OptionNumber(const std::optional<std::string>& text, long low, long high, long* out) {
  if (!text) return true;
  char* end = nullptr;
  long n = std::strtol(text->c_str(), &end, 10);
  if (text->empty() || *end || n < low || n > high) return false;
  *out = n;
  return true;
}

bool ParsePrinter(const std::string& text, PrinterTarget* target, std::string* error) {
  *target = PrinterTarget{};
  if (text.rfind("queue:", 0) == 0) {
    target->name = text.substr(6);
    if (target->name.empty()) {
      *error = "queue: needs a queue name";
      return false;
    }
    return true;
  }
  target->network = true;
  std::string host = text;
  size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    host = text.substr(0, colon);
    long n = 0;
    if (!OptionNumber(text.substr(colon + 1), 1, 65535, &n)) {
      *error = "bad port in " + text;
      return false;
    }
    target->port = static_cast<uint16_t>(n);
  }
  if (host == "localhost") host = "127.0.0.1";
  uint32_t address;
  if (!os::ParseIpv4(host.c_str(), &address)) {
    *error = "a printer is a dotted IPv4 address, localhost, or queue:NAME: " + text;
    return false;
  }
  target->name = host;
  target->address = host;
  return true;
}

}  // namespace gc::cli
