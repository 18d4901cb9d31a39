#include "resources/messages.h"

namespace gc {

namespace {
MessageSource currentSource = nullptr;
}

const char* BuiltinMessageText(int id) {
  switch (id) {
#define GC_MESSAGE(n, name, text) \
  case n:                   \
    return text;
#include "resources/messages.inc"
#undef GC_MESSAGE
  }
  return nullptr;
}

const char* MessageText(int id) {
  return currentSource ? currentSource(id) : BuiltinMessageText(id);
}

void SetMessageSource(MessageSource source) {
  currentSource = source;
}

bool FormatMessageText(int id, const int (&numbers)[3], std::string* text) {
  const char* format = MessageText(id);
  if (!format) return false;
  std::string out;
  int next = 0;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out += *p;
    } else if (p[1] == '%') {
      out += '%';
      ++p;
    } else if (p[1] == 'd' && next < 3) {
      out += std::to_string(numbers[next++]);
      ++p;
    } else if (p[1] >= '1' && p[1] <= '3') {
      out += std::to_string(numbers[p[1] - '1']);
      ++p;
    } else {
      out += '%';
    }
  }
  *text = out;
  return true;
}

}  // namespace gc
