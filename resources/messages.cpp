#include "resources/messages.h"

namespace gc {

const char* MessageText(int id) {
  switch (id) {
#define GC_MESSAGE(n, text) \
  case n:                   \
    return text;
#include "resources/messages.inc"
#undef GC_MESSAGE
  }
  return nullptr;
}

}  // namespace gc
