// What glyphcast prints for people and for scripts: tables on a terminal,
// CSV and JSON otherwise.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace gc::cli {

bool IsTerminal(std::FILE* stream);

// A JSON string literal. Text that is not UTF-8 (printers send what they
// like) is taken as Latin-1, byte by byte.
std::string JsonString(const std::string& text);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

// Rows under a header, each column as wide as its widest cell.
void PrintTable(std::FILE* out, const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows);
std::string TableText(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows);

}  // namespace gc::cli
