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
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_, &size)) return false;
  // The size checks come first and name their own reason: the system would
  // otherwise report a success code for them.
  if (size.QuadPart == 0) return SetLastError(ERROR_FILE_INVALID), false;
  if (size.QuadPart >> 32) return SetLastError(ERROR_FILE_TOO_LARGE), false;
  mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping_) return false;
  view_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  if (!view_) return false;
  size_ = static_cast<size_t>(size.QuadPart);
  return true;
}

}  // namespace gc::app
