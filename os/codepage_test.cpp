#include "os/codepage.h"

#include <gtest/gtest.h>

namespace gc::os {
namespace {

#ifdef _WIN32
// A unit without a single-byte form becomes the default character: in 932 a
// double-byte character does too, and so does é, which only a best fit would map.
TEST(CodePage, OneByteOrTheDefaultCharacter) {
  struct Case {
    unsigned codePage;
    uint16_t unit;
    char byte;
  } cases[] = {
      {1252, u'A', 'A'},   {1252, 0x00E9, '\xe9'}, {1252, 0x20AC, '\x80'}, {1252, 0x03A9, '?'},
      {1252, 0xD83D, '?'}, {932, u'A', 'A'},       {932, 0xFF71, '\xb1'},  // halfwidth katakana:
                                                                           // one byte
      {932, 0x3042, '?'},  {932, 0x00E9, '?'},     {932, 0x03A9, '?'},
      // UTF-8 as the ANSI code page: ASCII stays itself, the rest takes two bytes.
      {65001, u'A', 'A'},  {65001, u'_', '_'},     {65001, 0x00E9, '?'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.codePage << " U+" << std::hex << c.unit);
    EXPECT_EQ(AnsiByteForUnitIn(c.codePage, c.unit), c.byte);
  }
}
#else
// Outside Windows: Windows-1252.
TEST(CodePage, Windows1252) {
  EXPECT_EQ(AnsiByteForUnit(u'A'), 'A');
  EXPECT_EQ(AnsiByteForUnit(0x00E9), '\xe9');
  EXPECT_EQ(AnsiByteForUnit(0x20AC), '\x80');
  EXPECT_EQ(AnsiByteForUnit(0x0081), '\x81');
  EXPECT_EQ(AnsiByteForUnit(0x03A9), '?');
  EXPECT_EQ(AnsiByteForUnit(0xD83D), '?');
}
#endif

}  // namespace
}  // namespace gc::os
