#include "app/startup_rules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gc::app {
namespace {

TEST(ConfigFilePath, ExtensionReplacedBy00Ini) {
  struct Case {
    const char* program;
    const char* config;
  } cases[] = {
      {"C:\\Tools\\TORVEN.exe", "C:\\Tools\\TORVEN00.ini"},       {"a.b.exe", "a.b00.ini"},
      {"C:\\Tools\\TORVEN", "C:\\Tools\\TORVEN00.ini"},           {"TORVEN", "TORVEN00.ini"},
      {"C:\\my.tools\\TORVEN", "C:\\my.tools\\TORVEN00.ini"},  // a folder's dot is no extension
      {"C:\\my.tools\\TORVEN.exe", "C:\\my.tools\\TORVEN00.ini"}, {"TORVEN.", "TORVEN00.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConfigFilePath(c.program), c.config) << c.program;
}

TEST(NamesFile, EmptyAndNgMeanAbsent) {
  EXPECT_FALSE(NamesFile(""));
  EXPECT_FALSE(NamesFile("NG"));
  EXPECT_TRUE(NamesFile("ng"));  // the default is compared exactly
  EXPECT_TRUE(NamesFile("TORVEN_EN.dll"));
}

TEST(ChooseUsbLibrary, ByMajorMinorAndPlatform) {
  struct Case {
    unsigned major, minor, platform;
    bool mayRun;
    const char* library;
  } cases[] = {
      {5, 0, 2, true, "TORVEN_2k.dll"},  {5, 1, 2, true, "TORVEN_2k.dll"},
      {5, 2, 2, true, "TORVEN_2k.dll"},  {4, 10, 1, true, "TORVEN_98.dll"},
      {4, 90, 1, true, "TORVEN_98.dll"}, {4, 0, 2, true, nullptr},
      {4, 0, 1, false, nullptr},         {6, 0, 2, false, nullptr},
      {6, 1, 2, false, nullptr},         {10, 0, 2, false, nullptr},
      {3, 51, 2, false, nullptr},
  };
  for (const Case& c : cases) {
    const UsbLibraryChoice got = ChooseUsbLibrary(c.major, c.minor, c.platform);
    SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " platform " << c.platform);
    EXPECT_EQ(got.mayRun, c.mayRun);
    if (c.library) {
      ASSERT_NE(got.fileName, nullptr);
      EXPECT_STREQ(got.fileName, c.library);
    } else {
      EXPECT_EQ(got.fileName, nullptr);
    }
  }
}

}  // namespace
}  // namespace gc::app
