#include "items/recognize.h"

#include <cstdio>

#include "items/proposal.h"
#include "pcl/font_descriptor.h"
#include "resources/messages.h"
#include "truetype/font_kind.h"
#include "truetype/font_name.h"

namespace gc {

namespace {

// A collection whose face is not TrueType, a CFF or web font, a Type 1 font, a
// TrueType file that lost its tables: sent as a macro it would only fill the
// printer's disk.
bool IsFontFileWeCannotSend(const std::string& path) {
  FontFileKind kind;
  uint32_t faces;
  return IdentifyFontFileAt(path.c_str(), &kind, &faces) && kind != FontFileKind::NotAFont;
}
}  // namespace

void FillItemTexts(DownloadItem& item) {
  int textId = TypeTextId(item.resourceType);
  const char* text = textId ? MessageText(textId) : nullptr;
  item.typeText = text ? std::string(text).substr(0, 31) : "";
  item.idText = item.resourceType == static_cast<int>(ResourceType::PostScriptFont)
                    ? ""
                    : std::to_string(item.controlId);
}

int RecognizeItem(const std::string& path, const ItemList& items, os::Ui& ui, DownloadItem& item,
                  uint32_t face) {
  item = DownloadItem{};
  item.filePath = path;
  item.face = face;
  FontState& fonts = fontState();
  fonts.scannedFontIdSeen = 0;
  fonts.scannedFontId = -1;

  char name[201] = {};
  int tt = ReadTrueTypeFontName(path.c_str(), name, sizeof name, face);
  if (tt >= 0) {
    int format = lastCmapFormat();
    if (format != 0 && format != 4 && format != 6) {
      ui.ShowMessage(kMsgUnsupportedFont);
      return -1;
    }
    item.resourceType = static_cast<int>(ResourceType::TrueTypeFont);
  } else if (tt == -3) {
    ui.ShowMessage(kMsgUnsupportedFont);
    return -1;
  } else if (IsFontFileWeCannotSend(path)) {
    ui.ShowMessage(kMsgUnsupportedFont);
    return -1;
  } else {
    int pcl = ProbeFontName(path.c_str(), name, sizeof name);
    if (pcl == -3) {
      ui.ShowMessage(kMsgUnsupportedFont);
      return -1;
    }
    item.resourceType = static_cast<int>(pcl >= 0 ? ResourceType::PclFont : ResourceType::PclMacro);
  }

  item.downloadName = ProposeDownloadName(path);
  const ItemState& state = itemState();
  item.controlId = ProposeControlId(items, item.resourceType, fonts.scannedFontIdSeen,
                                    fonts.scannedFontId, state.lastFontId, state.lastMacroId);
  item.idText = std::to_string(item.controlId);
  if (fonts.scannedFontIdSeen == 1 && item.controlId != fonts.scannedFontId) {
    std::string text;
    // A resource library without the text: the fixed text, and the command ends.
    if (!FormatMessageText(kMsgFontIdOverlaps, {fonts.scannedFontId, item.controlId, fonts.scannedFontId},
                           &text)) {
      ui.ShowText(kResourceLoadFailure, os::Buttons::Ok);
      return -1;
    }
    ui.ShowText(text, os::Buttons::Ok);
  }
  return 0;
}

}  // namespace gc
