// The help command: the help file that the configuration names, at its contents.
#pragma once
#include <windows.h>

namespace gc::app {

void ShowHelp(HWND owner);

}  // namespace gc::app
