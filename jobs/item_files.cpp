#include "jobs/item_files.h"

#include "io/result_codes.h"

namespace gc {

int ItemFiles::Get(const std::string& path, ByteView* bytes) {
  auto found = files_.find(path);
  if (found == files_.end()) {
    auto file = std::make_unique<os::FileBytes>();
    switch (file->Open(path.c_str(), true, 0xFFFFFFFFu)) {
      case os::FileBytes::Status::Ok:
        break;
      case os::FileBytes::Status::CannotOpen:
        return kFileFailed;
      case os::FileBytes::Status::TooLarge:
        return kFileTooLarge;
      case os::FileBytes::Status::CannotRead:
        return kReadOrWriteFailed;
    }
    found = files_.emplace(path, std::move(file)).first;
  }
  *bytes = found->second->bytes();
  return kStreamOk;
}

}  // namespace gc
