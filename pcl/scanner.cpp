#include "pcl/scanner.h"

#include <cstdio>
#include <cstring>

#include "pcl/font_descriptor.h"

namespace gc {

namespace {

constexpr int kEsc = 27;
constexpr double kValueLimit = 2147483647.0;

// What a recognised group character does, for each mode.
enum class Action : uint8_t {
  Stop,            // Measure: not a pure font
  Drop,            // Emit: nothing written
  SkipData,        // Emit: read and drop the value's count of bytes
  FontId,          // ESC*c#D, both modes
  FontControl,     // ESC*c#F, both modes: nothing
  CharacterCode,   // ESC*c#E
  FontHeader,      // ESC)s#W
  CharDescriptor,  // ESC(s#W
  TextParsing,     // ESC&t#P in Emit
};

struct GroupRow {
  const char* characters;  // recognised group characters, given in upper case
  bool upperOnly;
  Action measure;
  Action emit;
};

struct Family {
  const char* prefix;  // three bytes echoed on entry, or nullptr
  GroupRow rows[5];
};

constexpr GroupRow kStopDrop(const char* chars) {
  return {chars, false, Action::Stop, Action::Drop};
}
constexpr GroupRow kData(const char* chars) {
  return {chars, true, Action::Stop, Action::SkipData};
}
constexpr GroupRow kEnd = {nullptr, false, Action::Stop, Action::Drop};

// One row per escape sequence family.
const Family kAmpA = {nullptr, {kStopDrop("GPLMCHRV"), kEnd}};
const Family kAmpB = {nullptr, {kStopDrop("M"), kData("W"), kEnd}};
const Family kAmpC = {nullptr, {kStopDrop("T"), kEnd}};
const Family kAmpD = {nullptr, {kStopDrop("D@"), kEnd}};
const Family kAmpF = {nullptr, {kStopDrop("IJFGSYX"), kEnd}};
const Family kAmpK = {nullptr, {kStopDrop("HG"), kEnd}};
const Family kAmpL = {nullptr, {kStopDrop("XSUZTGAPHOECDFL"), kEnd}};
const Family kAmpN = {nullptr, {kData("W"), kEnd}};
const Family kAmpP = {nullptr, {kStopDrop("SIC"), kData("X"), kEnd}};
const Family kAmpR = {nullptr, {kStopDrop("F"), kEnd}};
const Family kAmpS = {nullptr, {kStopDrop("C"), kEnd}};
const Family kAmpT = {nullptr, {{"P", false, Action::Stop, Action::TextParsing}, kEnd}};
const Family kAmpU = {nullptr, {kStopDrop("D"), kEnd}};
const Family kStarB = {nullptr, {kStopDrop("YM"), kData("VW"), kEnd}};
const Family kStarC = {"\x1b*c",
                       {{"D", false, Action::FontId, Action::FontId},
                        {"F", false, Action::FontControl, Action::FontControl},
                        {"E", false, Action::CharacterCode, Action::CharacterCode},
                        kData("W"),
                        kStopDrop("RSHAVBGPQXYTKL")}};
const Family kStarI = {nullptr, {kData("W"), kEnd}};
const Family kStarL = {nullptr, {kStopDrop("OR"), kData("W"), kEnd}};
const Family kStarM = {nullptr, {kData("W"), kEnd}};
const Family kStarO = {nullptr, {kStopDrop("O"), kData("W"), kEnd}};
const Family kStarP = {nullptr, {kStopDrop("XYRP"), kEnd}};
const Family kStarR = {nullptr, {kStopDrop("FTSABCU"), kEnd}};
const Family kStarS = {nullptr, {kStopDrop("TUIMX"), kEnd}};
const Family kStarT = {nullptr, {kStopDrop("RHVKJI"), kEnd}};
const Family kStarV = {nullptr, {kStopDrop("NOTABCIS"), kData("W"), kEnd}};
const Family kStarStar = {nullptr, {{"J", true, Action::Stop, Action::Drop}, kEnd}};
const Family kParenF = {"\x1b(f", {kData("W"), kEnd}};
const Family kParenS = {
    "\x1b(s",
    {kStopDrop("PHVSBTX"), {"W", true, Action::CharDescriptor, Action::CharDescriptor}, kEnd}};
const Family kCloseS = {
    "\x1b)s", {kStopDrop("PHVSBTX"), {"W", true, Action::FontHeader, Action::FontHeader}, kEnd}};
const Family kSelection = {
    nullptr, {{"@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^", true, Action::Stop, Action::Drop}, kEnd}};
const Family kPercent = {nullptr, {kStopDrop("ABX"), kEnd}};

// ESC & a..u; nullptr for the letters that make an unknown escape.
const Family* const kAmpFamilies[21] = {
    &kAmpA, &kAmpB,  &kAmpC, &kAmpD,  nullptr, &kAmpF,  nullptr, nullptr, nullptr, nullptr, &kAmpK,
    &kAmpL, nullptr, &kAmpN, nullptr, &kAmpP,  nullptr, &kAmpR,  &kAmpS,  &kAmpT,  &kAmpU};

const Family* StarFamily(int c) {
  switch (c) {
    case 'b':
      return &kStarB;
    case 'c':
      return &kStarC;
    case 'i':
      return &kStarI;
    case 'l':
      return &kStarL;
    case 'm':
      return &kStarM;
    case 'o':
      return &kStarO;
    case 'p':
      return &kStarP;
    case 'r':
      return &kStarR;
    case 's':
      return &kStarS;
    case 't':
      return &kStarT;
    case 'v':
      return &kStarV;
    case '*':
      return &kStarStar;
  }
  return nullptr;
}

bool IsUpper(int c) {
  return c >= 0x40 && c <= 0x5E;
}
bool IsLower(int c) {
  return c >= 0x60 && c <= 0x7E;
}
bool IsTerminator(int c) {
  return c == 0 || (c >= 7 && c <= 15) || c == kEsc || c == ',' || c == ';' || c >= '@';
}

// Minimum descriptor size by header format; 0 for formats this scanner refuses.
int MinimumDescriptorSize(int format) {
  switch (format) {
    case 0:
      return 64;
    case 10:
      return 80;
    case 11:
      return 88;
    case 15:
      return 72;
    case 16:
      return 72;
    case 20:
      return 68;
  }
  return 0;
}

class Scanner {
 public:
  explicit Scanner(ScanContext& c) : c_(c) {}

