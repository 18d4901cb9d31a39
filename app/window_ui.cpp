#include "app/window_ui.h"

#include "app/error_choice_dialog.h"
#include "app/program.h"
#include "resources/messages.h"

namespace gc::app {

int ShowBox(HWND owner, const std::string& text, UINT style) {
  return MessageBoxW(owner, Widen(text).c_str(), Widen(program().title).c_str(), style);
}

std::string ListBoxText(HWND list, int index) {
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
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
  switch (ShowBox(owner_, text, style)) {
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

INT_PTR RunDialog(int id, HWND owner, DLGPROC proc, void* state) {
  const INT_PTR result = DialogBoxParamA(program().resources, MAKEINTRESOURCEA(id), owner, proc,
                                         reinterpret_cast<LPARAM>(state));
  if (result == -1) WindowUi(owner).ShowText(kResourceLoadFailure, os::Buttons::Ok);
  return result;
}

}  // namespace gc::app
