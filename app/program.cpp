#include "app/program.h"

#include <array>

#include "app/startup_rules.h"
#include "os/profile.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

Program& program() {
  static Program p;
  return p;
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

bool LoadText(HMODULE module, int id, std::wstring& text) {
  // With a zero size LoadStringW hands out the resource's own text, unterminated.
  const wchar_t* resource = nullptr;
  const int n = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&resource), 0);
  if (n <= 0 || !resource) return false;
  text.assign(resource, static_cast<size_t>(n));
  return true;
}

namespace {

// The table is filled on the user-interface thread before any worker starts,
// so the worker's lookups need no lock.
constexpr int kFirstId = 101, kLastId = 173;
struct LoadedText {
  bool present = false;
  std::string utf8;
};
std::array<LoadedText, kLastId - kFirstId + 2> table;  // the last slot: the length message

LoadedText* Slot(int id) {
  if (id >= kFirstId && id <= kLastId) return &table[id - kFirstId];
  if (id == IDS_LENGTH_LIMIT) return &table.back();
  return nullptr;
}

const char* TableText(int id) {
  const LoadedText* slot = Slot(id);
  return slot && slot->present ? slot->utf8.c_str() : nullptr;
}

}  // namespace

void UseStringTable(HMODULE module) {
  auto load = [module](int id) {
    std::wstring text;
    LoadedText* slot = Slot(id);
    slot->present = LoadText(module, id, text);
    slot->utf8 = slot->present ? Narrow(text) : std::string();
  };
  for (int id = kFirstId; id <= kLastId; ++id) load(id);
  load(IDS_LENGTH_LIMIT);
  SetMessageSource(TableText);
}

std::string ReadConfigValue(const char* section, const char* key) {
  std::string value = os::SystemProfile().ReadString(program().configPath, section, key, kAbsent);
  if (value.size() >= kConfigValueCapacity) value.resize(kConfigValueCapacity - 1);
  return value;
}

}  // namespace gc::app
