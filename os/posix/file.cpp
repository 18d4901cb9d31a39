#include "os/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace gc {

File File::OpenRead(const char* path, bool) {
  File f;
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      errno = EISDIR;
      return f;
    }
    f.handle_ = fd;
  }
  return f;
}

File File::Create(const char* path) {
  File f;
  int fd = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) f.handle_ = fd;
  return f;
}

long long File::Read(void* buffer, size_t length) {
  for (;;) {
    ssize_t n = ::read(static_cast<int>(handle_), buffer, length);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

bool File::Write(const void* bytes, size_t length, size_t* written) {
  size_t done = 0;
  const char* p = static_cast<const char*>(bytes);
  while (done < length) {
    ssize_t n = ::write(static_cast<int>(handle_), p + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (written) *written = done;
  return done == length;
}

bool File::Rewind() {
  return ::lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0;
}

bool File::Size(uint64_t* size) const {
  struct stat st;
  if (::fstat(static_cast<int>(handle_), &st) != 0) return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

void File::Close() {
  if (handle_ != kNone) ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

bool RemoveFile(const char* path) {
  return ::unlink(path) == 0;
}
int LastErrorCode() {
  return errno;
}

}  // namespace gc

#include <cstring>

#include "os/ui.h"

namespace gc::os {
std::string SystemErrorText(int code) {
  return std::strerror(code);
}
}  // namespace gc::os
