// The user-interface port: message boxes by string id. The Win32 program shows
// real boxes; the CLI prints to stderr; tests record what was asked.
#pragma once
#include <string>

namespace gc::os {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };
// The Ignore / Ignore all / Stop dialog's results.
enum class ErrorChoice { None = 0, IgnoreAll = 1, Ignore = 2, Stop = 3 };

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows a ready-made text with the application title and an exclamation icon.
  virtual Answer ShowText(const std::string& text, Buttons buttons) = 0;
  // Shows string-table message `id`.
  Answer ShowMessage(int id, Buttons buttons = Buttons::Ok);
  // The Ignore / Ignore all / Stop dialog with `text`; without one, Stop.
  virtual ErrorChoice ChooseOnError(const std::string&) { return ErrorChoice::Stop; }
  // The system's text for error `code` (the last error code, as a rule).
  void ShowSystemError(int code);
};

// The system's message text for an error code (FormatMessage or strerror).
std::string SystemErrorText(int code);

}  // namespace gc::os
