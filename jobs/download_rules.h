// The characters-per-line value of a sample page, as the program's Download
// command and glyphcast download --sample read it.
#pragma once
#include <string>

namespace gc {

// The characters-per-line text is accepted when it is a plain decimal integer
// from 0 to 100 that prints back as the same text: "007" and "1.5" are not.
bool CharsPerLineValid(const std::string& text, int* charsPerLine);

}  // namespace gc
