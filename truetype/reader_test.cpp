#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/files.h"
#include "truetype/cmap.h"
#include "truetype/font_image.h"
#include "truetype/font_name.h"
#include "truetype/name_table.h"

namespace gc {
namespace {

std::string Font(const std::string& name) {
  return std::string(GC_TEST_FONTS) + "/" + name;
}

ByteView View(const test::Bytes& bytes) {
  return ByteView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A test font's bytes, kept for the whole run so that views of them stay valid.
ByteView FontBytes(const std::string& name) {
  static std::map<std::string, test::Bytes> loaded;
  auto [at, fresh] = loaded.try_emplace(name);
  if (fresh) at->second = test::ReadAll(Font(name));
  return View(at->second);
}

int ReadName(ByteView file, char* buffer, size_t capacity, uint32_t face = 0,
             int* cmapFormat = nullptr) {
  int format = -1;
  int result = ReadTrueTypeFontName(file, buffer, capacity, face, &format);
  if (cmapFormat) *cmapFormat = format;
  return result;
}

struct NameCase {
  const char* file;
  int result;  // the returned length, or the negative verdict
  std::string name;
  int cmapFormat;  // -1: not looked at
};

TEST(TrueTypeReader, DisplayNames) {
  const std::string wide = "?mega ? ?? caf\xe9";  // one byte per UTF-16 unit
  const NameCase cases[] = {
      {"regular.ttf", 5, "Plain", 4},         // Regular: the family name
      {"bold.ttf", 10, "Plain Bold", 4},      // any other subfamily: the full name
      {"mac_name.ttf", 10, "Mac Family", 4},  // Macintosh first, wherever it stands
      {"wide_name.ttf", static_cast<int>(wide.size()), wide, 4},
      {"long_name.ttf", 200, std::string(200, 'N'), 4},
      {"no_subfamily.ttf", 10, "Full Of It", 4},
      {"format12.ttf", 5, "Plain", 12},  // read; the item list refuses it
      {"format0.ttf", 5, "Plain", 0},
      {"format6.ttf", 5, "Plain", 6},
      {"cff.otf", -1, "", -1},  // no glyf and loca
      {"collection.ttc", 5, "Plain", 4},  // the first face
      {"empty.ttf", -3, "", -1},
      {"no_such_font.ttf", -3, "", -1},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.file);
    char buffer[201] = {};
    int format = -1;
    EXPECT_EQ(ReadName(FontBytes(c.file), buffer, sizeof buffer, 0, &format), c.result);
    EXPECT_EQ(std::string(buffer), c.name);
    if (c.cmapFormat >= 0) {
      EXPECT_EQ(format, c.cmapFormat);
    }
  }
}

TEST(TrueTypeReader, FacesOfACollection) {
  char buffer[201] = {};
  EXPECT_EQ(ReadName(FontBytes("collection.ttc"), buffer, sizeof buffer, 1), 10);
  EXPECT_EQ(std::string(buffer), "Plain Bold");
  // No such face, and no second face in a single font: no tables at all.
  for (const char* file : {"collection.ttc", "regular.ttf"}) {
    SCOPED_TRACE(file);
    char none[201] = {};
    EXPECT_EQ(ReadName(FontBytes(file), none, sizeof none, 2), -1);
  }
}

TEST(TrueTypeReader, UnsupportedNameEncodings) {
  // Patch the platform of a name record in a copy of the font.
  test::Bytes font = test::ReadAll(Font("regular.ttf"));
  FontImage image(FontBytes("regular.ttf"));
  ParseTableDirectory(image);
  size_t name = image.ref(Tag::Name).offset;
  auto patchPlatform = [&](int nameId, char platform) {
    test::Bytes copy = font;
    for (int i = 0; i < 3; ++i) {
      size_t record = name + 6 + 12 * i;
      if (copy[record + 7] == nameId) copy[record + 1] = platform;  // platformID 7
    }
    static test::Bytes patched;
    patched = copy;
    return View(patched);
  };
  char buffer[201] = {};
  EXPECT_EQ(ReadName(patchPlatform(2, 7), buffer, sizeof buffer), 0);
  EXPECT_EQ(ReadName(patchPlatform(1, 7), buffer, sizeof buffer), -1);
}

TEST(TrueTypeReader, CmapPasses) {
  struct Case {
    const char* file;
    int index;
    int format;
  } cases[] = {
      {"regular.ttf", 1, 4},        // (0,3) then (3,1): Windows BMP first
      {"unicode_first.ttf", 1, 4},  // (0,3) then (3,1)
      {"symbol.ttf", 1, 4},         // (1,0) then (3,0): Symbol before Macintosh
      {"format0.ttf", 0, 0},       {"format14.ttf", 0, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    FontImage image(FontBytes(c.file));
    ParseTableDirectory(image);
    CmapChoice choice = SelectCmapSubtable(image);
    EXPECT_EQ(choice.index, c.index);
    EXPECT_EQ(choice.format, c.format);
  }
}

TEST(TrueTypeReader, LookupGlyph) {
  for (const char* file : {"regular.ttf", "format0.ttf", "format6.ttf"}) {
    SCOPED_TRACE(file);
    FontImage image(FontBytes(file));
    ParseTableDirectory(image);
    CmapChoice choice = SelectCmapSubtable(image);
    uint16_t glyph = 0;
    GlyphHeader header;
    ASSERT_TRUE(LookupGlyph(image, 'B', choice, &glyph, &header));
    EXPECT_EQ(glyph, 3);
    EXPECT_EQ(header.yMin(), -100);
    EXPECT_EQ(header.yMax(), 700);
    if (choice.format == 0) {  // every byte maps; C to the box of glyph 0
      EXPECT_TRUE(LookupGlyph(image, 'C', choice, &glyph, &header));
      EXPECT_EQ(glyph, 0);
    } else {
      EXPECT_FALSE(LookupGlyph(image, 'C', choice, &glyph, &header));
    }
    if (std::string(file) == "format6.ttf") continue;  // maps A and B only
    ASSERT_TRUE(LookupGlyph(image, 'a', choice, &glyph, &header));
    EXPECT_EQ(glyph, 2);
    // The space has no outline and is still found; an empty glyph elsewhere is not.
    ASSERT_TRUE(LookupGlyph(image, ' ', choice, &glyph, &header));
    EXPECT_EQ(glyph, 1);
  }
  FontImage image(FontBytes("empty_notdef.ttf"));
  ParseTableDirectory(image);
  EXPECT_EQ(GlyphBytes(image, 0).size(), 0u);
  EXPECT_GT(GlyphBytes(image, 6).size(), 0u);  // the composite
}

TEST(TrueTypeReader, TypefaceHash) {
  EXPECT_EQ(TypefaceHash("abc", 3), 0xF139);
  // The weights start again at 16 with every block of sixteen.
  EXPECT_EQ(TypefaceHash(std::string(17, 'a').c_str(), 17), 0xF000 + (97 * 152) % 4095);
  // Bytes above 127 count negative; the sum wraps as unsigned.
  EXPECT_EQ(TypefaceHash("\xe9", 1), 0xFF8F);
}

// Directories that do not fit the file register nothing, so the font is not TrueType.
TEST(TrueTypeReader, DirectoryBounds) {
  test::Bytes font = test::ReadAll(Font("regular.ttf"));
  struct Case {
    const char* what;
    size_t at;
    test::Bytes bytes;
  } cases[] = {
      {"numTables beyond the file", 4, "\x7f\xff"},
      {"no tables", 4, test::Bytes("\x00\x00", 2)},
      {"first table beyond the file", 12 + 8, "\x7f\xff\xff\xff"},
      {"first table longer than the file", 12 + 12, test::Bytes("\x00\xff\xff\xff", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Bytes copy = font;
    copy.replace(c.at, c.bytes.size(), c.bytes);
    char buffer[201] = {};
    EXPECT_EQ(
        ReadName(View(copy), buffer, sizeof buffer),
        -1);
  }
  // A font cut short loses the tables past the cut.
  char buffer[201] = {};
  EXPECT_EQ(
      ReadName(View(font.substr(0, font.size() / 2)),
                           buffer, sizeof buffer),
      -1);
}

}  // namespace
}  // namespace gc
