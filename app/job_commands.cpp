// The printer commands of the main window: Download, Test macro and Download
// file on a worker thread under the progress dialog; Delete all the resources
// and Export to file on the user-interface thread.
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/progress_dialog.h"
#include "app/test_macro_dialog.h"
#include "app/window_ui.h"
#include "items/registry_settings.h"
#include "jobs/download_rules.h"
#include "jobs/job_runner.h"
#include "jobs/streams.h"
#include "os/file_bytes.h"
#include "os/registry.h"
#include "os/spooler.h"
#include "printers/network_printers.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {


// The selected entries of the printer list in list order, as job targets. A
// network entry without its record ends the list there: the job runs the
// printers before it and then ends, as if it had stopped at that entry.
struct Selection {
  bool error = false;  // the list reports no selection state
  std::vector<PrinterTarget> printers;
  bool anyLocal = false;
};

Selection SelectedPrinters(const MainWindow& window) {
  Selection s;
  const LRESULT count = SendMessageA(window.printerList, LB_GETSELCOUNT, 0, 0);
  if (count == LB_ERR) {
    s.error = true;
    return s;
  }
  std::vector<int> indices(static_cast<size_t>(count));
  if (count > 0)
    SendMessageA(window.printerList, LB_GETSELITEMS, count,
                 reinterpret_cast<LPARAM>(indices.data()));
  for (int index : indices) {
    if (SendMessageA(window.printerList, LB_GETTEXTLEN, index, 0) == LB_ERR) break;
    const std::string text = ListBoxText(window.printerList, index);
    PrinterTarget target;
    if (!TargetForEntry(text, window.networkPrinters, &target)) break;
    s.anyLocal = s.anyLocal || !target.network;
    s.printers.push_back(target);
  }
  return s;
}

// What every printer job starts from; false (after its message) when the
// selection or the spooler job name cannot be had.
bool PrepareJob(const Selection& selection, os::Ui& ui, JobContext& job) {
  job.ui = &ui;
  job.progress = &program().progress;
  job.items = &program().items;
  job.spooler = os::SystemSpooler();
  if (selection.error) {
    ui.ShowMessage(kMsgNoPrinterSelected);
    return false;
  }
  if (selection.anyLocal) {
    const char* name = MessageText(kMsgJobName);
    if (!name) {
      ui.ShowText(kResourceLoadFailure, os::Buttons::Ok);
      return false;
    }
    job.jobName = name;
  }
  return true;
}

// The same buffer to every selected printer, on the worker thread.
void RunSendJob(MainWindow& window, const uint8_t* bytes, size_t length) {
  const Selection selection = SelectedPrinters(window);
  RunWithProgressDialog(window, [&] {
    WindowUi ui(nullptr);  // the worker's boxes have no owner
    JobContext job;
    if (!PrepareJob(selection, ui, job)) return -1;
    return SendBufferToPrinters(job, selection.printers, bytes, length);
  });
}

// "Printer File (*.prn)" and "All the files (*.*)", as both file commands ask.
bool AskPrnFile(MainWindow& window, bool save, std::string* path) {
  FileDialogRequest request{
      window.dialog,
      save,
      {{kMsgPrinterFileFilter, "*.prn"}, {kMsgAllFilesFilter, "*.*"}},
      kFileCommandFlags,
      // Without dot or wildcard: the dialog appends the text as it stands.
      "prn",
      {},
  };
  return AskFilePath(request, path);
}

// The characters per line for sample pages, 0 for none; false when the
// command stops here.
bool ReadCharsPerLine(MainWindow& window, WindowUi& ui, int* charsPerLine) {
  *charsPerLine = 0;
  if (IsDlgButtonChecked(window.dialog, IDC_PRINT_SAMPLE) != BST_CHECKED) return true;
  char text[64] = "";
  GetDlgItemTextA(window.dialog, IDC_CHARS_PER_LINE, text, sizeof text);
  if (!CharsPerLineValid(text, charsPerLine)) {
    ui.ShowMessage(kMsgBadCharsPerLine);
    return false;
  }
  if (*charsPerLine == 0)
    return ui.ShowMessage(kMsgNoSampleAtZero, os::Buttons::OkCancel) == os::Answer::Ok;
  return true;
}

}  // namespace

void Download(MainWindow& window) {
  WindowUi owned(window.dialog);
  int charsPerLine = 0;
  if (!ReadCharsPerLine(window, owned, &charsPerLine)) return;
  const Selection selection = SelectedPrinters(window);
  const int registryEnabled = window.registryEnabled;
  RunWithProgressDialog(window, [&] {
    WindowUi ui(nullptr);
    JobContext job;
    if (!PrepareJob(selection, ui, job)) return -1;
    job.charsPerLine = charsPerLine;
    job.storeLastId = [&](int controlId, const char* valueName) {
      os::RegistryPort* registry = os::SystemRegistry();
      if (!registry) return 0;
      RegistrySettings settings(*registry, ui);
      settings.registryEnabled = registryEnabled;
      return settings.StoreLastId(controlId, valueName);
    };
    return DownloadToPrinters(job, selection.printers, window.items);
  });
}

void TestMacro(MainWindow& window) {
  int controlId = 0;
  if (!RunTestMacroDialog(window, &controlId)) return;
  const std::string macro = FormatTestMacro(controlId);
  RunSendJob(window, reinterpret_cast<const uint8_t*>(macro.data()), macro.size());
}

void DownloadFile(MainWindow& window) {
  std::string path;
  if (!AskPrnFile(window, false, &path)) return;
  os::FileBytes file;
  int error = 0;
  if (file.Open(path.c_str(), false, 0xFFFFFFFFu) != os::FileBytes::Status::Ok)
    error = file.systemError();
  else if (file.bytes().empty())
    error = ERROR_FILE_INVALID;  // the system would show a success text for nothing at all
  if (error != 0) {
    WindowUi(nullptr).ShowSystemError(error);
    return;
  }
  RunSendJob(window, file.bytes().data(), file.bytes().size());
}

void DeleteAllResources(MainWindow& window) {
  WindowUi ui(window.dialog);
  if (ui.ShowMessage(kMsgConfirmDeleteAll, os::Buttons::YesNo) != os::Answer::Yes) return;
  const Selection selection = SelectedPrinters(window);
  JobContext job;
  if (!PrepareJob(selection, ui, job)) return;
  DeleteAllOnPrinters(job, selection.printers);
}

void ExportToFile(MainWindow& window) {
  std::string path;
  if (!AskPrnFile(window, true, &path)) return;
  WindowUi ui(window.dialog);
  JobContext job;
  job.ui = &ui;
  ExportItems(job, window.items, path);
}

}  // namespace gc::app
