#include "os/ui.h"

#include "resources/messages.h"

namespace gc::os {

Answer Ui::ShowMessage(int id, Buttons buttons) {
  const char* text = MessageText(id);
  if (!text) {
    ShowText(kResourceLoadFailure, Buttons::Ok);
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  }
  return ShowText(text, buttons);
}

void Ui::ShowSystemError(int code) {
  ShowText(SystemErrorText(code), Buttons::Ok);
}

}  // namespace gc::os
