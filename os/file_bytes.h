// The edge where a file becomes bytes: the whole file, read once and held
// while the object lives. On Windows the file is mapped and stays open
// without write sharing, so nobody can change it under the view; elsewhere it
// is read into memory, so a file truncated meanwhile cannot fault a reader.
#pragma once
#include <cstdint>
#include <memory>

#include "os/byte_view.h"

namespace gc::os {

class FileBytes {
 public:
  FileBytes();
  ~FileBytes();
  FileBytes(FileBytes&&) noexcept;
  FileBytes& operator=(FileBytes&&) noexcept;

  enum class Status { Ok, CannotOpen, TooLarge, CannotRead };

  // The whole file at `path`. `exclusive` refuses sharing where the platform
  // can; a file over `maxSize` bytes is not read (TooLarge), nor one the
  // address space cannot hold. An empty file gives no bytes. On failure
  // systemError() holds the platform's code (errno or GetLastError).
  Status Open(const char* path, bool exclusive, uint64_t maxSize = UINT64_MAX);
  ByteView bytes() const;
  bool IsOpen() const;
  int systemError() const { return systemError_; }

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  int systemError_ = 0;
};

}  // namespace gc::os
