#include "truetype/font_name.h"

#include <cstring>
#include <string>

#include "truetype/cmap.h"
#include "truetype/font_image.h"
#include "truetype/name_table.h"

namespace gc {

int ReadTrueTypeFontName(ByteView file, char* buffer, size_t capacity, uint32_t face,
                         int* cmapFormat) {
  if (file.empty()) return -3;
  FontImage image(file);
  ParseTableDirectory(image, face);
  if (!HasRequiredTables(image)) return -1;
  *cmapFormat = SelectCmapSubtable(image).format;

  uint16_t wanted;
  if (!DisplayNameId(image, &wanted)) return 0;
  int record = FindNameRecord(image, wanted);
  if (record < 0) return capacity ? static_cast<int>(strnlen(buffer, capacity)) : 0;
  std::string name;
  if (!DecodeNameRecord(image, record, &name)) return -1;
  if (capacity == 0) return 0;
  size_t n = name.size() < capacity - 1 ? name.size() : capacity - 1;
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(std::strlen(buffer));
}

}  // namespace gc
