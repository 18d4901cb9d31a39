#include "os/registry.h"

namespace gc::os {

RegistryPort* SystemRegistry() {
  return nullptr;
}

}  // namespace gc::os
