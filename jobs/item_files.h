// The files of a job's items, each read once however many printers take it.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "os/byte_view.h"
#include "os/file_bytes.h"

namespace gc {

class ItemFiles {
 public:
  // 0 and the file's bytes (valid while this object lives), or the stream
  // result of a file that cannot be had: 1 (cannot be opened), 3 (4 GiB or
  // more, or more than memory holds), 5 (cannot be read). Files are opened
  // without sharing, as long as the job runs.
  int Get(const std::string& path, ByteView* bytes);

 private:
  std::map<std::string, std::unique_ptr<os::FileBytes>> files_;
};

}  // namespace gc
