#include "items/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string_view>

#include "items/proposal.h"
#include "items/recognize.h"
#include "os/file.h"
#include "resources/messages.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace gc {

namespace {

constexpr size_t kNameLimit = 207, kIdLimit = 8, kTypeLimit = 32, kPathLimit = 259;

#ifdef _WIN32
constexpr int kEmptyFileError = ERROR_FILE_INVALID, kHugeFileError = ERROR_FILE_TOO_LARGE,
              kNoMemoryError = ERROR_NOT_ENOUGH_MEMORY;
#else
constexpr int kEmptyFileError = EINVAL, kHugeFileError = EFBIG, kNoMemoryError = ENOMEM;
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
bool ReadSettingFile(const std::string& path, os::Ui& ui, std::string* text) {
  File f = File::OpenRead(path.c_str(), false);
  uint64_t size = 0;
  if (!f.IsOpen() || !f.Size(&size)) return ui.ShowSystemError(LastErrorCode()), false;
  if (size == 0) return ui.ShowSystemError(kEmptyFileError), false;
  if (size >> 32) return ui.ShowSystemError(kHugeFileError), false;
  try {
    text->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return ui.ShowSystemError(kNoMemoryError), false;
  } catch (const std::length_error&) {  // more than a 32-bit build can address
    return ui.ShowSystemError(kNoMemoryError), false;
  }
  for (size_t got = 0; got < text->size();) {
    long long n = f.Read(text->data() + got, text->size() - got);
    if (n <= 0) return ui.ShowSystemError(LastErrorCode()), false;
    got += static_cast<size_t>(n);
  }
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

int ImportSettings(const std::string& path, ItemList& items, std::string& lastItemFolder,
                   os::Ui& ui) {
  std::string text;
  if (!ReadSettingFile(path, ui, &text)) return 1;
  std::string_view rest = text;
  auto notASettingFile = [&] {
    ui.ShowMessage(kMsgNotSettingFile);
    return 1;
  };
  size_t end = rest.find('\n');
  if (end == std::string_view::npos) return notASettingFile();
  lastItemFolder = std::string(rest.substr(0, end));
  rest.remove_prefix(end + 1);

  bool ignoreAll = false;
  while (!rest.empty()) {
    end = rest.find('\n');
    if (end == std::string_view::npos) return notASettingFile();
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);

    size_t c1 = line.find(','), c2 = c1 == line.npos ? c1 : line.find(',', c1 + 1),
           c3 = c2 == line.npos ? c2 : line.find(',', c2 + 1);
    if (c3 == line.npos) return notASettingFile();
    DownloadItem item;
    item.downloadName = std::string(line.substr(0, c1));
    std::string_view idText = line.substr(c1 + 1, c2 - c1 - 1);
    std::string_view typeText = line.substr(c2 + 1, c3 - c2 - 1);
    item.filePath = std::string(line.substr(c3 + 1));
    if (item.downloadName.size() > kNameLimit ||
        !PlainNumber(typeText, kTypeLimit, 3, &item.resourceType) ||
        CheckDownloadName(item.downloadName, item.resourceType, items) != 0 ||
        !PlainNumber(idText, kIdLimit, kMaxControlId, &item.controlId) ||
        item.filePath.size() > kPathLimit)
      return notASettingFile();
    FillItemTexts(item);
    item.idText = std::string(idText);

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
  return 0;
}

}  // namespace gc
