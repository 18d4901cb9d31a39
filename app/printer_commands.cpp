// Add printer, Remove printer and what they share with Search printer.
#include "app/printer_commands.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/add_printer_dialog.h"
#include "app/commands.h"
#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "items/registry_settings.h"
#include "os/profile.h"
#include "os/registry.h"
#include "os/sockets.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {

constexpr int kAddTimeLimitMs = 1000;
constexpr uint32_t kMibBufferSize = 10;

std::string ReadMib(const std::string& key) {
  return os::SystemProfile()
      .ReadString(program().configPath, "MIB", key, "NG")
      .substr(0, kMibBufferSize - 1);
}

// With a "MIB" section only the models named there may be added.
bool ModelAdmitted(const SnmpAnswer& answer) {
  char keys[kMibBufferSize] = {};
  os::SystemProfile().ReadSectionKeys(program().configPath, "MIB", "NG", keys, sizeof keys);
  const std::string first = keys;
  if (first.empty() || first == "NG") return true;
  SnmpQuery query = PrinterQuery();
  query.flags = kQueryAddresses;
  query.addresses = {answer.address};
  query.timeLimitMs = kAddTimeLimitMs;
  std::vector<SnmpAnswer> ids;
  if (QueryObjectId(query, &ids) != 0 || ids.empty()) return false;
  // An empty identifier would look up the section itself.
  const std::string id = ObjectIdText(ids.front().value);
  return !id.empty() && ReadMib(id) != "NG";
}

// The text shown for an entry: list box texts are in the system code page.
std::string EntryForMessage(const std::string& entry) {
  return Utf8FromAnsi(entry);
}

}  // namespace

SnmpQuery PrinterQuery() {
  SnmpQuery query;
  query.community = kDefaultCommunity;
#ifdef GC_TEST_KNOBS
  if (const char* port = std::getenv("GC_SNMP_PORT")) {
    const long n = std::strtol(port, nullptr, 10);
    if (n > 0 && n < 65536) query.port = static_cast<uint16_t>(n);
  }
#endif
  return query;
}

