// What the printer commands share: the registry copy of the network printers,
// the SNMP request they start from, and the Search printer command that Add
// printer hands its answers to.
#pragma once
#include <string>
#include <vector>

#include "printers/snmp.h"

namespace gc::app {

struct MainWindow;

// Rewrites the registry's printer keys (nothing while the registry is not used).
void SaveNetworkPrinters(MainWindow& window);

// Community "vandel", port 161. In the window tests' twin of the program
// (GC_TEST_KNOBS) GC_SNMP_PORT replaces the port.
SnmpQuery PrinterQuery();
// The same as a broadcast. In the twin, GC_SNMP_BROADCAST_TO, a comma-separated
// list of addresses in 127.0.0.0/8, stands for the printers a broadcast
// reaches, so that window tests stay on loopback; unset or any other value,
// it sends no request at all.
SnmpQuery BroadcastQuery();

// The list box entry of an answer (before it is stored).
std::string AnswerEntryText(const SnmpAnswer& answer);
// The name a printer is stored under: its first 128 characters, "-" for none.
std::string StoredPrinterName(const std::string& value);

// Search printer: a broadcast query, or `preloaded` answers without one.
void SearchNetworkPrinters(MainWindow& window, const std::vector<SnmpAnswer>* preloaded);

// The "Select printers" entry texts, in the system code page.
std::string PrinterEntryAt(MainWindow& window, int index);
int FindPrinterEntry(MainWindow& window, const std::string& text);  // exact; -1 when absent

}  // namespace gc::app
