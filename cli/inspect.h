#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace gc::cli {

struct InspectOptions {
  uint32_t face = 0;                // of a TrueType collection
  std::optional<std::string> name;  // the download name the hints use
  std::optional<int> id;            // the font or macro ID the hints use
};

// Prints what the file is and, for a font, how to select it once installed;
// returns the exit status (1 for a stream with a wrong SIZE or a font file
// that cannot be converted).
int Inspect(const std::string& path, const InspectOptions& options);

}  // namespace gc::cli
