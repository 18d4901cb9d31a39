#include "sample/date_time_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace gc {
namespace {

constexpr std::time_t kBillennium = 1000000000;  // 2001-09-09 01:46:40 UTC

#ifndef _WIN32
TEST(DateTimeText, CLocaleStandardFormInLocalTime) {
  setenv("TZ", "UTC0", 1);
  setenv("LC_ALL", "C", 1);
  tzset();
  EXPECT_EQ(FormatLocalDateTime(kBillennium), "Sun Sep  9 01:46:40 2001");
  setenv("TZ", "JST-9", 1);
  tzset();
  EXPECT_EQ(FormatLocalDateTime(kBillennium), "Sun Sep  9 10:46:40 2001");
  unsetenv("TZ");
  unsetenv("LC_ALL");
  tzset();
}
#else
TEST(DateTimeText, UserLocaleDateAndTime) {
  // The user's short date and time: the minutes and seconds survive any
  // whole-hour zone, and a date and a time are both there.
  std::string text = FormatLocalDateTime(kBillennium);
  EXPECT_NE(text.find("46:40"), std::string::npos) << text;
  EXPECT_NE(text.find(' '), std::string::npos) << text;
  EXPECT_EQ(FormatLocalDateTime(-1), "");
}
#endif

TEST(DateTimeText, NowIsNotEmpty) {
  EXPECT_FALSE(CurrentLocalDateTime().empty());
}

}  // namespace
}  // namespace gc
