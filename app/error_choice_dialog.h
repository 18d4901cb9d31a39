// The Ignore / Ignore all / Stop dialog (168) that a command shows when one
// step of many fails and the user may go on.
#pragma once
#include <windows.h>

#include <string>

#include "os/ui.h"

namespace gc::app {

// Shows `text` with the system's warning icon; Ignore, Ignore all or Stop
// (also Escape and the close box). Stop when the dialog cannot be shown.
os::ErrorChoice RunErrorChoiceDialog(HWND owner, const std::string& text);

}  // namespace gc::app
