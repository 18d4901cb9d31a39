#include "printers/network_printers.h"

#include <new>

#include "resources/messages.h"

namespace gc {

namespace {

// Compares without building the text, so that a lookup cannot run out of memory.
bool HasEntryText(const NetworkPrinter& p, std::string_view text) {
  std::string_view prefix = NetworkPrefix();
  const std::string_view parts[] = {prefix, p.printerName, "(", p.ipAddress, ")"};
  for (std::string_view part : parts) {
    if (text.substr(0, part.size()) != part) return false;
    text.remove_prefix(part.size());
  }
  return text.empty();
}

}  // namespace

// Loaded once: the message source may hand out a buffer that a later call reuses.
std::string_view NetworkPrefix() {
  static const std::string prefix = [] {
    const char* text = MessageText(116);
    return std::string(text ? text : "");
  }();
  return prefix;
}

bool IsNetworkEntry(std::string_view text, std::string_view prefix) {
  return !text.empty() && !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

NetworkPrinterList::~NetworkPrinterList() {
  FreeNetworkPrinters(*this);
}

std::string EntryText(const NetworkPrinter& printer) {
  std::string text(NetworkPrefix());
  text += printer.printerName;
  text += '(';
  text += printer.ipAddress;
  text += ')';
  return text;
}

NetworkPrinter* AppendNetworkPrinter(NetworkPrinterList& list, std::string_view name,
                                     std::string_view address) {
  NetworkPrinter* p = new (std::nothrow) NetworkPrinter;
  if (!p) return nullptr;
  try {
    p->printerName = name.substr(0, kMaxPrinterName);
    p->ipAddress = address.substr(0, kMaxIpAddress);
  } catch (const std::bad_alloc&) {
    delete p;
    return nullptr;
  }
  (list.tail_ ? list.tail_->next : list.head_) = p;
  list.tail_ = p;
  return p;
}

const NetworkPrinter* FindNetworkPrinter(const NetworkPrinterList& list,
                                         std::string_view entryText) {
  for (const NetworkPrinter* p = list.head(); p; p = p->next)
    if (HasEntryText(*p, entryText)) return p;
  return nullptr;
}

void RemoveNetworkPrinter(NetworkPrinterList& list, std::string_view entryText) {
  NetworkPrinter* previous = nullptr;
  for (NetworkPrinter* p = list.head_; p; previous = p, p = p->next) {
    if (!HasEntryText(*p, entryText)) continue;
    (previous ? previous->next : list.head_) = p->next;
    if (list.tail_ == p) list.tail_ = previous;
    delete p;
    return;
  }
}

void FreeNetworkPrinters(NetworkPrinterList& list) {
  while (NetworkPrinter* p = list.head_) {
    list.head_ = p->next;
    delete p;
  }
  list.tail_ = nullptr;
}

bool TargetForEntry(std::string_view entryText, const NetworkPrinterList& list,
                    PrinterTarget* target) {
  *target = PrinterTarget{};
  if (!IsNetworkEntry(entryText)) {
    target->name = std::string(entryText);
    return true;
  }
  const NetworkPrinter* p = FindNetworkPrinter(list, entryText);
  if (!p) return false;
  target->network = true;
  target->name = p->printerName;
  target->address = p->ipAddress;
  return true;
}

}  // namespace gc
