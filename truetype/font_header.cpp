// The font header of a TrueType-scalable soft font: the 72-byte descriptor,
// then the CC, CP, GT and PA segments and the null segment with the checksum.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "pcl/font_descriptor.h"
#include "truetype/name_table.h"
#include "truetype/soft_font.h"

namespace gc {

namespace {

constexpr size_t kDescriptorSize = 72;
using Descriptor = std::array<uint8_t, kDescriptorSize>;

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}
void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value >> 16);
  Put16(at + 2, value);
}
uint32_t Rounded4(uint32_t n) {
  return (n + 3u) & ~3u;
}

// The tables of the GT segment, in the order they are listed and sent; gdir is
// listed with nothing in it.
struct GlobalTable {
  uint32_t tag;
  const TableRef* ref;  // nullptr for gdir
};
std::vector<GlobalTable> GlobalTables(const FontImage& image) {
  std::vector<GlobalTable> list;
  auto add = [&](Tag tag) { list.push_back({TagValue(tag), &image.ref(tag)}); };
  if (image.Has(Tag::Cvt)) add(Tag::Cvt);
  if (image.Has(Tag::Fpgm)) add(Tag::Fpgm);
  list.push_back({0x67646972u /* gdir */, nullptr});
  for (Tag tag : {Tag::Head, Tag::Hhea, Tag::Hmtx, Tag::Maxp}) add(tag);
  if (image.Has(Tag::Prep)) add(Tag::Prep);
  return list;
}

uint64_t GlobalTablesLength(const FontImage& image) {
  std::vector<GlobalTable> list = GlobalTables(image);
  uint64_t length = 12 + 16 * uint64_t{list.size()};
  for (const GlobalTable& t : list)
    if (t.ref) length += Rounded4(t.ref->length);
  return length;
}

// The copyright text for the CP segment; false when the font has no decodable one.
bool CopyrightText(const FontImage& image, std::string* text) {
  int record = FindNameRecord(image, kNameCopyright);
  return record >= 0 && DecodeNameRecord(image, record, text);
}

// Bytes 5 and 6 of the file name "00" with symbol set 0 keep the unbound type.
uint8_t FontType(const FontImage& image) {
  if (!image.Has(Tag::Pclt)) return 11;
  ByteView pclt = image.Table(Tag::Pclt);
  bool unbound = pclt.U8(48) == '0' && pclt.U8(49) == '0' && pclt.U16(18) == 0;
  return unbound ? 11 : 2;
}

// The fixed-pitch rule for fonts without PCLT.
uint16_t FixedPitchXHeight(const Conversion& c) {
  ByteView os2 = c.image.Table(Tag::Os2);
  if (os2.U16(0) >= 2) return os2.U16(86);
  uint16_t glyph;
  GlyphHeader header;
  if (!LookupGlyph(c.image, 'x', c.cmap, &glyph, &header)) return 0;
  return static_cast<uint16_t>(header.yMax() - header.yMin());
}
// The advance width of hmtx entry `glyph` (glyphs past the last entry share it).
uint16_t AdvanceWidth(const FontImage& image, uint32_t glyph) {
  uint32_t n = image.Table(Tag::Hhea).U16(34);
  return image.Table(Tag::Hmtx).U16(4 * uint64_t{glyph < n ? glyph : n - 1});
}
uint16_t FixedPitch(const Conversion& c) {
  uint32_t n = c.image.Table(Tag::Hhea).U16(34);
  if (n == 1 || n == 2) return AdvanceWidth(c.image, n - 1);
  uint16_t glyph;
  GlyphHeader header;
  if (!LookupGlyph(c.image, 32, c.cmap, &glyph, &header)) return c.image.Table(Tag::Head).U16(18);
  return AdvanceWidth(c.image, glyph);
}
// The space is never sent, so the printer advances over it by the font's
// default HMI, the pitch field: the width of the space, or a quarter em.
uint16_t ProportionalPitch(const Conversion& c) {
  uint16_t glyph;
  GlyphHeader header;
  uint16_t width = 0;
  if (LookupGlyph(c.image, 32, c.cmap, &glyph, &header)) width = AdvanceWidth(c.image, glyph);
  return width ? width : static_cast<uint16_t>(c.image.Table(Tag::Head).U16(18) / 4);
}

// The 16-byte font name and the typeface number for a font without PCLT.
void NameAndTypeface(const Conversion& c, uint8_t* name16, uint16_t* typeface) {
  std::memset(name16, ' ', 16);
  *typeface = 0;
  std::string text;
  int full = FindNameRecord(c.image, kNameFullName);
  if (full >= 0) {
    if (!DecodeNameRecord(c.image, full, &text)) return;
    *typeface = TypefaceHash(text.data(), text.size());
  }
  uint16_t wanted;
  if (!DisplayNameId(c.image, &wanted)) return;
  int record = FindNameRecord(c.image, wanted);
  if (record < 0 || !DecodeNameRecord(c.image, record, &text)) return;
  if (*typeface == 0) *typeface = TypefaceHash(text.data(), text.size());
  std::memcpy(name16, text.data(), text.size() < 16 ? text.size() : 16);
}

