// The command line's user-interface port: messages go to stderr; the command
// itself is the user's confirmation, so questions are answered yes.
#pragma once
#include <string>
#include <vector>

#include "os/ui.h"

namespace gc::cli {

class ConsoleUi : public os::Ui {
 public:
  os::Answer ShowText(const std::string& text, os::Buttons buttons) override;
  // A missing resource file in a setting file: say so and stop.
  os::ErrorChoice ChooseOnError(const std::string& text) override;
  std::vector<std::string> shown;  // every text, for the exit status
};

// Formats a message with printf-style arguments (143, 61716's %1).
std::string MessageWith(int id, int a, int b = 0, int c = 0);

}  // namespace gc::cli
