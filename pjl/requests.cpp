#include "pjl/requests.h"

namespace gc::pjl {

bool QuotableName(const std::string& path) {
  if (path.empty() || path.size() > 255) return false;
  for (unsigned char c : path)
    if (c < 0x20 || c == '"' || c == 0x7F) return false;
  return true;
}

std::string FsQuery(const std::string& path) {
  return "@PJL FSQUERY NAME=\"" + path + "\"\r\n";
}

std::string FsDirList(const std::string& folder, uint32_t entry, uint32_t count) {
  return "@PJL FSDIRLIST NAME=\"" + folder + "\" ENTRY=" + std::to_string(entry) +
         " COUNT=" + std::to_string(count) + "\r\n";
}

std::string FsDelete(const std::string& path) {
  return "@PJL FSDELETE NAME=\"" + path + "\"\r\n";
}

std::string Echo(const std::string& token) {
  return "@PJL ECHO " + token + "\r\n";
}

std::string Info(const std::string& category) {
  return "@PJL INFO " + category + "\r\n";
}

}  // namespace gc::pjl
