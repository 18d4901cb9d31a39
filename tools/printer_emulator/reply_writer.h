// The text of the PJL replies the emulated printer sends back: each starts
// with "@PJL", ends with a form feed, and has the shape the PJL Technical
// Reference shows. The odd style is what some printers really send and what
// a reply parser must survive: an unsolicited status before each reply,
// blanks around '=', paths in upper case, lines ending in LF alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gc::emu {

// File-system error numbers: FILEERROR=n stands for status 32000 + n.
enum FileError : int {
  kVolumeNotAvailable = 1,
  kFileNotFound = 3,
  kIllegalName = 7,
  kDirectoryOpOnFile = 10,
  kInvalidParameter = 17,
};

struct DirEntry {
  std::string name;
  bool folder = false;
  uint64_t size = 0;
};

class ReplyWriter {
 public:
  explicit ReplyWriter(bool odd) : odd_(odd) {}

  std::string FileQuery(const std::string& name, uint64_t size) const;
  std::string FolderQuery(const std::string& name) const;
  std::string QueryError(const std::string& name, int error) const;
  // `entries` is the page already cut out of the listing; `entry` its first number.
  std::string DirList(const std::string& folder, uint32_t entry,
                      const std::vector<DirEntry>& entries) const;
  std::string DirListError(const std::string& folder, int error) const;
  std::string Echo(const std::string& text) const;  // text: all after "ECHO", as received
  std::string InfoId(const std::string& model) const;
  std::string InfoFilesys(uint64_t total, uint64_t free) const;
  std::string InfoUnknown(const std::string& category) const;

 private:
  std::string Begin(const std::string& first_line) const;
  std::string Field(const char* key, const std::string& value) const;
  std::string Name(const std::string& name) const;
  std::string ErrorReply(const char* command, const std::string& name, int error) const;
  bool odd_;
};

}  // namespace gc::emu
