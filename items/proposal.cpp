#include "items/proposal.h"
#include "resources/messages.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace gc {

bool SameIdSpace(int a, int b) {
  auto isFont = [](int t) {
    return t == static_cast<int>(ResourceType::PclFont) ||
           t == static_cast<int>(ResourceType::TrueTypeFont);
  };
  if (isFont(a) || isFont(b)) return isFont(a) && isFont(b);
  return a == static_cast<int>(ResourceType::PclMacro) &&
         b == static_cast<int>(ResourceType::PclMacro);
}

int TypeTextId(int resourceType) {
  switch (resourceType) {
    case 0:
      return kMsgTypePclMacro;
    case 1:
      return kMsgDownloadAsFont;
    case 2:
    case 3:
      return kMsgTypePclFont;
  }
  return 0;
}

std::string ProposeDownloadName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

namespace {

std::vector<bool> TakenIds(const ItemList& items, int type) {
  std::vector<bool> taken(kMaxControlId + 1, false);
  for (const DownloadItem& item : items)
    if (SameIdSpace(item.resourceType, type) && item.controlId >= 0 &&
        item.controlId <= kMaxControlId)
      taken[static_cast<size_t>(item.controlId)] = true;
  return taken;
}

int SmallestFree(const std::vector<bool>& taken, int from) {
  int id = from;
  while (id <= kMaxControlId && taken[static_cast<size_t>(id)]) ++id;
  return id;  // 32768 when everything from `from` is taken
}

}  // namespace

int ProposeControlId(const ItemList& items, int type, int& scannedFontIdSeen, int scannedFontId,
                     int lastFontId, int lastMacroId) {
  std::vector<bool> taken = TakenIds(items, type);
  if (scannedFontIdSeen == 1 && type == static_cast<int>(ResourceType::PclFont)) {
    int start = scannedFontId < 0 ? 0 : scannedFontId;
    int id = start > kMaxControlId ? kMaxControlId + 1 : SmallestFree(taken, start);
    return id >= kMaxControlId ? SmallestFree(taken, 0) : id;
  }
  scannedFontIdSeen = 0;
  int id = type == static_cast<int>(ResourceType::PclMacro) ? lastMacroId : lastFontId;
  for (int i = 0; i <= kMaxControlId; ++i)
    if (taken[static_cast<size_t>(i)] && i > id) id = i;
  return id < kMaxControlId ? id + 1 : SmallestFree(taken, 0);
}

int CheckDownloadName(const std::string& name, int type, const ItemList& items) {
  if (name.empty()) return -3;
  for (char c : name) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '-' || c == '_';
    if (!ok) return -1;
  }
  for (const DownloadItem& item : items) {
    if (!SameIdSpace(item.resourceType, type) || item.downloadName.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(item.downloadName[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return -2;
  }
  return 0;
}

int CheckControlId(int type, int id, const ItemList& items) {
  if (type == static_cast<int>(ResourceType::PostScriptFont)) return 0;
  if (id < 0 || id > kMaxControlId) return -1;
  for (const DownloadItem& item : items)
    if (SameIdSpace(item.resourceType, type) && item.controlId == id) return -2;
  return 0;
}

bool ControlIdTextValid(const std::string& text, int* id) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < 0 || value > kMaxControlId) return false;
  char printed[16];
  std::snprintf(printed, sizeof printed, "%ld", value);
  if (text != printed) return false;
  if (id) *id = static_cast<int>(value);
  return true;
}

}  // namespace gc
