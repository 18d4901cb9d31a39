// Scenario files of the window test driver: one command per line, words split
// at blanks, "quoted words" with \n \r \t \\ \" \uXXXX escapes, ${NAME}
// replaced by a variable, "#" starting a comment line.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace gc::window_test {

struct Line {
  int number = 0;
  std::string text;                // as written
  std::vector<std::string> words;  // UTF-8, escapes and variables resolved
};

using Lookup = std::function<bool(const std::string& name, std::string& value)>;

// Splits a scenario; an unknown variable or a bad escape is an error naming the line.
bool ParseScenario(const std::string& text, const Lookup& variables, std::vector<Line>& lines,
                   std::string& error);

// "#define NAME NUMBER" lines of a C header, for symbolic control ids.
std::map<std::string, long> ParseDefines(const std::string& header);

}  // namespace gc::window_test
