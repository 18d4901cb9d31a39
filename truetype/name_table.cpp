#include "truetype/name_table.h"

#include <cstring>

#include "os/codepage.h"

namespace gc {

namespace {
constexpr uint64_t kRecordSize = 12;
uint64_t RecordAt(uint32_t i) {
  return 6 + kRecordSize * i;
}
}  // namespace

bool NameTableIsSound(ByteView name) {
  uint32_t count = name.U16(2);
  uint32_t storage = name.U16(4);
  if (!name.Has(0, 6 + kRecordSize * count) || storage > name.size()) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t at = RecordAt(i);
    if (!name.Has(uint64_t{storage} + name.U16(at + 10), name.U16(at + 8))) return false;
  }
  return true;
}

int FindNameRecord(const FontImage& image, uint16_t nameId) {
  ByteView name = image.Table(Tag::Name);
  uint32_t count = name.Has(0, 6) ? name.U16(2) : 0;
  for (uint32_t i = 0; i < count; ++i)
    if (name.U16(RecordAt(i) + 6) == nameId && name.U16(RecordAt(i)) == 1)
      return static_cast<int>(i);
  for (uint32_t i = 0; i < count; ++i)
    if (name.U16(RecordAt(i) + 6) == nameId) return static_cast<int>(i);
  return -1;
}

bool DecodeNameRecord(const FontImage& image, int record, std::string* text) {
  text->clear();
  ByteView name = image.Table(Tag::Name);
  if (record < 0 || !name.Has(RecordAt(static_cast<uint32_t>(record)), kRecordSize)) return false;
  uint64_t at = RecordAt(static_cast<uint32_t>(record));
  uint16_t platform = name.U16(at), encoding = name.U16(at + 2);
  ByteView bytes = name.Sub(uint64_t{name.U16(4)} + name.U16(at + 10), name.U16(at + 8));
  if (platform == 1) {
    text->assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
  }
  if (platform == 0 || (platform == 3 && encoding == 1)) {
    size_t units = bytes.size() / 2;
    text->reserve(units);
    for (size_t i = 0; i < units; ++i) text->push_back(os::AnsiByteForUnit(bytes.U16(2 * i)));
    return true;
  }
  return false;
}

bool DisplayNameId(const FontImage& image, uint16_t* nameId) {
  *nameId = kNameFullName;
  int subfamily = FindNameRecord(image, kNameSubfamily);
  if (subfamily < 0) return true;
  std::string text;
  if (!DecodeNameRecord(image, subfamily, &text)) return false;
  if (text.compare(0, 7, "Regular") == 0) *nameId = kNameFamily;
  return true;
}

uint16_t TypefaceHash(const char* text, size_t length) {
  uint32_t sum = 0;
  for (size_t i = 0; i < length; ++i) {
    int32_t c = static_cast<int8_t>(text[i]);
    sum += static_cast<uint32_t>(c * static_cast<int32_t>(16 - i % 16));
  }
  return static_cast<uint16_t>(0xF000 + sum % 4095);
}

}  // namespace gc
