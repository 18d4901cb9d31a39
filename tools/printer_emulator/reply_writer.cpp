#include "tools/printer_emulator/reply_writer.h"

#include <cctype>

namespace gc::emu {

namespace {

constexpr char kCrLf[] = "\r\n";
constexpr char kFormFeed = '\f';
constexpr char kReadyStatus[] =
    "@PJL USTATUS DEVICE\r\nCODE=10001\r\nDISPLAY=\"00 READY\"\r\nONLINE=TRUE\r\n\f";

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

// The first line of a reply, with its line end. Odd printers end it with LF
// alone and have just said that they are ready.
std::string ReplyWriter::Begin(const std::string& first_line) const {
  if (!odd_) return "@PJL " + first_line + kCrLf;
  return std::string(kReadyStatus) + "@PJL " + first_line + "\n";
}

std::string ReplyWriter::Field(const char* key, const std::string& value) const {
  return std::string(key) + (odd_ ? " = " : "=") + value;
}

std::string ReplyWriter::Name(const std::string& name) const {
  return Field("NAME", "\"" + (odd_ ? Upper(name) : name) + "\"");
}

std::string ReplyWriter::FileQuery(const std::string& name, uint64_t size) const {
  return Begin("FSQUERY " + Name(name) + " " + Field("TYPE", "FILE") + " " +
               Field("SIZE", std::to_string(size))) +
         kFormFeed;
}

std::string ReplyWriter::FolderQuery(const std::string& name) const {
  return Begin("FSQUERY " + Name(name) + " " + Field("TYPE", "DIR")) + kFormFeed;
}

std::string ReplyWriter::ErrorReply(const char* command, const std::string& name,
                                    int error) const {
  return Begin(std::string(command) + " " + Name(name)) + "FILEERROR=" + std::to_string(error) +
         kCrLf + kFormFeed;
}

std::string ReplyWriter::QueryError(const std::string& name, int error) const {
  return ErrorReply("FSQUERY", name, error);
}

std::string ReplyWriter::DirList(const std::string& folder, uint32_t entry,
                                 const std::vector<DirEntry>& entries) const {
  std::string out =
      Begin("FSDIRLIST " + Name(folder) + " " + Field("ENTRY", std::to_string(entry)));
  for (size_t i = 0; i < entries.size(); ++i) {
    const DirEntry& e = entries[i];
    out += e.name + (e.folder ? " TYPE=DIR" : " TYPE=FILE SIZE=" + std::to_string(e.size));
    out += odd_ && i % 2 == 1 ? "\n" : kCrLf;
  }
  return out + kFormFeed;
}

std::string ReplyWriter::DirListError(const std::string& folder, int error) const {
  return ErrorReply("FSDIRLIST", folder, error);
}

std::string ReplyWriter::Echo(const std::string& text) const {
  return Begin("ECHO" + text) + kFormFeed;
}

std::string ReplyWriter::InfoId(const std::string& model) const {
  return Begin("INFO ID") + "\"" + model + "\"" + kCrLf + kFormFeed;
}

// The table form: a header and one row for volume 0, columns separated by
// tabs; location and label are empty.
std::string ReplyWriter::InfoFilesys(uint64_t total, uint64_t free) const {
  return Begin("INFO FILESYS [2 TABLE]") +
         "VOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\tSTATUS" + kCrLf + "0:\t" +
         std::to_string(total) + "\t" + std::to_string(free) + "\t\t\tREAD-WRITE" + kCrLf +
         kFormFeed;
}

std::string ReplyWriter::InfoUnknown(const std::string& category) const {
  return Begin("INFO " + (odd_ ? Upper(category) : category)) + "\"?\"" + kCrLf + kFormFeed;
}

}  // namespace gc::emu
