// Test helpers: scratch files and byte strings.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace gc::test {

using Bytes = std::string;  // raw bytes; std::string keeps literals short

inline std::filesystem::path ScratchDir() {
  static std::filesystem::path dir = [] {
    std::random_device rd;
    auto d = std::filesystem::temp_directory_path() /
             ("gc-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

inline std::string WriteScratch(const std::string& name, const Bytes& bytes) {
  auto path = ScratchDir() / name;
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes Esc(const std::string& rest) {
  return "\x1b" + rest;
}

// n bytes of a repeating 0..255 pattern starting at `from`.
inline Bytes Pattern(size_t n, int from = 0) {
  Bytes b(n, '\0');
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<char>((from + i) & 0xFF);
  return b;
}

}  // namespace gc::test
