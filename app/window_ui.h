// The Ui port as real message boxes: the application title as caption, the
// exclamation icon, UTF-16 text so that any code page shows it right
// (MessageBoxW is one of the few wide calls Windows 98 and Me implement).
#pragma once
#include <windows.h>

#include <string>

#include "os/ui.h"

namespace gc::app {

class WindowUi : public os::Ui {
 public:
  // `owner` null: a box without owner, as the worker thread and start-up raise.
  explicit WindowUi(HWND owner) : owner_(owner) {}
  os::Answer ShowText(const std::string& text, os::Buttons buttons) override;
  // Dialog 168, owned like the message boxes.
  os::ErrorChoice ChooseOnError(const std::string& text) override;

 private:
  HWND owner_;
};

// Row `index` of a list box in the system code page, cut at its terminator:
// LB_GETTEXTLEN may count more than the text holds in double-byte code pages.
std::string ListBoxText(HWND list, int index);

// A box with the application title as caption and the given style.
int ShowBox(HWND owner, const std::string& text, UINT style);

// Shows dialog `id` of the resource library modally, owned by `owner`, with
// `state` as its WM_INITDIALOG parameter, and returns the dialog's result. A
// dialog the library cannot give shows the fixed text (owned like the
// dialog) and returns -1.
INT_PTR RunDialog(int id, HWND owner, DLGPROC proc, void* state);

}  // namespace gc::app
