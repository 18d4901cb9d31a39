// The reply parsers on arbitrary bytes: no read outside the input, never more
// used than received, and every reply parser takes whatever the split gives.
#include <string>
#include <vector>

#include "pjl/replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string exact(reinterpret_cast<const char*>(data), size);
  std::vector<gc::pjl::Reply> replies;
  size_t used = gc::pjl::TakeReplies(exact, &replies);
  if (used > size || replies.size() > size) __builtin_trap();
  for (const gc::pjl::Reply& r : replies) {
    gc::pjl::ParseFsQuery(r, "0:\\pcl\\fonts\\F");
    if (auto list = gc::pjl::ParseFsDirList(r, "0:\\pcl\\fonts"))
      if (list->entries.size() > list->linesSeen) __builtin_trap();
    gc::pjl::ParseInfoFilesys(r);
    gc::pjl::ParseInfoId(r);
    gc::pjl::IsEchoOf(r, "GC1");
  }
  return 0;
}
