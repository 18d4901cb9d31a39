// The file port: RAII handle over the platform's files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace gc {

class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = kNone;
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Existing file for reading; `exclusive` refuses sharing where the platform can.
  static File OpenRead(const char* path, bool exclusive);
  // New or truncated file for reading and writing, no sharing.
  static File Create(const char* path);
  // The process's standard input and output, as files of their own: closing
  // one leaves the stream open.
  static File StandardInput();
  static File StandardOutput();

  bool IsOpen() const { return handle_ != kNone; }
  // Bytes read (0 at the end), or -1 on failure.
  long long Read(void* buffer, size_t length);
  // True when every byte was written; `written` gets what the OS took.
  bool Write(const void* bytes, size_t length, size_t* written);
  bool Rewind();
  bool Size(uint64_t* size) const;
  void Close();

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;
};

bool RemoveFile(const char* path);
// The platform's last error code (errno or GetLastError).
int LastErrorCode();

}  // namespace gc