SnmpQuery BroadcastQuery() {
  SnmpQuery query = PrinterQuery();
  query.flags = kQueryBroadcast;
#ifndef GC_TEST_KNOBS
  return query;
#else
  // Loopback has no broadcast: the first address stands for it, and the
  // others are asked beside it, as printers answering one broadcast. Unset,
  // or a value that is not all loopback, sends nothing: a test never
  // broadcasts for real.
  SnmpQuery nothing = query;
  nothing.flags = 0;
  const char* to = std::getenv("GC_SNMP_BROADCAST_TO");
  if (!to) return nothing;
  std::vector<uint32_t> targets;
  std::vector<std::string> texts;
  for (std::string_view rest = to; !rest.empty();) {
    const size_t comma = rest.find(',');
    const std::string text(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    uint32_t ip = 0;
    if (!os::ParseIpv4(text.c_str(), &ip) || (ip >> 24) != 127) return nothing;
    targets.push_back(ip);
    texts.push_back(text);
  }
  if (targets.empty()) return nothing;
  query.broadcastTarget = targets.front();
  if (texts.size() > 1) {
    query.flags |= kQueryAddresses;
    query.addresses.assign(texts.begin() + 1, texts.end());
  }
  return query;
#endif
}

std::string StoredPrinterName(const std::string& value) {
  return value.empty() ? "-" : value.substr(0, kMaxPrinterName);
}

std::string AnswerEntryText(const SnmpAnswer& answer) {
  return std::string(NetworkPrefix()) + answer.value + "(" + answer.address + ")";
}

std::string PrinterEntryAt(MainWindow& window, int index) {
  return ListBoxText(window.printerList, index);
}

int FindPrinterEntry(MainWindow& window, const std::string& text) {
  // LB_FINDSTRINGEXACT ignores case; printers differ by case.
  const int count = static_cast<int>(SendMessageA(window.printerList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (PrinterEntryAt(window, i) == text) return i;
  return -1;
}

void SaveNetworkPrinters(MainWindow& window) {
  os::RegistryPort* registry = os::SystemRegistry();
  if (!registry || window.registryEnabled != 1) return;
  WindowUi ui(window.dialog);
  RegistrySettings settings(*registry, ui);
  settings.registryEnabled = window.registryEnabled;
  settings.SaveNetworkPrinters(window.networkPrinters);
}

void AddPrinter(MainWindow& window) {
  std::string text;
  if (!RunAddPrinterDialog(window, &text)) return;
  WindowUi ui(window.dialog);
  if (text.empty()) {
    ui.ShowMessage(kMsgPrinterNameMissing);
    return;
  }
  // Address mode only for the canonical dotted form: 192.168.001.5 or 10.1 are names.
  const bool byAddress = os::IsCanonicalIpv4(text);
  SnmpQuery query = byAddress ? PrinterQuery() : BroadcastQuery();
  query.timeLimitMs = kAddTimeLimitMs;
  if (byAddress) {
    query.flags = kQueryAddresses;
    query.addresses = {text};
  } else {
    query.nameFilter = text;
  }
  std::vector<SnmpAnswer> answers;
  if (QueryPrinters(query, &answers) != 0 || answers.empty()) {
    ui.ShowMessage(kMsgPrinterNotFound);
    return;
  }
  if (answers.size() > 1) {
    SearchNetworkPrinters(window, &answers);
    return;
  }
  const SnmpAnswer& answer = answers.front();
  if (!ModelAdmitted(answer)) {
    ui.ShowMessage(kMsgPrinterNotFound);
    return;
  }

  // Compared with the name as it would be stored, so that a printer without
  // a name, or with a long one, is not added twice.
  const std::string name = StoredPrinterName(answer.value);
  bool elsewhere = false;
  for (const NetworkPrinter* p = window.networkPrinters.head(); p; p = p->next) {
    if (p->ipAddress != answer.address) continue;
    if (p->printerName == name) return;
    elsewhere = true;
  }
  if (elsewhere && ui.ShowMessage(kMsgPrinterAlreadyAdded, os::Buttons::OkCancel) != os::Answer::Ok) return;

  const NetworkPrinter* added = AppendNetworkPrinter(window.networkPrinters, name, answer.address);
  if (!added) {
    ui.ShowMessage(IDS_NO_MEMORY);
    EndDialog(window.dialog, IDCANCEL);
    return;
  }
  SaveNetworkPrinters(window);
  const LRESULT row = SendMessageA(window.printerList, LB_ADDSTRING, 0,
                                   reinterpret_cast<LPARAM>(EntryText(*added).c_str()));
  RecomputePrinterListExtent(window);
  if (row >= 0) SendMessageA(window.printerList, LB_SETSEL, TRUE, row);
  ApplyButtonRules(window, WindowEvent::PrinterSelectionChanged);
}

void RemovePrinter(MainWindow& window) {
  const int count = static_cast<int>(SendMessageA(window.printerList, LB_GETSELCOUNT, 0, 0));
  std::vector<std::string> selected;
  if (count > 0) {
    std::vector<int> rows(static_cast<size_t>(count));
    const int got = static_cast<int>(SendMessageA(window.printerList, LB_GETSELITEMS, count,
                                                  reinterpret_cast<LPARAM>(rows.data())));
    for (int i = 0; i < got; ++i) selected.push_back(PrinterEntryAt(window, rows[i]));
  }

  WindowUi ui(window.dialog);
  bool removed = false;
  for (const std::string& entry : selected) {
    if (!IsNetworkEntry(entry)) {
      const char* message = MessageText(kMsgNotNetworkPrinter);
      if (!message) {
        ui.ShowText(kResourceLoadFailure, os::Buttons::Ok);
        break;
      }
      ui.ShowText("[" + EntryForMessage(entry) + "]" + message, os::Buttons::Ok);
      continue;
    }
    if (ui.ShowMessage(kMsgConfirmRemovePrinter, os::Buttons::YesNo) != os::Answer::Yes) break;
    RemoveNetworkPrinter(window.networkPrinters, entry);
    // Even when the list box lost the entry, the record is gone and must be saved.
    removed = true;
    const int row = FindPrinterEntry(window, entry);
    if (row < 0) break;
    SendMessageA(window.printerList, LB_DELETESTRING, row, 0);
  }
  if (removed) SaveNetworkPrinters(window);
  if (SendMessageA(window.printerList, LB_GETSELCOUNT, 0, 0) <= 0)
    ApplyButtonRules(window, WindowEvent::PrinterRemovedNoSelection);
}

}  // namespace gc::app
