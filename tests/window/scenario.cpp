#include "tests/window/scenario.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace gc::window_test {
namespace {

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool SplitLine(const std::string& s, const Lookup& variables, std::vector<std::string>& words,
               std::string& error) {
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) break;
    std::string word;
    bool quoted = false;
    while (i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t'))) {
      const char c = s[i];
      if (c == '"') {
        quoted = !quoted;
        ++i;
      } else if (c == '\\' && quoted && i + 1 < s.size()) {
        const char e = s[i + 1];
        i += 2;
        switch (e) {
          case 'n':
            word += '\n';
            break;
          case 'r':
            word += '\r';
            break;
          case 't':
            word += '\t';
            break;
          case '\\':
            word += '\\';
            break;
          case '"':
            word += '"';
            break;
          case '$':
            word += '$';
            break;
          case 'u': {
            if (i + 4 > s.size()) return error = "short \\u escape", false;
            const std::string hex = s.substr(i, 4);
            char* end = nullptr;
            const unsigned long code = std::strtoul(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 4) return error = "bad \\u escape", false;
            AppendUtf8(word, static_cast<unsigned>(code));
            i += 4;
            break;
          }
          default:
            return error = std::string("unknown escape \\") + e, false;
        }
      } else if (c == '$' && i + 1 < s.size() && s[i + 1] == '{') {
        const size_t close = s.find('}', i + 2);
        if (close == std::string::npos) return error = "unclosed ${", false;
        const std::string name = s.substr(i + 2, close - i - 2);
        std::string value;
        if (!variables(name, value)) return error = "unknown variable " + name, false;
        word += value;
        i = close + 1;
      } else {
        word += c;
        ++i;
      }
    }
    if (quoted) return error = "unclosed quote", false;
    words.push_back(word);
  }
  return true;
}

}  // namespace

bool ParseScenario(const std::string& text, const Lookup& variables, std::vector<Line>& lines,
                   std::string& error) {
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    size_t first = raw.find_first_not_of(" \t");
    if (first == std::string::npos || raw[first] == '#') continue;
    Line line;
    line.number = number;
    line.text = raw.substr(first);
    std::string why;
    if (!SplitLine(raw, variables, line.words, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    lines.push_back(std::move(line));
  }
  return true;
}

std::map<std::string, long> ParseDefines(const std::string& header) {
  std::map<std::string, long> out;
  std::istringstream in(header);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string directive, name, value;
    if (!(words >> directive >> name >> value) || directive != "#define") continue;
    if (value.size() > 2 && value.front() == '(' && value.back() == ')')
      value = value.substr(1, value.size() - 2);
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 0);
    if (end && *end == '\0' && end != value.c_str()) out[name] = number;
  }
  return out;
}

}  // namespace gc::window_test
