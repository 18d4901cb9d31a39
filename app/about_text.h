// The About box's version line, from the program's version resource.
#pragma once
#include <string>

namespace gc::app {

// "\StringFileInfo\llllcccc\FileVersion" for a "\VarFileInfo\Translation" pair.
std::string FileVersionQuery(unsigned language, unsigned codePage);

// "Marrowick Glyphcast Version " and the file version with its blanks removed
// and every "," turned into ".": "1, 0, 0, 0" gives "... Version 1.0.0.0".
std::string AboutVersionLine(const std::string& fileVersion);

}  // namespace gc::app
