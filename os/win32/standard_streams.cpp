// The standard streams as files, apart from the rest of the file port: only
// the command-line program needs them, and the Windows program's import table
// stays as small as the systems it runs on.
#include <windows.h>

#include "os/file.h"

namespace gc {

namespace {
intptr_t Duplicate(DWORD which) {
  HANDLE own = nullptr;
  HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetStdHandle(which), process, &own, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return -1;
  return reinterpret_cast<intptr_t>(own);
}
}  // namespace

File File::StandardInput() {
  File f;
  f.handle_ = Duplicate(STD_INPUT_HANDLE);
  return f;
}

File File::StandardOutput() {
  File f;
  f.handle_ = Duplicate(STD_OUTPUT_HANDLE);
  return f;
}

}  // namespace gc
