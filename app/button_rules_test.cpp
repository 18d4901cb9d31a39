#include "app/button_rules.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace gc::app {
namespace {

using Changes = std::vector<EnableChange>;

WindowState State(int printers, int items, int selectedItems = 0, bool print = false) {
  return {printers, items, selectedItems, print};
}

TEST(EnableChanges, PrinterSelection) {
  // With a selection the four printer commands come on; Download comes on with items.
  EXPECT_EQ(EnableChanges(WindowEvent::PrinterSelectionChanged, State(2, 3)),
            (Changes{{IDC_DELETE_ALL, true},
                     {IDC_DOWNLOAD_FILE, true},
                     {IDC_TEST_MACRO, true},
                     {IDC_REMOVE_PRINTER, true},
                     {IDC_DOWNLOAD, true}}));
  EXPECT_EQ(EnableChanges(WindowEvent::PrinterSelectionChanged, State(1, 0)),
            (Changes{{IDC_DELETE_ALL, true},
                     {IDC_DOWNLOAD_FILE, true},
                     {IDC_TEST_MACRO, true},
                     {IDC_REMOVE_PRINTER, true}}));
  // Deselecting everything leaves Download enabled while items are listed.
  EXPECT_EQ(EnableChanges(WindowEvent::PrinterSelectionChanged, State(0, 3)),
            (Changes{{IDC_DELETE_ALL, false},
                     {IDC_DOWNLOAD_FILE, false},
                     {IDC_TEST_MACRO, false},
                     {IDC_REMOVE_PRINTER, false},
                     {IDC_DOWNLOAD, true}}));
  EXPECT_EQ(EnableChanges(WindowEvent::PrinterSelectionChanged, State(0, 0)),
            (Changes{{IDC_DELETE_ALL, false},
                     {IDC_DOWNLOAD_FILE, false},
                     {IDC_TEST_MACRO, false},
                     {IDC_REMOVE_PRINTER, false}}));
}

TEST(EnableChanges, ItemSelectionAndPrintCheck) {
  EXPECT_EQ(EnableChanges(WindowEvent::ItemSelectionChanged, State(0, 4, 1)),
            (Changes{{IDC_REMOVE_FROM_LIST, true}}));
  EXPECT_EQ(EnableChanges(WindowEvent::ItemSelectionChanged, State(3, 4, 0)),
            (Changes{{IDC_REMOVE_FROM_LIST, false}}));
  EXPECT_EQ(EnableChanges(WindowEvent::PrintCheckClicked, State(0, 0, 0, true)),
            (Changes{{IDC_CHARS_PER_LINE_LABEL, true}, {IDC_CHARS_PER_LINE, true}}));
  EXPECT_EQ(EnableChanges(WindowEvent::PrintCheckClicked, State(1, 1, 1, false)),
            (Changes{{IDC_CHARS_PER_LINE_LABEL, false}, {IDC_CHARS_PER_LINE, false}}));
}

TEST(EnableChanges, ItemAddedAndListEmptied) {
  EXPECT_EQ(
      EnableChanges(WindowEvent::ItemAdded, State(1, 1)),
      (Changes{{IDC_EXPORT_TO_FILE, true}, {IDC_EXPORT_SETTING, true}, {IDC_DOWNLOAD, true}}));
  EXPECT_EQ(EnableChanges(WindowEvent::ItemAdded, State(0, 1)),
            (Changes{{IDC_EXPORT_TO_FILE, true}, {IDC_EXPORT_SETTING, true}}));
  EXPECT_EQ(
      EnableChanges(WindowEvent::ItemListEmptied, State(2, 0)),
      (Changes{{IDC_DOWNLOAD, false}, {IDC_EXPORT_TO_FILE, false}, {IDC_EXPORT_SETTING, false}}));
}

TEST(EnableChanges, SettingFileImport) {
  EXPECT_EQ(EnableChanges(WindowEvent::ImportStarted, State(1, 5, 2)),
            (Changes{{IDC_EXPORT_SETTING, false}, {IDC_REMOVE_FROM_LIST, false}}));
  struct Case {
    int printers, items;
    Changes want;
  } cases[] = {
      {1, 2, {{IDC_DOWNLOAD, true}}},
      {0, 2, {{IDC_DOWNLOAD, false}}},
      {1, 0, {{IDC_DOWNLOAD, false}, {IDC_EXPORT_TO_FILE, false}}},
      {0, 0, {{IDC_DOWNLOAD, false}, {IDC_EXPORT_TO_FILE, false}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EnableChanges(WindowEvent::ImportEnded, State(c.printers, c.items)), c.want)
        << c.printers << " printers, " << c.items << " items";
}

TEST(EnableChanges, PrinterRemovedLeavingNoSelection) {
  EXPECT_EQ(EnableChanges(WindowEvent::PrinterRemovedNoSelection, State(0, 3)),
            (Changes{{IDC_DOWNLOAD, false},
                     {IDC_DELETE_ALL, false},
                     {IDC_DOWNLOAD_FILE, false},
                     {IDC_TEST_MACRO, false},
                     {IDC_REMOVE_PRINTER, false}}));
}

TEST(HorizontalExtent, FourFifthsOfTheWidestEntry) {
  EXPECT_EQ(HorizontalExtent(500), 400);
  EXPECT_EQ(HorizontalExtent(7), 5);  // 5.6, fraction dropped
  EXPECT_EQ(HorizontalExtent(1), 0);
  EXPECT_EQ(HorizontalExtent(0), 0);
}

}  // namespace
}  // namespace gc::app
