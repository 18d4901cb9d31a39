#include "jobs/download_rules.h"

#include <gtest/gtest.h>

namespace gc {
namespace {

TEST(CharsPerLine, OnlyPlainIntegersFrom0To100) {
  struct Case {
    const char* text;
    bool valid;
    int n;
  } cases[] = {
      {"0", true, 0},    {"1", true, 1},    {"16", true, 16},          {"100", true, 100},
      {"101", false, 0}, {"-1", false, 0},  {"007", false, 0},         {"1.5", false, 0},
      {"", false, 0},    {" 5", false, 0},  {"5 ", false, 0},          {"+5", false, 0},
      {"-0", false, 0},  {"abc", false, 0}, {"99999999999", false, 0},
  };
  for (const Case& c : cases) {
    int n = -7;
    EXPECT_EQ(CharsPerLineValid(c.text, &n), c.valid) << '"' << c.text << '"';
    EXPECT_EQ(n, c.valid ? c.n : -7) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace gc
