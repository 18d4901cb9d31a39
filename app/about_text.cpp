#include "app/about_text.h"

#include <cstdio>

namespace gc::app {

std::string FileVersionQuery(unsigned language, unsigned codePage) {
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion", language & 0xFFFF,
                codePage & 0xFFFF);
  return query;
}

std::string AboutVersionLine(const std::string& fileVersion) {
  std::string line = "Marrowick Glyphcast Version ";
  for (char c : fileVersion) {
    if (c == ' ') continue;
    line += c == ',' ? '.' : c;
  }
  return line;
}

}  // namespace gc::app
