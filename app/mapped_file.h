// A whole file mapped read-only, for sending it unchanged.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace gc::app {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False with the calling thread's last error set: the file cannot be opened
  // or mapped, is empty, or does not fit in 32 bits.
  bool Open(const std::string& path);
  const uint8_t* bytes() const { return view_; }
  size_t size() const { return size_; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  const uint8_t* view_ = nullptr;
  size_t size_ = 0;
};

}  // namespace gc::app
