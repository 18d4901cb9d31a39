#include "items/recognize.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/messages.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui.h"

namespace gc {
namespace {

// What a file becomes when it is added: TrueType first, then a PCL5 soft font,
// and anything else is a macro; a font file that cannot be converted is
// refused, never taken for a macro.
TEST(RecognizeItem, KindOfEachFile) {
  const std::string fonts = std::string(GC_TEST_FONTS) + "/";
  const std::string samples = std::string(GC_SOURCE_TREE) + "/samples/";
  struct Case {
    std::string path;
    int result;
    ResourceType type;
  } cases[] = {
      {fonts + "regular.ttf", 0, ResourceType::TrueTypeFont},
      {fonts + "format6.ttf", 0, ResourceType::TrueTypeFont},
      {fonts + "format12.ttf", -1, {}},                // a subtable the writer does not convert
      {fonts + "empty.ttf", -1, {}},                   // cannot be read as a font at all
      {fonts + "no_such_file.ttf", -1, {}},            // cannot be opened
      {fonts + "collection.ttc", 0, ResourceType::TrueTypeFont},  // its first face
      {fonts + "cff.otf", -1, {}},                     // PostScript outlines
      {fonts + "web.woff", -1, {}},
      {fonts + "web.woff2", -1, {}},
      {fonts + "type1.pfb", -1, {}},
      {fonts + "type1.pfa", -1, {}},
      {fonts + "no_glyf.ttf", -1, {}},                 // a TrueType file missing a table
      {fonts + "sfnt_like.pcl", 0, ResourceType::PclMacro},  // no directory behind the version
      {samples + "sample.sfp", 0, ResourceType::PclFont},
      {samples + "logo.pcl", 0, ResourceType::PclMacro},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    test::RecordingUi ui;
    DownloadItem item;
    ItemState state;
    EXPECT_EQ(RecognizeItem(c.path, ItemList{}, ui, item, state), c.result);
    if (c.result == 0) {
      EXPECT_EQ(item.resourceType, static_cast<int>(c.type));
      EXPECT_TRUE(ui.shown.empty());
    } else {
      ASSERT_EQ(ui.shown.size(), 1u);
      EXPECT_EQ(ui.shown[0], "The font file is not supported format.");
    }
  }
}

// A collection's later face is read as itself; a face it lacks is refused.
TEST(RecognizeItem, FaceOfACollection) {
  const std::string collection = std::string(GC_TEST_FONTS) + "/collection.ttc";
  test::RecordingUi ui;
  DownloadItem item;
  ItemState state;
  ASSERT_EQ(RecognizeItem(collection, ItemList{}, ui, item, state, 1), 0);
  EXPECT_EQ(state.lastCmapFormat, 4);
  EXPECT_EQ(item.resourceType, static_cast<int>(ResourceType::TrueTypeFont));
  EXPECT_EQ(item.face, 1u);
  EXPECT_EQ(RecognizeItem(collection, ItemList{}, ui, item, state, 2), -1);
  EXPECT_EQ(ui.shown, std::vector<std::string>{"The font file is not supported format."});
}

// The font's own ID is taken: message 143 names it; a resource library that
// lacks the text gets the fixed text and the command ends, never a format
// read from nothing.
TEST(RecognizeItem, FontIdOverlapMessage) {
  const std::string font = test::WriteScratch(
      "idfont.sfp", "\x1b*c5D" + test::ReadAll(std::string(GC_SOURCE_TREE) + "/samples/sample.sfp"));
  DownloadItem taken;
  taken.resourceType = static_cast<int>(ResourceType::PclFont);
  taken.controlId = 5;
  taken.downloadName = "taken";
  ItemList items = {taken};
  test::RecordingUi ui;
  DownloadItem item;
  ItemState state;
  ASSERT_EQ(RecognizeItem(font, items, ui, item, state), 0);
  EXPECT_EQ(state.scannedFontIdSeen, 1);
  EXPECT_EQ(state.scannedFontId, 5);
  EXPECT_EQ(item.controlId, 6);
  EXPECT_EQ(ui.shown, std::vector<std::string>{
                          "ID 5 specified by the Font ID command overlaps.\nDefault ID is changed "
                          "into 6 from 5."});

  SetMessageSource([](int id) -> const char* { return id == 143 ? nullptr : BuiltinMessageText(id); });
  test::RecordingUi missing;
  EXPECT_EQ(RecognizeItem(font, items, missing, item, state), -1);
  SetMessageSource(nullptr);
  EXPECT_EQ(missing.shown, std::vector<std::string>{kResourceLoadFailure});
}

TEST(FormatMessageText, NumbersGoOnlyWhereTheTextAsksForThem) {
  static const char* format;
  SetMessageSource([](int) { return format; });
  struct Case {
    const char* format;
    const char* text;
  } cases[] = {
      {"ID %d overlaps: %d from %d.", "ID 1 overlaps: 2 from 3."},
      {"%1 characters at most, %1 again", "100 characters at most, 100 again"},
      {"100%% sure, %s%n%x %", "100% sure, %s%n%x %"},  // never read as conversions
      {"%d %d %d %d", "1 2 3 %d"},
  };
  for (const Case& c : cases) {
    format = c.format;
    std::string text;
    int numbers[3] = {c.format[1] == '1' ? 100 : 1, 2, 3};
    ASSERT_TRUE(FormatMessageText(7, numbers, &text));
    EXPECT_EQ(text, c.text);
  }
  format = nullptr;
  std::string untouched = "x";
  EXPECT_FALSE(FormatMessageText(7, {1, 2, 3}, &untouched));
  EXPECT_EQ(untouched, "x");
  SetMessageSource(nullptr);
}

}  // namespace
}  // namespace gc
