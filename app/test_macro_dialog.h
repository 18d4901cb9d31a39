// The "Test macro" dialog (144): the control ID of the macro to run.
#pragma once

namespace gc::app {

struct MainWindow;

// True on Print with a valid control ID in `controlId`; false on Cancel.
bool RunTestMacroDialog(MainWindow& window, int* controlId);

}  // namespace gc::app
