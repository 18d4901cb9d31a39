// Which main-window buttons an event enables or disables, as a function of the
// window's state. The Win32 window reads its state, asks, and applies.
#pragma once
#include <vector>

namespace gc::app {

enum class WindowEvent {
  PrinterSelectionChanged,
  ItemSelectionChanged,
  PrintCheckClicked,
  ItemAdded,
  ItemListEmptied,
  ImportStarted,
  ImportEnded,
  PrinterRemovedNoSelection,
};

struct WindowState {
  int selectedPrinters = 0;
  int itemCount = 0;
  int selectedItems = 0;
  bool printChecked = false;
};

struct EnableChange {
  int controlId;
  bool enabled;
  bool operator==(const EnableChange&) const = default;
};

// The changes in a fixed order; controls not listed keep their state.
std::vector<EnableChange> EnableChanges(WindowEvent event, const WindowState& state);

// The printer list's horizontal extent for its widest entry: 0.8 times the
// width, fraction dropped.
int HorizontalExtent(int widestEntryWidth);

}  // namespace gc::app