  int Run() {
    c_.pendingChar = Read();
    for (;;) {
      int status;
      if (c_.pendingChar == kEsc) {
        status = Escape();
      } else if (c_.pendingChar == -1) {
        return kEndOfInput;
      } else {
        status = Text();
      }
      if (status != kScanOk) return status;
    }
  }

 private:
  int Read() { return c_.reader.ReadByte(); }
  bool Measuring() const { return c_.mode == kMeasure; }
  int Value() const { return static_cast<int>(c_.value); }

  // Emit: hand bytes to the channel; Measure: count them.
  int Out(const void* bytes, size_t length) {
    if (Measuring()) {
      c_.outputCount += static_cast<uint32_t>(length);
      return kScanOk;
    }
    if (c_.write(*c_.output, static_cast<const uint8_t*>(bytes), length) != 0)
      return kScanWriteFailed;
    c_.outputCount += static_cast<uint32_t>(length);
    return kScanOk;
  }
  int OutNumber(int n, char group) {
    char text[16];
    int length = std::snprintf(text, sizeof text, "%d%c", n, group);
    return Out(text, static_cast<size_t>(length));
  }

  // An unknown escape, or a family the file should not hold.
  int Unknown() {
    if (Measuring()) return kNotPureFont;
    c_.pendingChar = Read();
    return kScanOk;
  }

  int Escape() {
    int c2 = Read();
    if (c2 == -1) return kEndOfInput;
    const Family* family = nullptr;
    switch (c2) {
      case '&': {
        int c3 = Read();
        if (c3 == -1) return kEndOfInput;
        if (c3 >= 'a' && c3 <= 'u') family = kAmpFamilies[c3 - 'a'];
        if (!family) return Unknown();
        break;
      }
      case '*': {
        int c3 = Read();
        if (c3 == -1) return kEndOfInput;
        family = StarFamily(c3);
        if (!family) return Unknown();
        break;
      }
      case '(':
      case ')': {
        int c3 = Read();
        if (c3 == -1) return kEndOfInput;
        if (c3 == 'f' && c2 == '(') {
          family = &kParenF;
        } else if (c3 == 's') {
          family = c2 == '(' ? &kParenS : &kCloseS;
        } else {
          family = &kSelection;  // c3 is consumed as the selection's first character
        }
        break;
      }
      case '%':
        family = &kPercent;
        break;
      case 'E':
      case '9':
      case '=':
      case 'Y':
      case 'Z':
        if (Measuring()) return kNotPureFont;
        c_.pendingChar = Read();
        return kScanOk;
      default:
        return Unknown();
    }
    return Sequence(*family);
  }

