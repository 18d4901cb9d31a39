#include "app/help.h"

#include "app/program.h"

namespace gc::app {

void ShowHelp(HWND owner) {
  // No check of the value: without the key the viewer is asked for "NG".
  const std::string file = ReadConfigValue("HLPFILE", "HLPF");
  WinHelpA(owner, file.c_str(), HELP_FINDER, 0);
}

}  // namespace gc::app
