// The About box (dialog 100).
#pragma once
#include <windows.h>

namespace gc::app {

void RunAboutBox(HWND owner);

}  // namespace gc::app
