#include "pjl/replies.h"

#include <cctype>
#include <cstdlib>

namespace gc::pjl {

namespace {

constexpr char kFormFeed = '\f';

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (Blank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (Blank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A decimal number of up to 19 digits.
bool Number(std::string_view text, uint64_t* value) {
  text = Trim(text);
  if (text.empty() || text.size() > 19) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  *value = v;
  return true;
}

// Words and KEY=VALUE fields of one line; "KEY = VALUE" and quoted values too.
void SplitLine(std::string_view line, Reply* reply) {
  size_t at = 0;
  auto skipBlanks = [&] {
    while (at < line.size() && Blank(line[at])) ++at;
  };
  while (true) {
    skipBlanks();
    if (at >= line.size()) return;
    size_t start = at;
    while (at < line.size() && !Blank(line[at]) && line[at] != '=') ++at;
    std::string_view word = line.substr(start, at - start);
    size_t afterWord = at;
    skipBlanks();
    if (at < line.size() && line[at] == '=' && !word.empty()) {
      ++at;
      skipBlanks();
      std::string value;
      if (at < line.size() && line[at] == '"') {
        size_t close = line.find('"', at + 1);
        size_t end = close == std::string_view::npos ? line.size() : close;
        value = std::string(line.substr(at + 1, end - at - 1));
        at = close == std::string_view::npos ? line.size() : close + 1;
      } else {
        size_t vstart = at;
        while (at < line.size() && !Blank(line[at])) ++at;
        value = std::string(line.substr(vstart, at - vstart));
      }
      reply->fields.emplace_back(Upper(word), value);
    } else {
      at = afterWord;
      if (word.empty()) {  // a lone '='
        ++at;
        continue;
      }
      reply->words.push_back(Upper(word));
    }
  }
}

std::optional<Reply> ParseReply(std::string_view text) {
  // text: from "@PJL" to just before the form feed.
  Reply reply;
  size_t end = text.find('\n');
  std::string_view first = Trim(text.substr(0, end));
  first.remove_prefix(4);  // "@PJL"
  SplitLine(first, &reply);
  if (reply.words.empty()) return std::nullopt;
  while (end != std::string_view::npos) {
    size_t start = end + 1;
    end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                             : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (end == std::string_view::npos && Trim(line).empty()) break;
    reply.lines.emplace_back(line);
  }
  return reply;
}

// A line that is only "KEY=VALUE".
std::optional<std::string> LineField(std::string_view line, const std::string& key) {
  line = Trim(line);
  size_t equals = line.find('=');
  if (equals == std::string_view::npos || Upper(Trim(line.substr(0, equals))) != key)
    return std::nullopt;
  std::string_view value = Trim(line.substr(equals + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

int FileError(const Reply& reply) {
  uint64_t n = 0;
  std::optional<std::string> text = reply.Field("FILEERROR");
  return text && Number(*text, &n) && n < 100000 ? static_cast<int>(n) : 0;
}

}  // namespace

std::optional<std::string> Reply::Field(const std::string& key) const {
  for (const auto& [k, v] : fields)
    if (k == key) return v;
  for (const std::string& line : lines)
    if (std::optional<std::string> value = LineField(line, key)) return value;
  return std::nullopt;
}

bool Reply::Is(std::string_view command) const {
  return !words.empty() && words.front() == command;
}

size_t TakeReplies(std::string_view received, std::vector<Reply>* replies) {
  size_t used = 0;
  while (true) {
    size_t feed = received.find(kFormFeed, used);
    if (feed == std::string_view::npos) return used;
    std::string_view chunk = received.substr(used, feed - used);
    // The reply is the last "@PJL" that starts a line before the form feed.
    size_t start = std::string_view::npos;
    for (size_t at = chunk.find("@PJL"); at != std::string_view::npos; at = chunk.find("@PJL", at + 1))
      if (at == 0 || chunk[at - 1] == '\n' || chunk[at - 1] == '\r' || chunk[at - 1] == kFormFeed)
        start = at;
    if (start != std::string_view::npos)
      if (std::optional<Reply> reply = ParseReply(chunk.substr(start))) replies->push_back(*reply);
    used = feed + 1;
  }
}

bool SamePath(const std::string& a, const std::string& b) {
  return Upper(a) == Upper(b);
}

std::optional<FileQuery> ParseFsQuery(const Reply& reply, const std::string& path) {
  std::optional<std::string> name = reply.Field("NAME");
  if (!reply.Is("FSQUERY") || !name || !SamePath(*name, path)) return std::nullopt;
  FileQuery q;
  std::string type = Upper(reply.Field("TYPE").value_or(""));
  uint64_t size = 0;
  if (type == "FILE" && Number(reply.Field("SIZE").value_or(""), &size)) {
    q.kind = FileQuery::Kind::File;
    q.size = size;
  } else if (type == "DIR") {
    q.kind = FileQuery::Kind::Folder;
  } else {
    q.fileError = FileError(reply);
  }
  return q;
}

std::optional<DirListing> ParseFsDirList(const Reply& reply, const std::string& folder) {
  std::optional<std::string> name = reply.Field("NAME");
  if (!reply.Is("FSDIRLIST") || !name || !SamePath(*name, folder)) return std::nullopt;
  DirListing listing;
  uint64_t entry = 0;
  if (Number(reply.Field("ENTRY").value_or(""), &entry) && entry <= 0xFFFFFFFFu)
    listing.entry = static_cast<uint32_t>(entry);
  for (const std::string& line : reply.lines) {
    if (LineField(line, "FILEERROR")) {
      listing.fileError = FileError(reply);
      if (listing.fileError == 0) listing.fileError = -1;  // an error without a number
      continue;
    }
    std::string upper = Upper(line);
    size_t type = upper.rfind(" TYPE");
    if (type == std::string::npos) continue;
    Reply fields;
    SplitLine(std::string_view(line).substr(type), &fields);
    DirEntry e;
    e.name = std::string(Trim(std::string_view(line).substr(0, type)));
    std::string kind = Upper(fields.Field("TYPE").value_or(""));
    if (e.name.empty() || (kind != "FILE" && kind != "DIR")) continue;
    e.folder = kind == "DIR";
    if (!e.folder && !Number(fields.Field("SIZE").value_or(""), &e.size)) continue;
    ++listing.linesSeen;
    if (e.name != "." && e.name != "..") listing.entries.push_back(std::move(e));
  }
  return listing;
}

std::optional<FileSystem> ParseInfoFilesys(const Reply& reply) {
  if (!reply.Is("INFO") || reply.words.size() < 2 || reply.words[1] != "FILESYS")
    return std::nullopt;
  FileSystem fs;
  for (const std::string& line : reply.lines) {
    std::string_view text = Trim(line);
    if (text == "\"?\"" || text == "?") return FileSystem{};
    if (Upper(text).rfind("VOLUME", 0) == 0) {
      fs.present = true;  // the table's header: firmware and device are there
      continue;
    }
    // "0: 1755136 1718272 <HT> <HT> READ-WRITE": volume, total, free, ..., status.
    Reply row;
    SplitLine(text, &row);
    Volume v;
    if (row.words.size() < 3 || row.words[0].empty() || row.words[0].back() != ':' ||
        !Number(row.words[1], &v.total) || !Number(row.words[2], &v.free))
      continue;
    v.name = row.words[0];
    v.writable = row.words.back() == "READ-WRITE";
    fs.present = true;
    fs.volumes.push_back(v);
  }
  return fs;
}

std::optional<std::string> ParseInfoId(const Reply& reply) {
  if (!reply.Is("INFO") || reply.words.size() < 2 || reply.words[1] != "ID" || reply.lines.empty())
    return std::nullopt;
  std::string_view text = Trim(reply.lines.front());
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  if (text == "?") return std::nullopt;
  return std::string(text);
}

std::string FileErrorText(int fileError) {
  static const char* const kTexts[] = {
      "general error",          "volume not available",   "disk full",
      "file not found",         "no free file descriptors", "invalid number of bytes",
      "file already exists",    "illegal name",           "cannot delete the root",
      "file operation on a directory", "directory operation on a file", "not the same volume",
      "read only",              "directory full",         "directory not empty",
      "bad disk",               "no label",               "invalid parameter"};
  std::string code = "FILEERROR=" + std::to_string(fileError);
  if (fileError >= 0 && fileError < static_cast<int>(sizeof kTexts / sizeof kTexts[0]))
    return std::string(kTexts[fileError]) + " (" + code + ")";
  return "file-system error (" + code + ")";
}

bool IsEchoOf(const Reply& reply, const std::string& token) {
  return reply.Is("ECHO") && reply.words.size() == 2 && reply.words[1] == Upper(token);
}

}  // namespace gc::pjl
