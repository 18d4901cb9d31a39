// The configuration (INI) reader on any text. The input is a section name, a
// key and the file's text, one line each before the text. A key list never
// overruns its buffer and ends with a NUL at the length it reports; whatever
// fits is the section's keys as IniSection reads them, whole when the buffer
// holds them all; a value read is the default or bytes of the file; and a
// section written back out as INI text reads back the same.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "os/profile.h"

namespace {

std::string_view NextLine(std::string_view* rest) {
  size_t end = rest->find('\n');
  std::string_view line = rest->substr(0, end);
  rest->remove_prefix(end == std::string_view::npos ? rest->size() : end + 1);
  return line;
}

void CheckKeyList(std::string_view text, const std::string& section, uint32_t size,
                  const std::string& keys, bool listed) {
  auto buffer = std::make_unique<char[]>(size);  // exact: ASan sees a write past it
  uint32_t n = gc::os::IniSectionKeys(text, section, "NG", buffer.get(), size);
  if (size == 0) {
    if (n != 0) __builtin_trap();
    return;
  }
  if (n >= size || buffer[n] != '\0') __builtin_trap();
  std::string got(buffer.get(), n);
  if (!listed || size <= 2) {  // a buffer of two holds no name: the default, as Win32 does
    if (std::string("NG").compare(0, n, got) != 0) __builtin_trap();
    return;
  }
  if (keys.compare(0, n, got) != 0) __builtin_trap();
  if (size >= keys.size() + 2 && n != keys.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string section(NextLine(&rest)), key(NextLine(&rest));
  std::string_view text = rest;

  auto entries = gc::os::IniSection(text, section);
  std::string keys;
  if (entries)
    for (const gc::os::IniEntry& e : *entries) keys += e.key + '\0';
  // A list whose first name is empty (or starts with a NUL) reads as no list.
  bool listed = entries && !entries->empty() && !entries->front().key.empty() &&
                entries->front().key[0] != '\0';
  for (uint32_t buffer : {0u, 1u, 2u, 3u, 8u, static_cast<uint32_t>(1 + size % 257),
                          static_cast<uint32_t>(keys.size() + 2)})
    CheckKeyList(text, section, buffer, keys, listed);

  std::string value = gc::os::IniString(text, section, key, "NG");
  if (value != "NG" && text.find(value) == std::string_view::npos) __builtin_trap();

  if (!entries) return 0;
  std::string again = "\xEF\xBB\xBF";
  if (!section.empty()) again += "[" + section + "]\n";
  for (const gc::os::IniEntry& e : *entries) again += e.key + "=" + e.value + "\n";
  auto reread = gc::os::IniSection(again, section);
  if (!reread || reread->size() != entries->size()) __builtin_trap();
  for (size_t i = 0; i < entries->size(); ++i)
    if ((*reread)[i].key != (*entries)[i].key || (*reread)[i].value != (*entries)[i].value)
      __builtin_trap();
  return 0;
}