  const GroupRow* Lookup(const Family& family, int g) const {
    for (const GroupRow& row : family.rows) {
      if (!row.characters) break;
      for (const char* p = row.characters; *p; ++p) {
        if (g == *p || (!row.upperOnly && g == *p + 0x20)) return &row;
      }
    }
    return nullptr;
  }

  int Sequence(const Family& family) {
    if (family.prefix) {
      int status = Out(family.prefix, 3);
      if (status != kScanOk) return status;
    }
    for (;;) {
      if (ReadParameter() == kEndOfInput) return kEndOfInput;
      int g = c_.groupChar;
      const GroupRow* row = Lookup(family, g);
      if (!row) {
        if (IsLower(g)) continue;
        if (IsUpper(g)) c_.pendingChar = Read();
        return kScanOk;  // any other character stays pending, unconsumed
      }
      int status = Perform(Measuring() ? row->measure : row->emit, g);
      if (IsUpper(g)) {
        if (status == kScanOk) c_.pendingChar = Read();
        return status;
      }
      if (status != kScanOk) return status;
    }
  }

  int Perform(Action action, int g) {
    switch (action) {
      case Action::Stop:
        return Measuring() ? kNotPureFont : kScanOk;
      case Action::Drop:
      case Action::FontControl:
        return kScanOk;
      case Action::SkipData:
        return c_.reader.Skip(static_cast<uint64_t>(Value())) == static_cast<uint64_t>(Value())
                   ? kScanOk
                   : kEndOfInput;
      case Action::FontId:
        c_.fontIdSeen = true;
        c_.fontId = Value();
        return kScanOk;
      case Action::TextParsing:
        c_.textParsingMethod = static_cast<int16_t>(static_cast<uint16_t>(Value() & 0xFFFF));
        return kScanOk;
      case Action::CharacterCode:
        if (Measuring() && !c_.descriptorSeen) return kNotPureFont;
        return OutNumber(Value(), Measuring() ? 'E' : static_cast<char>(g));
      case Action::FontHeader:
        return Measuring() ? MeasureFontHeader() : CopyBlock();
      case Action::CharDescriptor:
        if (!Measuring()) return CopyBlock();
        if (!c_.descriptorSeen) return kNotPureFont;
        OutNumber(Value(), 'W');
        c_.outputCount += static_cast<uint32_t>(Value());
        return c_.reader.Skip(static_cast<uint64_t>(Value())) == static_cast<uint64_t>(Value())
                   ? kScanOk
                   : kNotPureFont;
    }
    return kScanOk;
  }

  // Emit: "%dW", then the n data bytes in blocks of at most 16.
  int CopyBlock() {
    int n = Value();
    int status = OutNumber(n, 'W');
    if (status != kScanOk) return status;
    uint8_t block[16];
    for (int left = n; left > 0;) {
      size_t want = left < 16 ? static_cast<size_t>(left) : 16;
      if (c_.reader.ReadBlock(block, want) != want) return kEndOfInput;
      status = Out(block, want);
      if (status != kScanOk) return status;
      left -= static_cast<int>(want);
    }
    return kScanOk;
  }

  int MeasureFontHeader() {
    if (c_.descriptorSeen) return kNotPureFont;
    c_.descriptorSeen = true;
    int n = Value();
    OutNumber(n, 'W');
    c_.outputCount += static_cast<uint32_t>(n);

    if (n < 2) return kNotPureFont;
    uint8_t raw[88] = {};
    if (c_.reader.ReadBlock(raw, 3) != 3) return kNotPureFont;
    int size = (raw[0] << 8) | raw[1];
    int minimum = MinimumDescriptorSize(raw[2]);
    if (minimum == 0 || size < minimum || size > n) return kNotPureFont;
    if (c_.reader.ReadBlock(raw + 3, static_cast<size_t>(minimum - 3)) !=
        static_cast<size_t>(minimum - 3))
      return kNotPureFont;
    if (c_.reader.Skip(static_cast<uint64_t>(size - minimum)) !=
        static_cast<uint64_t>(size - minimum))
      return kNotPureFont;
    uint64_t rest = static_cast<uint64_t>(n - size);
    if (c_.reader.Skip(rest) != rest) {
      c_.dataTruncated = true;
      return kEndOfInput;
    }
    FontDescriptorRecord record;
    std::memcpy(record.bytes, raw, sizeof raw);
    static constexpr int k16[] = {
        fd::kDescriptorSize, fd::kBaseline, fd::kCellWidth, fd::kCellHeight, fd::kSymbolSet,
        fd::kPitch,          fd::kHeight,   fd::kXHeight,   fd::kTextHeight, fd::kTextWidth,
        fd::kFirstCode,      fd::kLastCode, fd::kCapHeight};
    for (int at : k16) record.SetU16(at, static_cast<uint16_t>((raw[at] << 8) | raw[at + 1]));
    record.SetU32(fd::kFontNumber, (uint32_t{raw[44]} << 24) | (uint32_t{raw[45]} << 16) |
                                       (uint32_t{raw[46]} << 8) | raw[47]);
    c_.descriptor = record;
    return kScanOk;
  }

