#include "app/progress_dialog.h"

#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "jobs/progress_tick.h"
#include "io/progress_watch.h"
#include "os/spooler.h"
#include "os/threads.h"
#include "printers/bidi.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {

constexpr UINT_PTR kTickTimer = 1;

void RestoreBidiNow() {
  if (os::SpoolerPort* spooler = os::SystemSpooler()) RestoreBidi(*spooler);
}

struct Run {
  const std::function<int()>* job = nullptr;
  int result = 0;
  os::Thread worker;
  int startError = 0;  // the system's code when the worker could not be created
};

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  ProgressWatch& watch = program().progress;
  switch (message) {
    case WM_INITDIALOG: {
      // The worker starts only once its dialog exists, so that it can always be cancelled.
      auto* run = reinterpret_cast<Run*>(lp);
      run->startError = run->worker.Start([run, &watch] {
        run->result = (*run->job)();
        watch.running = 0;
      });
      if (run->startError != 0) {
        watch.running = 0;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      SetTimer(dialog, kTickTimer, kProgressTickMs, nullptr);
      return TRUE;
    }
    case WM_TIMER:
      if (wp != kTickTimer) return FALSE;
      // One tick at a time: a slow restore of bidirectional support must not
      // let ticks pile up behind it.
      KillTimer(dialog, kTickTimer);
      if (ProgressTick(watch, RestoreBidiNow) == TickResult::JobEnded) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      SetTimer(dialog, kTickTimer, kProgressTickMs, nullptr);
      return TRUE;
    case WM_COMMAND:
      // The button, Escape and the close box: ask, and stay open until the job ends.
      if (LOWORD(wp) == IDCANCEL) RequestCancel(watch);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int RunWithProgressDialog(MainWindow& window, const std::function<int()>& job) {
  ProgressWatch& watch = program().progress;
  {
    os::MutexLock hold(watch.lock);
    watch.cancelRequested = 0;
    watch.abortableConnection = nullptr;
  }
  watch.byteCounter = 0;
  watch.previousCounter = 0;
  // Running before the worker starts, so that the first tick cannot take the
  // job for ended.
  watch.running = 1;
  Run run;
  run.job = &job;
  const INT_PTR shown = RunDialog(IDD_PROGRESS, window.dialog, ProgressDialogProc, &run);
  run.worker.Join();
  if (run.startError != 0) {
    WindowUi(window.dialog).ShowSystemError(run.startError);
    return -1;
  }
  if (shown == -1) {  // the fixed text has been shown; no worker was started
    watch.running = 0;
    return -1;
  }
  return run.result;
}

}  // namespace gc::app
