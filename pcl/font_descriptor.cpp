#include "pcl/font_descriptor.h"

#include <cstring>

namespace gc {

uint16_t FontDescriptorRecord::U16(int offset) const {
  uint16_t v;
  std::memcpy(&v, bytes + offset, 2);
  return v;
}
uint32_t FontDescriptorRecord::U32(int offset) const {
  uint32_t v;
  std::memcpy(&v, bytes + offset, 4);
  return v;
}
void FontDescriptorRecord::SetU16(int offset, uint16_t value) {
  std::memcpy(bytes + offset, &value, 2);
}
void FontDescriptorRecord::SetU32(int offset, uint32_t value) {
  std::memcpy(bytes + offset, &value, 4);
}

}  // namespace gc
