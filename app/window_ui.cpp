#include "app/window_ui.h"

#include "app/error_choice_dialog.h"
#include "app/program.h"

namespace gc::app {

int ShowBox(HWND owner, const std::wstring& text, UINT style) {
  return MessageBoxW(owner, text.c_str(), program().title.c_str(), style);
}

os::Answer WindowUi::ShowText(const std::string& text, os::Buttons buttons) {
  UINT style = MB_ICONEXCLAMATION;
  switch (buttons) {
    case os::Buttons::Ok:
      style |= MB_OK;
      break;
    case os::Buttons::OkCancel:
      style |= MB_OKCANCEL;
      break;
    case os::Buttons::YesNo:
      style |= MB_YESNO;
      break;
  }
  switch (ShowBox(owner_, Widen(text), style)) {
    case IDOK:
      return os::Answer::Ok;
    case IDYES:
      return os::Answer::Yes;
    case IDNO:
      return os::Answer::No;
    default:
      return os::Answer::Cancel;
  }
}

os::ErrorChoice WindowUi::ChooseOnError(const std::string& text) {
  return RunErrorChoiceDialog(owner_, text);
}

}  // namespace gc::app
