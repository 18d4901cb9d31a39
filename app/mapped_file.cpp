#include "app/mapped_file.h"

namespace gc::app {

MappedFile::~MappedFile() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool MappedFile::Open(const std::string& path) {
  file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  // GetFileSize, not GetFileSizeEx: Windows 98 and Me have only the former.
  DWORD high = 0;
  const DWORD low = GetFileSize(file_, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  // The size checks come first and name their own reason: the system would
  // otherwise report a success code for them.
  if (low == 0 && high == 0) return SetLastError(ERROR_FILE_INVALID), false;
  if (high != 0) return SetLastError(ERROR_FILE_TOO_LARGE), false;
  mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping_) return false;
  view_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  if (!view_) return false;
  size_ = low;
  return true;
}

}  // namespace gc::app
