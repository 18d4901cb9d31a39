// The user-interface port: message boxes by string id. The Win32 program shows
// real boxes; the CLI prints to stderr; tests record what was asked.
#pragma once
#include <string>

namespace gc::os {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows a ready-made text with the application title and an exclamation icon.
  virtual Answer ShowText(const std::string& text, Buttons buttons) = 0;
  // Shows string-table message `id`.
  Answer ShowMessage(int id, Buttons buttons = Buttons::Ok);
};

}  // namespace gc::os
