// The printer commands of glyphcast, each over a fleet of printers: download,
// send-file, delete-all, test-macro, and the read-back commands stored,
// verify and delete.
#pragma once
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/console_ui.h"
#include "items/download_item.h"
#include "jobs/fleet.h"

namespace gc::cli {

extern const char kFleetHelp[];  // what every fleet command takes

// The exit status: 0 every printer done, 1 any failed or not started, 3 cancelled.
int Download(const Args& a, ConsoleUi& ui, const std::vector<PrinterTarget>& printers,
             const ItemList& items, int charsPerLine);
int Verify(const Args& a, ConsoleUi& ui, const std::vector<PrinterTarget>& printers,
           const ItemList& items);
int SendBytes(const Args& a, const std::vector<PrinterTarget>& printers, const std::string& bytes);
int Stored(const Args& a, const std::vector<PrinterTarget>& printers);
int Delete(const Args& a, const std::vector<PrinterTarget>& printers);

// --jobs is 1 to 256; false for anything else.
bool FleetOptionsValid(const Args& a, std::string* error);

}  // namespace gc::cli
