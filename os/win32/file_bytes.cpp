#include "os/file_bytes.h"

#include <windows.h>

#include <cstdint>

namespace gc::os {

struct FileBytes::Impl {
  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE mapping = nullptr;
  const uint8_t* view = nullptr;
  size_t size = 0;
  ~Impl() {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

FileBytes::FileBytes() = default;
FileBytes::~FileBytes() = default;
FileBytes::FileBytes(FileBytes&&) noexcept = default;
FileBytes& FileBytes::operator=(FileBytes&&) noexcept = default;

FileBytes::Status FileBytes::Open(const char* path, bool exclusive, uint64_t maxSize) {
  impl_.reset();
  systemError_ = 0;
  auto impl = std::make_unique<Impl>();
  impl->file = CreateFileA(path, GENERIC_READ, exclusive ? 0 : FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (impl->file == INVALID_HANDLE_VALUE) {
    systemError_ = static_cast<int>(GetLastError());
    return Status::CannotOpen;
  }
  // GetFileSize, not GetFileSizeEx: Windows 98 and Me have only the former.
  DWORD high = 0;
  const DWORD low = GetFileSize(impl->file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    systemError_ = static_cast<int>(GetLastError());
    return Status::CannotRead;
  }
  const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
  if (size > maxSize || size > static_cast<uint64_t>(SIZE_MAX)) {
    systemError_ = ERROR_FILE_TOO_LARGE;
    return Status::TooLarge;
  }
  if (size > 0) {
    impl->mapping = CreateFileMappingA(impl->file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (impl->mapping)
      impl->view = static_cast<const uint8_t*>(MapViewOfFile(impl->mapping, FILE_MAP_READ, 0, 0, 0));
    // A view the address space cannot hold (a 32-bit program) fails here.
    if (!impl->view) {
      systemError_ = static_cast<int>(GetLastError());
      return Status::TooLarge;
    }
    impl->size = static_cast<size_t>(size);
  }
  impl_ = std::move(impl);
  return Status::Ok;
}

ByteView FileBytes::bytes() const {
  return impl_ ? ByteView(impl_->view, impl_->size) : ByteView();
}

bool FileBytes::IsOpen() const {
  return impl_ != nullptr;
}

}  // namespace gc::os
