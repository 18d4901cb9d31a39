// Replies a printer sends over a PJL connection. Each reply runs from "@PJL"
// to a form feed; printers echo the request in their own spacing and case and
// slip in unsolicited status replies, so a reply is matched by its command
// and its fields, never by its bytes. Everything here is a pure function of
// the bytes received and reads only inside them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gc::pjl {

struct Reply {
  // The first line's words that are not KEY=VALUE fields, upper case:
  // {"FSQUERY"}, {"INFO", "FILESYS"}, {"ECHO", "GC42"}, {"USTATUS", "DEVICE"}.
  std::vector<std::string> words;
  // The first line's fields, keys upper case, values unquoted.
  std::vector<std::pair<std::string, std::string>> fields;
  std::vector<std::string> lines;  // the lines after the first, without line ends

  // A field of the first line, or of a later line that is only KEY=VALUE; none when absent.
  std::optional<std::string> Field(const std::string& key) const;
  bool Is(std::string_view command) const;  // the first word, e.g. "FSQUERY"
};

// Takes every complete reply out of `received` (bytes up to a reply's "@PJL"
// that belong to none are passed over) and returns how many bytes were used:
// what follows is an unfinished reply that more bytes will complete.
size_t TakeReplies(std::string_view received, std::vector<Reply>* replies);

// Volume paths as printers compare them: without regard to case.
bool SamePath(const std::string& a, const std::string& b);

// FSQUERY: a file with its size, a folder, or a file-system error.
struct FileQuery {
  enum class Kind { File, Folder, Error } kind = Kind::Error;
  uint64_t size = 0;
  int fileError = 0;  // FILEERROR=n: status 32000 + n; 0 when the reply gave none
};
std::optional<FileQuery> ParseFsQuery(const Reply& reply, const std::string& path);

// FSDIRLIST: the entries of one page, or a file-system error.
struct DirEntry {
  std::string name;
  bool folder = false;
  uint64_t size = 0;
};
struct DirListing {
  int fileError = 0;
  uint32_t entry = 0;  // the first entry's number, as the printer said
  std::vector<DirEntry> entries;  // "." and ".." left out
  size_t linesSeen = 0;           // entries on this page, "." and ".." included
};
std::optional<DirListing> ParseFsDirList(const Reply& reply, const std::string& folder);

// INFO FILESYS: whether the printer has a file system, and its volumes.
struct Volume {
  std::string name;  // "0:"
  uint64_t total = 0, free = 0;
  bool writable = false;
};
struct FileSystem {
  bool present = false;  // false for the "?" of a printer without file system firmware
  std::vector<Volume> volumes;
};
std::optional<FileSystem> ParseInfoFilesys(const Reply& reply);

// INFO ID: the printer's model text, unquoted.
std::optional<std::string> ParseInfoId(const Reply& reply);

// ECHO: the reply to "@PJL ECHO token" carries the token (compared without regard to case).
bool IsEchoOf(const Reply& reply, const std::string& token);

// What FILEERROR=n means (status 32000 + n) in the PJL reference's words.
std::string FileErrorText(int fileError);

}  // namespace gc::pjl
