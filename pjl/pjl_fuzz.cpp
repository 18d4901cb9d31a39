// Printers' PJL replies on any bytes. Read in pieces as a connection receives
// them (the unfinished rest kept and completed by the next piece), they give
// the same replies as read at once; every complete reply is taken; words and
// keys are upper case; and each reply parser, asked about the name the reply
// itself carries, reads it consistently.
#include <cctype>
#include <string>
#include <vector>

#include "pjl/replies.h"

using gc::pjl::Reply;

namespace {

bool Same(const Reply& a, const Reply& b) {
  return a.words == b.words && a.fields == b.fields && a.lines == b.lines;
}

bool Upper(const std::string& s) {
  for (char c : s)
    if (std::islower(static_cast<unsigned char>(c))) return false;
  return true;
}

void CheckReply(const Reply& r) {
  if (r.words.empty()) __builtin_trap();
  for (const std::string& w : r.words)
    if (w.empty() || !Upper(w)) __builtin_trap();
  for (const auto& [key, value] : r.fields)
    if (key.empty() || !Upper(key)) __builtin_trap();
  for (const std::string& line : r.lines)
    if (line.find('\n') != std::string::npos) __builtin_trap();

  std::string name = r.Field("NAME").value_or("0:\\pcl\\fonts\\F");
  if (auto q = gc::pjl::ParseFsQuery(r, name)) {
    gc::pjl::FileErrorText(q->fileError);
  } else if (r.Is("FSQUERY") && r.Field("NAME")) {
    __builtin_trap();  // a query reply about its own name
  }
  if (auto list = gc::pjl::ParseFsDirList(r, name)) {
    if (list->entries.size() > list->linesSeen || list->linesSeen > r.lines.size()) __builtin_trap();
    for (const gc::pjl::DirEntry& e : list->entries)
      if (e.name.empty() || e.name == "." || e.name == "..") __builtin_trap();
  } else if (r.Is("FSDIRLIST") && r.Field("NAME")) {
    __builtin_trap();
  }
  if (auto fs = gc::pjl::ParseInfoFilesys(r)) {
    for (const gc::pjl::Volume& v : fs->volumes)
      if (v.name.empty() || v.name.back() != ':' || !fs->present) __builtin_trap();
  }
  gc::pjl::ParseInfoId(r);
  if (r.Is("ECHO") && r.words.size() == 2 && !gc::pjl::IsEchoOf(r, r.words[1])) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view received(reinterpret_cast<const char*>(data), size);
  std::vector<Reply> whole;
  size_t used = gc::pjl::TakeReplies(received, &whole);
  if (used > size || received.substr(used).find('\f') != std::string_view::npos) __builtin_trap();

  // In pieces, as the fleet's reader takes them off a connection.
  size_t piece = 1 + size % 13;
  std::string pending;
  std::vector<Reply> pieces;
  for (size_t at = 0; at < size; at += piece) {
    pending.append(received.substr(at, piece));
    pending.erase(0, gc::pjl::TakeReplies(pending, &pieces));
  }
  if (pending != received.substr(used) || pieces.size() != whole.size()) __builtin_trap();
  for (size_t i = 0; i < whole.size(); ++i)
    if (!Same(whole[i], pieces[i])) __builtin_trap();

  for (const Reply& r : whole) CheckReply(r);
  return 0;
}
