// Setting files (.lst) on any bytes, read as the import reads them. The lines
// put back together are the text; an item line that parses prints back as
// itself in the export's "%s,%d,%d,%s" form, within the field limits; and the
// items the import admits never share a name within one ID space.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "items/proposal.h"
#include "items/recognize.h"
#include "items/settings_file.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string folder;
  std::vector<std::string_view> lines;
  bool whole = gc::SplitSettingFile(text, &folder, &lines);
  bool hasFolderLine = text.find('\n') != std::string_view::npos;
  if (!hasFolderLine && whole) __builtin_trap();
  if (hasFolderLine) {
    std::string joined = folder + "\n";
    for (std::string_view line : lines) joined.append(line).append("\n");
    if (whole ? joined != text : text.substr(0, joined.size()) != joined) __builtin_trap();
  }

  gc::ItemList items;
  for (std::string_view line : lines) {
    gc::DownloadItem item;
    if (!gc::ParseSettingLine(line, &item)) continue;
    if (item.controlId < 0 || item.controlId > gc::kMaxControlId || item.resourceType < 0 ||
        item.resourceType > 3 || item.filePath.size() > 259 ||
        item.downloadName + "," + std::to_string(item.controlId) + "," +
                std::to_string(item.resourceType) + "," + item.filePath != line)
      __builtin_trap();
    if (gc::CheckDownloadName(item.downloadName, item.resourceType, items) != 0) continue;
    gc::FillItemTexts(item);
    for (const gc::DownloadItem& other : items)
      if (gc::SameIdSpace(other.resourceType, item.resourceType) &&
          SameName(other.downloadName, item.downloadName))
        __builtin_trap();
    items.push_back(item);
  }
  return 0;
}
