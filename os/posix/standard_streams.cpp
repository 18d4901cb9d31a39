// The standard streams as files, apart from the rest of the file port: only
// the command-line program needs them.
#include <fcntl.h>

#include "os/file.h"

namespace gc {

namespace {
intptr_t Duplicate(int fd) {
  return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}
}  // namespace

File File::StandardInput() {
  File f;
  f.handle_ = Duplicate(0);
  return f;
}

File File::StandardOutput() {
  File f;
  f.handle_ = Duplicate(1);
  return f;
}

}  // namespace gc
