// A ui port for tests: records every text and answers as scripted.
#pragma once
#include <string>
#include <vector>

#include "os/ui.h"

namespace gc::test {

class RecordingUi : public os::Ui {
 public:
  os::Answer ShowText(const std::string& text, os::Buttons) override {
    shown.push_back(text);
    return answer;
  }
  os::ErrorChoice ChooseOnError(const std::string& text) override {
    asked.push_back(text);
    return choice;
  }
  std::vector<std::string> shown, asked;
  os::Answer answer = os::Answer::Ok;
  os::ErrorChoice choice = os::ErrorChoice::Stop;
};

}  // namespace gc::test
