#include "sample/date_time_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>

#include <clocale>
#endif

namespace gc {

#ifdef _WIN32

// The user's short date and time formats, as the C runtime's %c gives them in
// the user locale, without switching the process locale (printf's decimal
// point must stay a period for the PCL numbers).
std::string FormatLocalDateTime(std::time_t when) {
  if (when < 0) return {};
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<ULONGLONG>(when) * 10000000ULL + 116444736000000000ULL;
  FILETIME utcFile{ticks.LowPart, ticks.HighPart};
  FILETIME localFile;
  SYSTEMTIME local;
  // FileTimeToLocalFileTime, which Windows 98 has too; it applies today's
  // daylight rule rather than the one in force at `when` (the page shows now).
  if (!FileTimeToLocalFileTime(&utcFile, &localFile) || !FileTimeToSystemTime(&localFile, &local))
    return {};
  char date[128], time[128];
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, sizeof date) ==
          0 ||
      GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, sizeof time) == 0)
    return {};
  return std::string(date) + " " + time;
}

#else

// strftime_l with the environment's LC_TIME, so the process locale stays "C".
std::string FormatLocalDateTime(std::time_t when) {
  std::tm local{};
  if (!localtime_r(&when, &local)) return {};
  locale_t timeLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (!timeLocale) timeLocale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  if (!timeLocale) return {};
  char text[256];
  size_t length = strftime_l(text, sizeof text, "%c", &local, timeLocale);
  freelocale(timeLocale);
  return std::string(text, length);
}

#endif

std::string CurrentLocalDateTime() {
  return FormatLocalDateTime(std::time(nullptr));
}

}  // namespace gc
