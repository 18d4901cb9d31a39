#include "items/settings_file.h"

#include <gtest/gtest.h>

#include "resources/messages.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui.h"

namespace gc {
namespace {

using ScriptedUi = test::RecordingUi;

const std::string kNotSetting = MessageText(167);

struct Imported {
  int result;
  std::vector<std::string> names;
  std::vector<std::string> shown;
  std::string folder;
};

Imported Import(const std::string& content, ScriptedUi& ui) {
  std::string path = test::WriteScratch("in.lst", content);
  ItemList items;
  std::string folder;
  int result = ImportSettings(path, items, folder, ui);
  Imported r{result, {}, ui.shown, folder};
  for (const DownloadItem& i : items) r.names.push_back(i.downloadName);
  return r;
}

TEST(SettingFile, ItemLines) {
  std::string font = test::WriteScratch("f.sfp", "font");
  std::string macro = test::WriteScratch("m.pcl", "macro");
  std::string commas = (test::ScratchDir() / "a,b").string();
  std::filesystem::create_directories(commas);
  std::string withCommas = test::WriteScratch("a,b/x.pcl", "x");
  struct Case {
    const char* what;
    std::string lines;
    std::vector<std::string> names;
    bool malformed;
  } cases[] = {
      {"font and macro", "A,5,2," + font + "\nB,5,0," + macro + "\n", {"A", "B"}, false},
      {"ID 007", "A,007,2," + font + "\n", {}, true},
      {"ID +7", "A,+7,2," + font + "\n", {}, true},
      {"ID 40000", "A,40000,2," + font + "\n", {}, true},
      {"type 4", "A,1,4," + font + "\n", {}, true},
      {"type -1", "A,1,-1," + font + "\n", {}, true},
      {"arial then Arial", "arial,1,2," + font + "\nArial,2,3," + font + "\n", {"arial"}, true},
      {"a macro and a font named Arial",
       "Arial,1,0," + macro + "\nArial,1,2," + font + "\n",
       {"Arial", "Arial"},
       false},
      {"two items with one ID", "A,3,2," + font + "\nB,3,3," + font + "\n", {"A", "B"}, false},
      {"a path with commas", "X,1,0," + withCommas + "\n", {"X"}, false},
      {"no final line feed", "A,1,2," + font + "\nB,2,2," + font, {"A"}, true},
      {"three fields", "A,1,2\n", {}, true},
      {"blank in the name", "my font,1,2," + font + "\n", {}, true},
  };
  for (const Case& c : cases) {
    ScriptedUi ui;
    Imported r = Import("C:\\fonts\n" + c.lines, ui);
    EXPECT_EQ(r.names, c.names) << c.what;
    EXPECT_EQ(r.result != 0, c.malformed) << c.what;
    EXPECT_EQ(r.shown,
              c.malformed ? std::vector<std::string>{kNotSetting} : std::vector<std::string>{})
        << c.what;
    EXPECT_EQ(r.folder, "C:\\fonts") << c.what;
  }
}

TEST(SettingFile, MissingFilesAskIgnoreIgnoreAllOrStop) {
  std::string font = test::WriteScratch("f2.sfp", "font");
  std::string missing = (test::ScratchDir() / "gone.sfp").string();
  std::string content =
      "\nA,"
      "1,2," +
      missing + "\nB,2,2," + font + "\nC,3,2," + missing + "\nD,4,2," + missing + "\n";
  struct Case {
    os::ErrorChoice choice;
    std::vector<std::string> names;
    size_t asked;
  } cases[] = {
      {os::ErrorChoice::Ignore, {"B"}, 3},
      {os::ErrorChoice::IgnoreAll, {"B"}, 1},
      {os::ErrorChoice::Stop, {}, 1},
  };
  for (const Case& c : cases) {
    ScriptedUi ui;
    ui.choice = c.choice;
    Imported r = Import(content, ui);
    EXPECT_EQ(r.names, c.names);
    EXPECT_EQ(ui.asked.size(), c.asked);
    EXPECT_TRUE(r.shown.empty());
  }
  // Carriage-return line ends stay in the paths: every file fails to open.
  ScriptedUi ui;
  ui.choice = os::ErrorChoice::Ignore;
  Imported r = Import("C:\\fonts\r\nA,1,2," + font + "\r\n", ui);
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(ui.asked.size(), 1u);
  EXPECT_EQ(r.folder, "C:\\fonts\r");
}

TEST(SettingFile, EmptyOrMissingFileShowsTheSystemText) {
  for (std::string content : {""}) {
    ScriptedUi ui;
    Imported r = Import(content, ui);
    EXPECT_NE(r.result, 0);
    ASSERT_EQ(r.shown.size(), 1u);
    EXPECT_NE(r.shown[0], kNotSetting);
  }
  ScriptedUi ui;
  ItemList items;
  std::string folder;
  EXPECT_NE(ImportSettings((test::ScratchDir() / "none.lst").string(), items, folder, ui), 0);
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST(SettingFile, ExportThenImportGivesTheSameList) {
  std::string font = test::WriteScratch("e.sfp", "font");
  std::string macro = test::WriteScratch("e.pcl", "macro");
  ItemList items(2);
  items.front() = {font, "Face", "", "", 3, 12};
  items.back() = {macro, "Logo", "", "", 0, 12};
  ScriptedUi ui;
  std::string path = (test::ScratchDir() / "out.lst").string();
  ASSERT_EQ(ExportSettings(path, items, "C:\\fonts", ui), 0);
  EXPECT_EQ(test::ReadAll(path),
            "C:\\fonts\nFace,12,3," + font + "\nLogo,12,0," + macro + "\n");  // three lines

  ItemList back;
  std::string folder;
  ASSERT_EQ(ImportSettings(path, back, folder, ui), 0);
  EXPECT_EQ(folder, "C:\\fonts");
  ASSERT_EQ(back.size(), 2u);
  auto a = back.begin();
  EXPECT_EQ(a->downloadName, "Face");
  EXPECT_EQ(a->controlId, 12);
  EXPECT_EQ(a->resourceType, 3);
  EXPECT_EQ(a->filePath, font);
  EXPECT_EQ(a->typeText, MessageText(127));
  EXPECT_EQ((++a)->typeText, MessageText(128));
  EXPECT_TRUE(ui.shown.empty());
}

TEST(SettingFile, ExportLeavesOutUnreadableItemsAndAFailedWriteLeavesNoFile) {
  std::string font = test::WriteScratch("x.sfp", "font");
  ItemList items(2);
  items.front() = {(test::ScratchDir() / "vanished.sfp").string(), "Gone", "", "", 2, 1};
  items.back() = {font, "Kept", "", "", 2, 2};
  ScriptedUi ui;
  std::string path = (test::ScratchDir() / "partial.lst").string();
  ASSERT_EQ(ExportSettings(path, items, "", ui), 0);
  EXPECT_EQ(test::ReadAll(path), "\nKept,2,2," + font + "\n");
  EXPECT_EQ(ui.shown.size(), 1u);  // the vanished file, reported
#ifndef _WIN32
  // A full disk: the file is a link to /dev/full, so removing it removes the link.
  std::string onFullDisk = (test::ScratchDir() / "full.lst").string();
  std::filesystem::create_symlink("/dev/full", onFullDisk);
  ScriptedUi full;
  EXPECT_NE(ExportSettings(onFullDisk, items, "C:\\fonts", full), 0);
  EXPECT_EQ(full.shown.back(), MessageText(149));
  EXPECT_FALSE(std::filesystem::is_symlink(onFullDisk));
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
#endif
}

}  // namespace
}  // namespace gc
