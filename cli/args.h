// Command-line parsing shared by the glyphcast commands.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "printers/printer_channel.h"

namespace gc::cli {

struct Args {
  std::string command;
  std::vector<std::string> files;  // positional arguments
  std::vector<std::string> printers;
  std::string output;
  std::optional<std::string> name, id, type;
  std::optional<std::string> list;    // a setting file as the item list
  std::optional<std::string> sample;  // characters per line of font sample pages
  std::optional<std::string> face;    // the face of TrueType collections
  // fleets
  std::optional<std::string> jobs, report, replyTimeout;
  bool keepGoing = false;
  bool verify = false;
  // search
  std::vector<std::string> addresses, ranges;
  std::optional<std::string> community, timeout, broadcastTo, snmpPort, filter, snmpVersion,
      format, rate, pjlPort;
  bool pjl = false;
  bool help = false;
  bool version = false;
  bool quiet = false;  // no progress line, no notes; errors still go to stderr
  std::string error;  // a usage error, when set
};

Args ParseArgs(int argc, char** argv);

// A decimal option value from `low` to `high` into *out; true when the
// option is absent (*out keeps its default).
bool OptionNumber(const std::optional<std::string>& text, long low, long high, long* out);

// "HOST[:PORT]" (a dotted IPv4 address or localhost) or "queue:NAME".
bool ParsePrinter(const std::string& text, PrinterTarget* target, std::string* error);

}  // namespace gc::cli
