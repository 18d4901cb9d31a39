// What an entry of the "Select printers" list is: a network printer, whose
// text is the network prefix, its name, "(", its address and ")", or a local
// queue, whose text is the queue's name. The network printers behind the
// entries form the NetworkPrinterList.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "printers/printer_channel.h"

namespace gc {

inline constexpr size_t kMaxPrinterName = 128;
inline constexpr size_t kMaxIpAddress = 15;

// String 116, "NET,".
std::string_view NetworkPrefix();

// True when `text` begins with the prefix (case-sensitive); an empty text or
// an empty prefix never does.
bool IsNetworkEntry(std::string_view text, std::string_view prefix = NetworkPrefix());

struct NetworkPrinter {
  std::string printerName;  // at most 128 characters; "-" when the printer reported none
  std::string ipAddress;    // dotted IPv4, at most 15 characters
  NetworkPrinter* next = nullptr;
};

// Singly linked, appended at the end; owns its records.
class NetworkPrinterList {
 public:
  NetworkPrinterList() = default;
  ~NetworkPrinterList();
  NetworkPrinterList(const NetworkPrinterList&) = delete;
  NetworkPrinterList& operator=(const NetworkPrinterList&) = delete;

  const NetworkPrinter* head() const { return head_; }
  bool empty() const { return head_ == nullptr; }

 private:
  friend NetworkPrinter* AppendNetworkPrinter(NetworkPrinterList&, std::string_view,
                                              std::string_view);
  friend void RemoveNetworkPrinter(NetworkPrinterList&, std::string_view);
  friend void FreeNetworkPrinters(NetworkPrinterList&);
  NetworkPrinter* head_ = nullptr;
  NetworkPrinter* tail_ = nullptr;
};

// The record's entry text: prefix, name, "(", address, ")".
std::string EntryText(const NetworkPrinter& printer);

// Appends a record with the first 128 characters of `name` and the first 15
// of `address`; nullptr when memory runs out (the list is then unchanged).
NetworkPrinter* AppendNetworkPrinter(NetworkPrinterList& list, std::string_view name,
                                     std::string_view address);
// The first record whose entry text equals `entryText` exactly, or nullptr.
const NetworkPrinter* FindNetworkPrinter(const NetworkPrinterList& list,
                                         std::string_view entryText);
// Unlinks and frees the first such record; nothing when there is none.
void RemoveNetworkPrinter(NetworkPrinterList& list, std::string_view entryText);
void FreeNetworkPrinters(NetworkPrinterList& list);

// The printer a job sends an entry to. False for a network entry that no
// record has (the job then ends).
bool TargetForEntry(std::string_view entryText, const NetworkPrinterList& list,
                    PrinterTarget* target);

}  // namespace gc
