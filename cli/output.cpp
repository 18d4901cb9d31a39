#include "cli/output.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace gc::cli {

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is not one.
size_t Utf8Length(const std::string& s, size_t at) {
  unsigned char c = static_cast<unsigned char>(s[at]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || at + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t at = 0; at < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[at]);
    size_t n = Utf8Length(text, at);
    char escape[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || (n == 0 && c >= 0x80)) {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out.append(text, at, n);
      at += n;
      continue;
    }
    ++at;
  }
  return out + "\"";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string TableText(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width(header.size());
  for (size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size() && c < width.size(); ++c)
      width[c] = std::max(width[c], row[c].size());
  std::string text;
  auto line = [&](const std::vector<std::string>& cells) {
    for (size_t c = 0; c < cells.size() && c < width.size(); ++c) {
      text += cells[c];
      if (c + 1 < cells.size()) text += std::string(width[c] - cells[c].size() + 2, ' ');
    }
    text += '\n';
  };
  line(header);
  for (const auto& row : rows) line(row);
  return text;
}

void PrintTable(std::FILE* out, const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows) {
  std::fputs(TableText(header, rows).c_str(), out);
}

}  // namespace gc::cli
