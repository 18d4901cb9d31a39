// The Download command's reading of the "Print font sample" controls, which
// needs no Windows.
#pragma once
#include <string>

namespace gc::app {

// The characters-per-line text is accepted when it is a plain decimal integer
// from 0 to 100 that prints back as the same text: "007" and "1.5" are not.
bool CharsPerLineValid(const std::string& text, int* charsPerLine);

}  // namespace gc::app
