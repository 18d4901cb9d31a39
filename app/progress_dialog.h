// A printer job on a worker thread under the modal "Now downloading" dialog.
#pragma once
#include <functional>

namespace gc::app {

struct MainWindow;

// Runs `job` on a worker thread while dialog 174 covers the main window; the
// dialog's Cancel asks the job to stop, and after a whole tick without
// progress aborts the stalled network write. Returns the job's result once
// the dialog has closed.
int RunWithProgressDialog(MainWindow& window, const std::function<int()>& job);

}  // namespace gc::app
