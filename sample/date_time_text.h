// The date and time printed on a sample page, in the system locale's standard
// date-and-time form.
#pragma once
#include <ctime>
#include <string>

namespace gc {

// `when` as local time in the system locale's standard form; empty when the
// time cannot be represented.
std::string FormatLocalDateTime(std::time_t when);

// The current time in that form.
std::string CurrentLocalDateTime();

// Where a page gets its date text; tests pass a fixed one.
using DateTimeText = std::string (*)();

}  // namespace gc
