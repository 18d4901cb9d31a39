#include "cli/console_ui.h"

#include <cstdio>

#include "resources/messages.h"

namespace gc::cli {

os::Answer ConsoleUi::ShowText(const std::string& text, os::Buttons buttons) {
  shown.push_back(text);
  std::fprintf(stderr, "glyphcast: %s\n", text.c_str());
  switch (buttons) {
    case os::Buttons::Ok:
      return os::Answer::Ok;
    case os::Buttons::OkCancel:
      return os::Answer::Ok;
    case os::Buttons::YesNo:
      return os::Answer::Yes;
  }
  return os::Answer::Ok;
}

os::ErrorChoice ConsoleUi::ChooseOnError(const std::string& text) {
  ShowText(text, os::Buttons::Ok);
  return os::ErrorChoice::Stop;
}

std::string MessageWith(int id, int a, int b, int c) {
  std::string text;
  return FormatMessageText(id, {a, b, c}, &text) ? text : kResourceLoadFailure;
}

}  // namespace gc::cli
