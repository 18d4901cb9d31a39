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

namespace {

std::wstring WideFrom(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string NarrowTo(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
  return WideFrom(CP_UTF8, utf8);
}

std::string AnsiFromUtf8(const std::string& utf8) {
  return NarrowTo(CP_ACP, WideFrom(CP_UTF8, utf8));
}

std::string Utf8FromAnsi(const std::string& ansi) {
  return NarrowTo(CP_UTF8, WideFrom(CP_ACP, ansi));
}

bool LoadText(HMODULE module, int id, std::string& text) {
  // Strings live in blocks of 16: each a count of UTF-16 units, then the units.
  const UINT block = static_cast<UINT>(id) / 16 + 1;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(block), RT_STRING);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* units = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
  if (!units) return false;
  const DWORD size = SizeofResource(module, found) / sizeof(WORD);
  DWORD at = 0;
  for (UINT index = static_cast<UINT>(id) % 16; index > 0; --index) {
    if (at >= size) return false;
    at += 1 + units[at];
  }
  if (at >= size || units[at] == 0 || at + 1 + units[at] > size) return false;
  const std::wstring wide(reinterpret_cast<const wchar_t*>(units + at + 1), units[at]);
  text = NarrowTo(CP_UTF8, wide);
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
    LoadedText* slot = Slot(id);
    slot->present = LoadText(module, id, slot->utf8);
    if (!slot->present) slot->utf8.clear();
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
