// The portable INI reader. It reads a file as Wine's profile functions do:
// a UTF-8 byte-order mark is skipped; lines are trimmed; ";" starts a comment
// line; a section header runs from "[" to the last "]" and its name is
// trimmed; keys before the first header belong to the section named "";
// a line without "=" is no key; key and value are trimmed, and a value (or
// default text) in a pair of single or double quotes loses them; of two
// sections (or keys) with the same name, ignoring case, the first counts; a
// key list that starts with an empty name counts as no list. Built on Windows
// too, where the tests hold it against the Win32 functions.
#include "os/profile.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "os/file_bytes.h"

namespace gc::os {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::string TrimEnd(std::string s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::optional<std::vector<IniEntry>> IniSection(std::string_view bytes, const std::string& section) {
  std::string text(bytes);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

  std::optional<std::vector<IniEntry>> found;
  bool inside = SameName(section, "");  // keys before any header
  if (inside) found.emplace();
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.rfind(']');
      if (close == 0 || close == std::string::npos) continue;  // not a header, not a key
      if (found && inside) return found;
      inside = !found && SameName(Trim(line.substr(1, close - 1)), section);
      if (inside) found.emplace();
      continue;
    }
    size_t equals = line.find('=');
    if (!inside || equals == std::string::npos) continue;
    found->push_back(IniEntry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
  }
  return found;
}

namespace {

bool Quoted(const std::string& s) {
  return s.size() >= 2 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0];
}

std::string Unquoted(const std::string& s) {
  return Quoted(s) ? s.substr(1, s.size() - 2) : s;
}

// A quoted text cut to the buffer loses its closing quote and, when the cut
// falls within one character of it, the character before it too.
uint32_t CopyEntry(const std::string& text, char* buffer, uint32_t size) {
  bool quoted = Quoted(text);
  std::string source = quoted ? text.substr(1) : text;
  uint32_t n = static_cast<uint32_t>(std::min<size_t>(source.size(), size - 1));
  if (quoted && n > 0 && size >= source.size()) --n;
  std::memcpy(buffer, source.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace

uint32_t IniSectionKeys(std::string_view text, const std::string& section,
                        const std::string& defaultText, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  if (size == 1) return buffer[0] = '\0', 0;
  std::optional<std::vector<IniEntry>> entries = IniSection(text, section);
  if (!entries || entries->empty()) return CopyEntry(defaultText, buffer, size);

  // Whole names while they fit; the first that does not is cut, and a cut
  // list reports size - 2. Only the result and its NUL reach the caller.
  std::vector<char> list(size, '\0');
  uint32_t left = size, at = 0;
  for (const IniEntry& e : *entries) {
    if (left <= 2) break;
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(e.key.size(), left - 2));
    std::memcpy(list.data() + at, e.key.data(), n);
    at += n + 1;
    left -= n + 1;
    if (left < 2) break;
  }
  if (list[0] == '\0') return CopyEntry(defaultText, buffer, size);
  uint32_t result = left <= 1 ? size - 2 : size - left;
  std::memcpy(buffer, list.data(), result + 1);
  return result;
}

std::string IniString(std::string_view text, const std::string& section, const std::string& key,
                      const std::string& defaultText) {
  std::string fallback = TrimEnd(defaultText);
  std::optional<std::vector<IniEntry>> entries = IniSection(text, section);
  std::string wanted = Trim(key);
  if (entries) {
    for (const IniEntry& e : *entries)
      if (SameName(e.key, wanted)) return Unquoted(e.value);
  }
  return Unquoted(fallback);
}

namespace {

// The file's text; a missing file reads as an empty one, which has no keys.
std::string FileText(const std::string& path) {
  FileBytes file;
  if (file.Open(path.c_str(), false) != FileBytes::Status::Ok) return "";
  return std::string(reinterpret_cast<const char*>(file.bytes().data()), file.bytes().size());
}

class IniProfile final : public ProfilePort {
 public:
  uint32_t ReadSectionKeys(const std::string& path, const std::string& section,
                           const std::string& defaultText, char* buffer, uint32_t size) override {
    return IniSectionKeys(size < 2 ? "" : FileText(path), section, defaultText, buffer, size);
  }

  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& defaultText) override {
    return IniString(FileText(path), section, key, defaultText);
  }
};

}  // namespace

ProfilePort& PortableProfile() {
  static IniProfile profile;
  return profile;
}

#ifndef _WIN32
ProfilePort& SystemProfile() {
  return PortableProfile();
}
#endif

}  // namespace gc::os
