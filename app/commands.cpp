#include "app/commands.h"

#include "app/main_window.h"

namespace gc::app {

void AddPrinter(MainWindow&) {}
void RemovePrinter(MainWindow&) {}
void SearchPrinters(MainWindow&) {}
void AddToList(MainWindow&) {}
void RemoveFromList(MainWindow&) {}
void ExportSettings(MainWindow&) {}
void ImportSettings(MainWindow&) {}
void Download(MainWindow&) {}
void ExportToFile(MainWindow&) {}
void DeleteAllResources(MainWindow&) {}
void DownloadFile(MainWindow&) {}
void TestMacro(MainWindow&) {}

int LoadRegistrySettings(MainWindow&) {
  return 0;
}
void FillPrinterList(MainWindow&) {}

void FreePrinterRecords(MainWindow&) {}
void CloseRegistryKeys(MainWindow&) {}

}  // namespace gc::app
