#include "os/spooler.h"

namespace gc::os {

SpoolerPort* SystemSpooler() { return nullptr; }

}  // namespace gc::os