  // One value field and any ','/';' continuations; the terminator becomes
  // pendingChar and groupChar.
  int ReadParameter() {
    c_.value = 0;
    bool haveValue = false, inFraction = false, skipping = false;
    int fractionDigits = 0;
    double scale = 1;
    for (;;) {
      int c = Read();
      if (c == -1) {
        c_.pendingChar = -1;
        return kEndOfInput;
      }
      if (IsTerminator(c)) {
        if (c == ',' || c == ';') {
          skipping = true;  // later fields are read and ignored
          continue;
        }
        c_.pendingChar = c_.groupChar = c;
        return kScanOk;
      }
      if (skipping) continue;
      if (c >= '0' && c <= '9') {
        haveValue = true;
        if (inFraction) {
          scale /= 10;
          c_.value += (c - '0') * scale;
          if (++fractionDigits == 8) skipping = true;
        } else {
          c_.value = c_.value * 10 + (c - '0');
          if (c_.value >= kValueLimit) {
            c_.value = kValueLimit;
            skipping = true;
          }
        }
      } else if (c == '.') {
        if (inFraction) {
          skipping = true;
        } else {
          inFraction = haveValue = true;
        }
      } else if (haveValue) {
        skipping = true;  // a sign or any other character after the number
      }
      // Before the number, signs (read, unused) and other characters are ignored.
    }
  }

  bool OpensTwoByteCharacter(int c) const {
    switch (c_.textParsingMethod) {
      case 21:
        return c >= 0x21;
      case 31:
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      case 38:
        return c >= 0x80;
    }
    return false;
  }

  // Text outside escape sequences is dropped in both modes.
  int Text() {
    int c = c_.pendingChar;
    for (;;) {
      if (c == -1) {
        c_.pendingChar = -1;
        return kEndOfInput;
      }
      if (c == kEsc) {
        c_.pendingChar = c;
        return kScanOk;
      }
      if (OpensTwoByteCharacter(c) && Read() == -1) {
        c_.pendingChar = -1;
        return kEndOfInput;
      }
      c = Read();
    }
  }

  ScanContext& c_;
};

}  // namespace

int ScanSetup(ScanContext& c) {
  if (c.mode == kModeNotSet) return 1;
  c.outputCount = 0;
  c.descriptorSeen = false;
  c.dataTruncated = false;
  c.descriptor = FontDescriptorRecord{};
  c.fontIdSeen = false;
  c.fontId = 0;
  c.pendingChar = -1;
  c.value = 0;
  c.groupChar = 0;
  // Both passes over one file must parse its text alike.
  c.textParsingMethod = 0;
  c.write = nullptr;
  if (c.mode != kMeasure && c.mode != kEmit) return 2;
  if (c.inputKind != kInputBytes) return 2;
  c.reader.Reset(c.input);
  if (c.mode == kMeasure) return 0;
  if (c.outputKind < 0 || c.outputKind > static_cast<int>(ChannelKind::Memory) || !c.output)
    return 2;
  c.write = WriterFor(static_cast<ChannelKind>(c.outputKind));
  return 0;
}

int Scan(ScanContext& c) {
  return Scanner(c).Run();
}

int MeasureBytes(ScanContext& c, ByteView input) {
  c.mode = kMeasure;
  c.inputKind = kInputBytes;
  c.input = input;
  if (ScanSetup(c) != 0) return kNotPureFont;
  return Scan(c);
}

}  // namespace gc
