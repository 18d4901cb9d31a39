#include "os/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <stdexcept>
#include <vector>

namespace gc::os {

struct FileBytes::Impl {
  std::vector<uint8_t> data;
};

FileBytes::FileBytes() = default;
FileBytes::~FileBytes() = default;
FileBytes::FileBytes(FileBytes&&) noexcept = default;
FileBytes& FileBytes::operator=(FileBytes&&) noexcept = default;

FileBytes::Status FileBytes::Open(const char* path, bool, uint64_t maxSize) {
  impl_.reset();
  systemError_ = 0;
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    systemError_ = errno;
    return Status::CannotOpen;
  }
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    systemError_ = errno;
    return Status::CannotOpen;
  }
  if (S_ISDIR(st.st_mode)) {
    systemError_ = EISDIR;
    return Status::CannotOpen;
  }
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    systemError_ = EFBIG;
    return Status::TooLarge;
  }
  auto impl = std::make_unique<Impl>();
  try {
    impl->data.resize(static_cast<size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    systemError_ = ENOMEM;
    return Status::TooLarge;
  } catch (const std::length_error&) {
    systemError_ = EFBIG;
    return Status::TooLarge;
  }
  size_t got = 0;
  while (got < impl->data.size()) {
    ssize_t n = ::read(fd, impl->data.data() + got, impl->data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      systemError_ = n < 0 ? errno : EIO;  // an error, or shorter than it said
      return Status::CannotRead;
    }
    got += static_cast<size_t>(n);
  }
  impl_ = std::move(impl);
  return Status::Ok;
}

ByteView FileBytes::bytes() const {
  return impl_ ? ByteView(impl_->data.data(), impl_->data.size()) : ByteView();
}

bool FileBytes::IsOpen() const {
  return impl_ != nullptr;
}

}  // namespace gc::os