// A name the printer cannot show is replaced by the download name.
void SettleFontName(uint8_t* name16, const char* downloadName) {
  bool printable = true, blank = true;
  for (int i = 0; i < 16; ++i) {
    if (name16[i] < 0x20 || name16[i] > 0x7F) printable = false;
    if (name16[i] != ' ') blank = false;
  }
  if (printable && !blank) return;
  std::memset(name16, ' ', 16);
  size_t n = downloadName ? strnlen(downloadName, 16) : 0;
  std::memcpy(name16, downloadName, n);
}

Descriptor BuildDescriptor(const Conversion& c) {
  const FontImage& image = c.image;
  ByteView head = image.Table(Tag::Head), post = image.Table(Tag::Post);
  ByteView pclt = image.Table(Tag::Pclt);
  bool hasPclt = image.Has(Tag::Pclt);
  bool fixed = post.U32(12) != 0;
  Descriptor d{};
  uint8_t* p = d.data();
  Put16(p + 0, kDescriptorSize);
  p[2] = c.headerFormat;
  p[3] = FontType(image);
  Put16(p + 8, static_cast<uint16_t>(head.S16(40) - head.S16(36)));
  Put16(p + 10, static_cast<uint16_t>(head.S16(42) - head.S16(38)));
  p[13] = fixed ? 0 : 1;
  p[28] = 2;
  Put16(p + 38, c.lastCode);
  std::memcpy(p + 64, head.data() + 18, 2);  // unitsPerEm
  std::memcpy(p + 66, post.data() + 8, 4);   // underline position and thickness
  p[70] = 1;
  if (hasPclt) {
    p[4] = pclt.U8(12);  // style
    p[23] = pclt.U8(13);
    std::memcpy(p + 14, pclt.data() + 18, 2);  // symbol set
    std::memcpy(p + 16, pclt.data() + 8, 2);   // pitch
    std::memcpy(p + 20, pclt.data() + 10, 2);  // x-height
    p[24] = pclt.U8(50);                       // stroke weight
    p[25] = pclt.U8(15);                       // typeface family
    p[26] = pclt.U8(14);
    p[27] = pclt.U8(52);                       // serif style
    std::memcpy(p + 42, pclt.data() + 16, 2);  // cap height
    std::memcpy(p + 44, pclt.data() + 4, 4);   // font number
    p[44] |= 0x80;
    std::memcpy(p + 48, pclt.data() + 20, 16);  // typeface name
  } else {
    if (fixed) {
      Put16(p + 16, FixedPitch(c));
      Put16(p + 20, FixedPitchXHeight(c));
    } else {
      Put16(p + 16, ProportionalPitch(c));
    }
    uint16_t typeface;
    NameAndTypeface(c, p + 48, &typeface);
    p[25] = static_cast<uint8_t>(typeface);
    p[26] = static_cast<uint8_t>(typeface >> 8);
    Put32(p + 44, 0x80000000u);
  }
  SettleFontName(p + 48, c.downloadName.c_str());
  return d;
}

// The descriptor as the rest of the program reads it: multi-byte fields in host order.
FontDescriptorRecord HostOrder(const Descriptor& d) {
  FontDescriptorRecord record;
  std::memcpy(record.bytes, d.data(), d.size());
  static constexpr int k16[] = {fd::kDescriptorSize,
                                fd::kBaseline,
                                fd::kCellWidth,
                                fd::kCellHeight,
                                fd::kSymbolSet,
                                fd::kPitch,
                                fd::kHeight,
                                fd::kXHeight,
                                fd::kTextHeight,
                                fd::kTextWidth,
                                fd::kFirstCode,
                                fd::kLastCode,
                                fd::kCapHeight,
                                64,
                                66,
                                68};
  for (int at : k16) record.SetU16(at, static_cast<uint16_t>((d[at] << 8) | d[at + 1]));
  record.SetU32(fd::kFontNumber,
                (uint32_t{d[44]} << 24) | (uint32_t{d[45]} << 16) | (uint32_t{d[46]} << 8) | d[47]);
  return record;
}

