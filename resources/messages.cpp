#include "resources/messages.h"

namespace gc {

namespace {
MessageSource currentSource = nullptr;
}

const char* BuiltinMessageText(int id) {
  switch (id) {
#define GC_MESSAGE(n, text) \
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

}  // namespace gc
