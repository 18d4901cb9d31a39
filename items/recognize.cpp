#include "items/recognize.h"

#include <cstdio>

#include "items/proposal.h"
#include "os/file_bytes.h"
#include "pcl/probe.h"
#include "resources/messages.h"
#include "truetype/font_kind.h"
#include "truetype/font_name.h"

namespace gc {

void FillItemTexts(DownloadItem& item) {
  int textId = TypeTextId(item.resourceType);
  const char* text = textId ? MessageText(textId) : nullptr;
  item.typeText = text ? std::string(text).substr(0, 31) : "";
  item.idText = item.resourceType == static_cast<int>(ResourceType::PostScriptFont)
                    ? ""
                    : std::to_string(item.controlId);
}

int RecognizeItem(const std::string& path, const ItemList& items, os::Ui& ui, DownloadItem& item,
                  ItemState& state, uint32_t face) {
  item = DownloadItem{};
  item.filePath = path;
  item.face = face;
  state.scannedFontIdSeen = 0;
  state.scannedFontId = -1;

  // The file is read once, for every question asked of it.
  os::FileBytes file;
  if (file.Open(path.c_str(), true, 0xFFFFFFFFu) != os::FileBytes::Status::Ok) {
    ui.ShowMessage(kMsgUnsupportedFont);
    return -1;
  }
  ByteView bytes = file.bytes();
  char name[201] = {};
  int tt = ReadTrueTypeFontName(bytes, name, sizeof name, face, &state.lastCmapFormat);
  if (tt >= 0) {
    int format = state.lastCmapFormat;
    if (format != 0 && format != 4 && format != 6) {
      ui.ShowMessage(kMsgUnsupportedFont);
      return -1;
    }
    item.resourceType = static_cast<int>(ResourceType::TrueTypeFont);
  } else if (tt == -3 || IdentifyFontFile(bytes, bytes.size()) != FontFileKind::NotAFont) {
    // Empty, or a font file that cannot be converted (a collection whose face
    // is not TrueType, CFF or web fonts, Type 1, TrueType that lost its
    // tables): sent as a macro it would only fill the printer's disk.
    ui.ShowMessage(kMsgUnsupportedFont);
    return -1;
  } else {
    PclFontProbe probe = ProbeFontName(bytes);
    state.scannedFontIdSeen = probe.fontIdSeen ? 1 : 0;
    if (probe.fontIdSeen) state.scannedFontId = probe.fontId;
    item.resourceType = static_cast<int>(probe.pureFont ? ResourceType::PclFont : ResourceType::PclMacro);
  }

  item.downloadName = ProposeDownloadName(path);
  item.controlId = ProposeControlId(items, item.resourceType, state.scannedFontIdSeen,
                                    state.scannedFontId, state.lastFontId, state.lastMacroId);
  item.idText = std::to_string(item.controlId);
  if (state.scannedFontIdSeen == 1 && item.controlId != state.scannedFontId) {
    std::string text;
    // A resource library without the text: the fixed text, and the command ends.
    if (!FormatMessageText(kMsgFontIdOverlaps,
                           {state.scannedFontId, item.controlId, state.scannedFontId}, &text)) {
      ui.ShowText(kResourceLoadFailure, os::Buttons::Ok);
      return -1;
    }
    ui.ShowText(text, os::Buttons::Ok);
  }
  return 0;
}

}  // namespace gc
