// The PCL font descriptor of a font: what the scanner finds in a soft font's
// header and the TrueType writer sends, in the form the sample page reads.
#pragma once
#include <cstdint>

namespace gc {

// 88 bytes in the layout of the PCL5 font descriptor; every multi-byte field
// in host byte order (the files hold them big-endian).
struct FontDescriptorRecord {
  uint8_t bytes[88] = {};

  uint8_t U8(int offset) const { return bytes[offset]; }
  int8_t S8(int offset) const { return static_cast<int8_t>(bytes[offset]); }
  uint16_t U16(int offset) const;
  uint32_t U32(int offset) const;
  void SetU16(int offset, uint16_t value);
  void SetU32(int offset, uint32_t value);
};

// Field offsets.
namespace fd {
inline constexpr int kDescriptorSize = 0, kHeaderFormat = 2, kFontType = 3, kStyleHigh = 4,
                     kBaseline = 6, kCellWidth = 8, kCellHeight = 10, kOrientation = 12,
                     kSpacing = 13, kSymbolSet = 14, kPitch = 16, kHeight = 18, kXHeight = 20,
                     kWidthType = 22, kStyleLow = 23, kStrokeWeight = 24, kTypefaceLow = 25,
                     kTypefaceHigh = 26, kSerifStyle = 27, kQuality = 28, kPlacement = 29,
                     kUnderlinePosition = 30, kUnderlineThickness = 31, kTextHeight = 32,
                     kTextWidth = 34, kFirstCode = 36, kLastCode = 38, kPitchExtended = 40,
                     kHeightExtended = 41, kCapHeight = 42, kFontNumber = 44, kFontName = 48;
}  // namespace fd

}  // namespace gc
