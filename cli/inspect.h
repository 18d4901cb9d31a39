#pragma once
#include <string>

namespace gc::cli {

// Prints what the file is; returns the exit status (1 for a stream with a wrong SIZE).
int Inspect(const std::string& path);

}  // namespace gc::cli
