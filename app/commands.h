// What the main window's buttons and opening steps call. Each is wired by the
// change that brings its feature; until then it does nothing.
#pragma once

namespace gc::app {

struct MainWindow;

// Buttons
void AddPrinter(MainWindow& window);
void RemovePrinter(MainWindow& window);
void SearchPrinters(MainWindow& window);
void AddToList(MainWindow& window);  // also for a dropped file: window.pendingDroppedPath
void RemoveFromList(MainWindow& window);
void ExportSettings(MainWindow& window);
void ImportSettings(MainWindow& window);
void Download(MainWindow& window);
void ExportToFile(MainWindow& window);
void DeleteAllResources(MainWindow& window);
void DownloadFile(MainWindow& window);
void TestMacro(MainWindow& window);

// Opening: the registry state (0, or -1 / -4 to quit, -2 to run without the
// registry), then the printer list.
int LoadRegistrySettings(MainWindow& window);
void FillPrinterList(MainWindow& window);

// Destruction: search results and network printers; the registry keys still open.
void FreePrinterRecords(MainWindow& window);
void CloseRegistryKeys(MainWindow& window);

}  // namespace gc::app
