// The "name" table: record lookup, decoding to the ANSI code page, the typeface hash.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "os/byte_view.h"
#include "truetype/font_image.h"

namespace gc {

inline constexpr uint16_t kNameCopyright = 0, kNameFamily = 1, kNameSubfamily = 2,
                          kNameFullName = 4;

// The record array and every string lie inside the table.
bool NameTableIsSound(ByteView name);

// The record to use for `nameId`: a Macintosh one first, else the first on any
// platform; -1 when there is none.
int FindNameRecord(const FontImage& image, uint16_t nameId);

// Record `record` as 8-bit text in the ANSI code page. False when its encoding
// is not one that can be decoded.
bool DecodeNameRecord(const FontImage& image, int record, std::string* text);

// The name ID a font goes by: the family name after a subfamily starting with
// "Regular", else the full name (also when there is no subfamily record).
// False when the subfamily record cannot be decoded.
bool DisplayNameId(const FontImage& image, uint16_t* nameId);

// A 16-bit typeface number from a name: 0xF000 to 0xFFFE.
uint16_t TypefaceHash(const char* text, size_t length);

}  // namespace gc
