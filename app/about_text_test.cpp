#include "app/about_text.h"

#include <gtest/gtest.h>

namespace gc::app {
namespace {

TEST(AboutText, VersionLineFromTheVersionResource) {
  EXPECT_EQ(AboutVersionLine("1, 0, 0, 0"), "Marrowick Glyphcast Version 1.0.0.0");
  EXPECT_EQ(AboutVersionLine("2,10,0,7"), "Marrowick Glyphcast Version 2.10.0.7");
  EXPECT_EQ(AboutVersionLine(" 1 , 2 "), "Marrowick Glyphcast Version 1.2");
}

TEST(AboutText, QueryFromTheFirstTranslation) {
  EXPECT_EQ(FileVersionQuery(0x409, 1200), "\\StringFileInfo\\040904b0\\FileVersion");
  EXPECT_EQ(FileVersionQuery(0x411, 932), "\\StringFileInfo\\041103a4\\FileVersion");
}

}  // namespace
}  // namespace gc::app