// Writes pieces and keeps the running checksum of the bytes it is asked to sum.
// Format 15 gives each segment a 16-bit size, format 16 a 32-bit one.
class HeaderOut {
 public:
  HeaderOut(StreamWriter& out, uint8_t format) : out_(out), wideSizes_(format == 16) {}
  int Summed(const void* bytes, size_t length) {
    const uint8_t* b = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < length; ++i) sum_ = static_cast<uint8_t>(sum_ + b[i]);
    return out_.Put(bytes, length);
  }
  int Segment(const char id[2], uint32_t size) {
    uint8_t h[6] = {static_cast<uint8_t>(id[0]), static_cast<uint8_t>(id[1])};
    if (wideSizes_)
      Put32(h + 2, size);
    else
      Put16(h + 2, size);
    return Summed(h, wideSizes_ ? 6 : 4);
  }
  uint8_t checksum() const { return static_cast<uint8_t>(256 - sum_); }

 private:
  StreamWriter& out_;
  bool wideSizes_;
  uint8_t sum_ = 0;
};

int WriteGlobalTables(const FontImage& image, HeaderOut& out) {
  std::vector<GlobalTable> list = GlobalTables(image);
  uint32_t n = static_cast<uint32_t>(list.size());
  uint32_t power = 1, log2 = 0;
  while (power * 2 <= n) power *= 2, ++log2;
  std::vector<uint8_t> directory(12 + 16 * n, 0);
  uint8_t* p = directory.data();
  Put32(p, 0x00010000u);
  Put16(p + 4, n);
  Put16(p + 6, 16 * power);
  Put16(p + 8, log2);
  Put16(p + 10, 16 * n - 16 * power);
  uint32_t offset = 12 + 16 * n;
  for (uint32_t i = 0; i < n; ++i) {
    uint8_t* e = p + 12 + 16 * i;
    Put32(e, list[i].tag);
    if (!list[i].ref) continue;  // gdir: all zero
    Put32(e + 4, list[i].ref->checksum);
    Put32(e + 8, offset);
    Put32(e + 12, list[i].ref->length);
    offset += Rounded4(list[i].ref->length);
  }
  int code = out.Segment("GT", static_cast<uint32_t>(GlobalTablesLength(image)));
  if (code == 0) code = out.Summed(directory.data(), directory.size());
  static constexpr uint8_t kZeros[3] = {};
  for (const GlobalTable& t : list) {
    if (code != 0 || !t.ref) continue;
    code = out.Summed(t.ref->location, t.ref->length);
    uint32_t pad = Rounded4(t.ref->length) - t.ref->length;
    if (code == 0 && pad) code = out.Summed(kZeros, pad);
  }
  return code;
}

}  // namespace

uint8_t FontHeaderFormat(const FontImage& image) {
  uint64_t largest = GlobalTablesLength(image);
  std::string copyright;
  if (image.Has(Tag::Pclt) && CopyrightText(image, &copyright))
    largest = std::max<uint64_t>(largest, Rounded4(static_cast<uint32_t>(copyright.size())));
  if (largest <= 0xFFFF) return 15;
  return largest <= 0xFFFFFFFFu ? 16 : 0;
}

int WriteFontHeader(Conversion& c, StreamWriter& sink) {
  const FontImage& image = c.image;
  Descriptor d = BuildDescriptor(c);
  c.descriptor = HostOrder(d);
  HeaderOut out(sink, c.headerFormat);
  // The checksum covers everything from the descriptor's scale factor on.
  int code = sink.Put(d.data(), 64);
  if (code == 0) code = out.Summed(d.data() + 64, 8);

  if (code == 0) code = out.Segment("CC", 8);
  static constexpr uint8_t kUnboundComplement[8] = {0, 0, 0, 0, 0, 0, 0, 6};
  if (code == 0)
    code = out.Summed(
        image.Has(Tag::Pclt) ? image.Table(Tag::Pclt).data() + 36 : kUnboundComplement, 8);

  std::string copyright;
  if (code == 0 && image.Has(Tag::Pclt) && CopyrightText(image, &copyright)) {
    uint32_t size = Rounded4(static_cast<uint32_t>(copyright.size()));
    copyright.resize(size, '\0');
    code = out.Segment("CP", size);
    if (code == 0) code = out.Summed(copyright.data(), copyright.size());
  }

  if (code == 0) code = WriteGlobalTables(image, out);

  if (code == 0) code = out.Segment("PA", 12);
  uint8_t panose[12] = {};
  std::memcpy(panose, image.Table(Tag::Os2).data() + 32, 10);
  if (code == 0) code = out.Summed(panose, sizeof panose);

  // The null segment and the reserved byte are summed too: bytes 64 through the
  // checksum byte add up to 0 modulo 256.
  if (code == 0) code = out.Segment("\xFF\xFF", 0);
  static constexpr uint8_t kReserved = 0;
  if (code == 0) code = out.Summed(&kReserved, 1);
  uint8_t checksum = out.checksum();
  if (code == 0) code = sink.Put(&checksum, 1);

  return code;
}

}  // namespace gc
