#include "items/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "items/proposal.h"
#include "items/recognize.h"
#include "os/file.h"
#include "os/file_bytes.h"
#include "resources/messages.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace gc {

namespace {

constexpr size_t kNameLimit = 207, kIdLimit = 8, kTypeLimit = 32, kPathLimit = 259;

#ifdef _WIN32
constexpr int kEmptyFileError = ERROR_FILE_INVALID, kHugeFileError = ERROR_FILE_TOO_LARGE;
#else
constexpr int kEmptyFileError = EINVAL, kHugeFileError = EFBIG;
#endif

// Decimal text that prints back to itself, within [0, max].
bool PlainNumber(std::string_view text, size_t limit, int max, int* value) {
  if (text.empty() || text.size() > limit) return false;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
    if (n > max) return false;
  }
  if (text.size() > 1 && text[0] == '0') return false;
  *value = n;
  return true;
}

// Reads the whole file; on failure shows the system's text.
bool ReadSettingFile(const std::string& path, os::Ui& ui, os::FileBytes* file) {
  switch (file->Open(path.c_str(), false, 0xFFFFFFFFu)) {
    case os::FileBytes::Status::Ok:
      break;
    case os::FileBytes::Status::TooLarge:  // past 4 GiB, or more than memory holds
      return ui.ShowSystemError(file->systemError() ? file->systemError() : kHugeFileError), false;
    default:
      return ui.ShowSystemError(file->systemError()), false;
  }
  if (file->bytes().empty()) return ui.ShowSystemError(kEmptyFileError), false;
  return true;
}

}  // namespace

int ExportSettings(const std::string& path, const ItemList& items,
                   const std::string& lastItemFolder, os::Ui& ui) {
  File out = File::Create(path.c_str());
  if (!out.IsOpen()) {
    ui.ShowSystemError(LastErrorCode());
    return 1;
  }
  auto put = [&](const std::string& line) { return out.Write(line.data(), line.size(), nullptr); };
  bool ok = put(lastItemFolder + "\n");
  for (const DownloadItem& item : items) {
    if (!ok) break;
    File resource = File::OpenRead(item.filePath.c_str(), true);
    if (!resource.IsOpen()) {
      ui.ShowSystemError(LastErrorCode());
      continue;
    }
    resource.Close();
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, ",%d,%d,", item.controlId, item.resourceType);
    ok = put(item.downloadName + numbers + item.filePath + "\n");
  }
  out.Close();
  if (!ok) {
    RemoveFile(path.c_str());
    ui.ShowMessage(kMsgFileWriteFailure);
    return 1;
  }
  return 0;
}

bool SplitSettingFile(std::string_view text, std::string* lastItemFolder,
                      std::vector<std::string_view>* lines) {
  size_t end = text.find('\n');
  if (end == std::string_view::npos) return false;
  *lastItemFolder = std::string(text.substr(0, end));
  text.remove_prefix(end + 1);
  lines->clear();
  while (!text.empty()) {
    end = text.find('\n');
    if (end == std::string_view::npos) return false;
    lines->push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return true;
}

bool ParseSettingLine(std::string_view line, DownloadItem* item) {
  size_t c1 = line.find(','), c2 = c1 == line.npos ? c1 : line.find(',', c1 + 1),
         c3 = c2 == line.npos ? c2 : line.find(',', c2 + 1);
  if (c3 == line.npos) return false;
  *item = DownloadItem{};
  item->downloadName = std::string(line.substr(0, c1));
  std::string_view idText = line.substr(c1 + 1, c2 - c1 - 1);
  std::string_view typeText = line.substr(c2 + 1, c3 - c2 - 1);
  item->filePath = std::string(line.substr(c3 + 1));
  if (item->downloadName.size() > kNameLimit ||
      !PlainNumber(typeText, kTypeLimit, 3, &item->resourceType) ||
      !PlainNumber(idText, kIdLimit, kMaxControlId, &item->controlId) ||
      item->filePath.size() > kPathLimit)
    return false;
  item->idText = std::string(idText);
  return true;
}

int ImportSettings(const std::string& path, ItemList& items, std::string& lastItemFolder,
                   os::Ui& ui) {
  os::FileBytes file;
  if (!ReadSettingFile(path, ui, &file)) return 1;
  std::string_view text(reinterpret_cast<const char*>(file.bytes().data()), file.bytes().size());
  auto notASettingFile = [&] {
    ui.ShowMessage(kMsgNotSettingFile);
    return 1;
  };
  // Items are added line by line: a line after an unusable one is still read
  // against the items added before it.
  if (text.find('\n') == std::string_view::npos) return notASettingFile();  // no folder line
  std::vector<std::string_view> lines;
  bool whole = SplitSettingFile(text, &lastItemFolder, &lines);

  bool ignoreAll = false;
  for (size_t n = 0; n < lines.size(); ++n) {
    DownloadItem item;
    if (!ParseSettingLine(lines[n], &item) ||
        CheckDownloadName(item.downloadName, item.resourceType, items) != 0)
      return notASettingFile();
    std::string idText = item.idText;
    FillItemTexts(item);
    item.idText = idText;

    File resource = File::OpenRead(item.filePath.c_str(), false);
    if (resource.IsOpen()) {
      resource.Close();
      items.push_back(item);
      continue;
    }
    int error = LastErrorCode();
    if (ignoreAll) continue;
    switch (ui.ChooseOnError(os::SystemErrorText(error))) {
      case os::ErrorChoice::IgnoreAll:
        ignoreAll = true;
        break;
      case os::ErrorChoice::Ignore:
        break;
      default:
        return 1;
    }
  }
  return whole ? 0 : notASettingFile();  // the last line has no end
}

}  // namespace gc
