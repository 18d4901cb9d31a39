#include "tools/printer_emulator/pjl_printer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace gc::emu {
namespace fs = std::filesystem;

namespace {

constexpr char kUel[] = "\x1b%-12345X";
constexpr size_t kUelSize = 9;
constexpr char kPjl[] = "@PJL";
constexpr size_t kMaxLine = 4096;
constexpr size_t kMaxComponent = 255;
constexpr size_t kMaxDepth = 16;

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

struct Option {
  std::string key;  // upper case
  std::string value;
};

// PJL options: KEY=VALUE, KEY = "VALUE", KEY:VALUE. False on an unclosed quote.
bool ParseOptions(std::string_view s, std::vector<Option>* out) {
  size_t i = 0;
  while (true) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i >= s.size()) return true;
    Option opt;
    while (i < s.size() && !IsSpace(s[i]) && s[i] != '=' && s[i] != ':') {
      opt.key += static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
      ++i;
    }
    if (i < s.size() && s[i] == ':') {
      ++i;
      while (i < s.size() && !IsSpace(s[i])) opt.value += s[i++];
    } else {
      size_t j = i;
      while (j < s.size() && IsSpace(s[j])) ++j;
      if (j < s.size() && s[j] == '=') {
        i = j + 1;
        while (i < s.size() && IsSpace(s[i])) ++i;
        if (i < s.size() && s[i] == '"') {
          size_t close = s.find('"', i + 1);
          if (close == std::string_view::npos) return false;
          opt.value = std::string(s.substr(i + 1, close - i - 1));
          i = close + 1;
        } else {
          while (i < s.size() && !IsSpace(s[i])) opt.value += s[i++];
        }
      }
    }
    if (opt.key.empty()) return false;
    out->push_back(std::move(opt));
  }
}

const Option* FindOption(const std::vector<Option>& opts, std::string_view key) {
  for (const Option& o : opts)
    if (o.key == key) return &o;
  return nullptr;
}

bool ParseSize(const std::string& s, uint32_t* out) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0xffffffffu) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// "1:\x": a name on a volume this printer does not have (only 0: exists).
bool OtherVolume(std::string_view name) {
  size_t colon = name.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  for (char c : name.substr(0, colon))
    if (c < '0' || c > '9') return false;
  return true;
}

// "0:\pcl\" names the folder "0:\pcl", as printers take it.
std::string_view WithoutTrailingSlash(std::string_view name) {
  if (!name.empty() && name.back() == '\\') name.remove_suffix(1);
  return name;
}

bool Printable(std::string_view name) {
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7f) return false;
  return true;
}

// A numeric option of FSDIRLIST: 1 to 2^31 - 1.
bool ParseCount(const Option* opt, uint32_t* out) {
  return opt && ParseSize(opt->value, out) && *out >= 1 && *out <= 0x7fffffffu;
}

// Whether s is a prefix of word.
bool IsPrefixOf(const std::string& s, std::string_view word, bool no_case) {
  if (s.size() > word.size()) return false;
  std::string_view head = word.substr(0, s.size());
  return no_case ? EqualNoCase(s, head) : s == head;
}

}  // namespace

void Log::Event(const std::string& event) {
  std::string line = prefix_ + event;
  if (keep_) lines_.push_back(line);
  if (out_) {
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
  }
}

void Log::Problem(const std::string& line) {
  ++problems_;
  Event(line);
}

void Log::BadSize(const std::string& line) {
  ++bad_sizes_;
  Event(line);
}

std::string LogText(std::string_view raw, bool keep_spaces) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : raw) {
    bool plain = (c > 0x20 && c < 0x7f && c != '%') || (keep_spaces && c == ' ');
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out.empty() ? "-" : out;
}

bool SplitVolumePath(std::string_view name, std::vector<std::string>* parts, std::string* why) {
  parts->clear();
  size_t colon = name.find(':');
  if (colon == std::string_view::npos || name.substr(0, colon) != "0") {
    *why = "volume";
    return false;
  }
  std::string_view rest = name.substr(colon + 1);
  if (rest.empty()) return true;
  if (rest[0] != '\\') {
    *why = "relative";
    return false;
  }
  rest.remove_prefix(1);
  while (true) {
    size_t cut = rest.find('\\');
    std::string_view part = rest.substr(0, cut);
    if (part.empty()) {
      *why = "empty";
      return false;
    }
    if (part == "." || part == "..") {
      *why = "dot";
      return false;
    }
    if (part.size() > kMaxComponent) {
      *why = "long";
      return false;
    }
    for (unsigned char c : part) {
      if (c == '/') {
        *why = "slash";
        return false;
      }
      if (c < 0x20 || c == 0x7f) {
        *why = "control";
        return false;
      }
    }
    parts->emplace_back(part);
    if (parts->size() > kMaxDepth) {
      *why = "deep";
      return false;
    }
    if (cut == std::string_view::npos) return true;
    rest.remove_prefix(cut + 1);
  }
}

// ---------------------------------------------------------------- Storage

Storage::Storage(fs::path root, Log& log, Profile profile)
    : root_(std::move(root)), log_(log), profile_(std::move(profile)) {
  std::error_code ec;
  fs::create_directories(root_ / "0", ec);
  fs::create_directories(root_ / "jobs", ec);
  fs::remove_all(root_ / ".incoming", ec);
  fs::create_directories(root_ / ".incoming", ec);
  // Job numbers go on from what an earlier run left.
  for (const auto& e : fs::directory_iterator(root_ / "jobs", ec)) {
    std::string n = e.path().filename().string();
    int num = 0;
    if (std::sscanf(n.c_str(), "job-%d.pcl", &num) == 1 && num >= next_job_) next_job_ = num + 1;
  }
}

fs::path Storage::Place(const std::vector<std::string>& parts) const {
  fs::path p = root_ / "0";
  for (const std::string& s : parts) p /= s;
  return p;
}

void Storage::MakeDir(const std::string& name) {
  std::vector<std::string> parts;
  std::string why;
  if (!SplitVolumePath(name, &parts, &why) || parts.empty()) {
    log_.Problem("BADNAME " + LogText(name) + " " + (why.empty() ? "empty" : why));
    return;
  }
  if (!profile_.disk) {
    log_.Event("NODISK FSMKDIR " + LogText(name));
    return;
  }
  std::error_code ec;
  fs::create_directories(Place(parts), ec);
  if (ec || !fs::is_directory(Place(parts))) {
    log_.Problem("ERROR mkdir " + LogText(name) + " " + LogText(ec.message(), true));
    return;
  }
  log_.Event("MKDIR " + LogText(name));
}

void Storage::Init(const std::string& volume) {
  if (volume != "0:") {
    log_.Problem("BADNAME " + LogText(volume) + " volume");
    return;
  }
  if (!profile_.disk) {
    log_.Event("NODISK FSINIT 0:");
    return;
  }
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(root_ / "0", ec)) {
    std::error_code rm;
    fs::remove_all(e.path(), rm);
    if (rm) log_.Problem("ERROR fsinit " + LogText(rm.message(), true));
  }
  log_.Event("FSINIT 0:");
}

bool Storage::BeginDownload(const std::string& name, uint32_t size, int conn, std::FILE** file,
                            fs::path* temp) {
  std::vector<std::string> parts;
  std::string why;
  if (!SplitVolumePath(name, &parts, &why) || parts.empty()) {
    log_.Problem("BADNAME " + LogText(name) + " " + (why.empty() ? "empty" : why));
    return false;
  }
  if (!profile_.disk) {
    log_.Event("NODISK FSDOWNLOAD " + LogText(name) + " " + std::to_string(size));
    return false;
  }
  fs::path dest = Place(parts);
  std::error_code ec;
  if (!fs::is_directory(dest.parent_path(), ec)) log_.Problem("NODIR " + LogText(name));
  *temp = root_ / ".incoming" / ("conn-" + std::to_string(conn));
  *file = std::fopen(temp->c_str(), "wb");
  if (!*file) {
    log_.Problem("ERROR open " + LogText(temp->string()) + " " + std::strerror(errno));
    return false;
  }
  return true;
}

void Storage::FinishDownload(const std::string& name, std::FILE* file, const fs::path& temp,
                             uint32_t size) {
  bool ok = std::fflush(file) == 0 && !std::ferror(file);
  std::fclose(file);
  std::vector<std::string> parts;
  std::string why;
  SplitVolumePath(name, &parts, &why);  // checked in BeginDownload
  fs::path dest = Place(parts);
  std::error_code ec;
  // A lossy printer keeps all but the last 16 bytes, or half of a small file.
  uint32_t kept = profile_.lossy ? size - std::min<uint32_t>(16, (size + 1) / 2) : size;
  if (ok && kept != size) fs::resize_file(temp, kept, ec);
  if (ok && !ec) {
    fs::create_directories(dest.parent_path(), ec);
    fs::rename(temp, dest, ec);
  }
  if (!ok || ec) {
    log_.Problem("ERROR store " + LogText(name) + " " +
                 LogText(ok ? ec.message() : "write failed", true));
    fs::remove(temp, ec);
    return;
  }
  ++stored_;
  log_.Event("STORED " + LogText(name) + " " + std::to_string(size));
  if (kept != size)
    log_.Event("LOSSY " + LogText(name) + " announced=" + std::to_string(size) +
               " stored=" + std::to_string(kept));
}

void Storage::DropDownload(std::FILE* file, const fs::path& temp) {
  std::fclose(file);
  std::error_code ec;
  fs::remove(temp, ec);
}

std::FILE* Storage::OpenJob(std::string* rel) {
  char name[32];
  std::snprintf(name, sizeof name, "job-%04d.pcl", next_job_++);
  *rel = std::string("jobs/") + name;
  std::error_code ec;
  fs::create_directories(root_ / "jobs", ec);
  std::FILE* f = std::fopen((root_ / *rel).c_str(), "wb");
  if (!f) log_.Problem("ERROR open " + *rel + " " + std::strerror(errno));
  return f;
}

void Storage::JobDone(const std::string& rel, uint64_t size) {
  ++jobs_;
  log_.Event("JOB " + rel + " " + std::to_string(size));
}

int Storage::Resolve(const std::string& name, fs::path* place) const {
  if (!profile_.disk) return kVolumeNotAvailable;
  std::string_view path = WithoutTrailingSlash(name);
  std::vector<std::string> parts;
  std::string why;
  if (!SplitVolumePath(path, &parts, &why))
    return why == "volume" && OtherVolume(path) ? kVolumeNotAvailable : kIllegalName;
  *place = Place(parts);
  return 0;
}

int Storage::Query(const std::string& name, DirEntry* found) const {
  fs::path place;
  if (int error = Resolve(name, &place)) return error;
  std::error_code ec;
  fs::file_status st = fs::symlink_status(place, ec);
  if (fs::is_directory(st)) {
    *found = {name, true, 0};
    return 0;
  }
  if (fs::is_regular_file(st)) {
    uint64_t size = fs::file_size(place, ec);
    if (!ec) {
      *found = {name, false, size};
      return 0;
    }
  }
  return kFileNotFound;
}

int Storage::List(const std::string& folder, std::vector<DirEntry>* entries) const {
  entries->clear();
  fs::path place;
  if (int error = Resolve(folder, &place)) return error;
  std::error_code ec;
  fs::file_status st = fs::symlink_status(place, ec);
  if (fs::is_regular_file(st)) return kDirectoryOpOnFile;
  if (!fs::is_directory(st)) return kFileNotFound;
  std::vector<DirEntry> found;
  for (const auto& e : fs::directory_iterator(place, ec)) {
    std::string name = e.path().filename().string();
    std::error_code entry_ec;
    fs::file_status s = e.symlink_status(entry_ec);
    // A name that would break the reply's lines is not one PJL could have made.
    if (entry_ec || !Printable(name)) continue;
    if (fs::is_directory(s)) {
      found.push_back({name, true, 0});
    } else if (fs::is_regular_file(s)) {
      uint64_t size = e.file_size(entry_ec);
      if (!entry_ec) found.push_back({name, false, size});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  entries->push_back({".", true, 0});
  entries->push_back({"..", true, 0});
  entries->insert(entries->end(), found.begin(), found.end());
  return 0;
}

void Storage::Delete(const std::string& name) {
  std::vector<std::string> parts;
  std::string why;
  if (!SplitVolumePath(WithoutTrailingSlash(name), &parts, &why) || parts.empty()) {
    log_.Problem("BADNAME " + LogText(name) + " " + (why.empty() ? "empty" : why));
    return;
  }
  if (!profile_.disk) {
    log_.Event("NODISK FSDELETE " + LogText(name));
    return;
  }
  fs::path place = Place(parts);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(place, ec))) {
    log_.Event("DELETE " + LogText(name) + " missing");
    return;
  }
  fs::remove(place, ec);  // a folder only when empty, as printers do
  if (ec == std::errc::directory_not_empty || ec == std::errc::file_exists) {
    log_.Event("DELETE " + LogText(name) + " notempty");
  } else if (ec) {
    log_.Problem("ERROR delete " + LogText(name) + " " + LogText(ec.message(), true));
  } else {
    log_.Event("DELETE " + LogText(name) + " ok");
  }
}

uint64_t Storage::Used() const {
  uint64_t used = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root_ / "0", ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code size_ec;
    if (it->is_regular_file(size_ec) && !it->is_symlink(size_ec)) {
      uint64_t size = it->file_size(size_ec);
      if (!size_ec) used += size;
    }
  }
  return used;
}

namespace {

void ListVolume(const fs::path& dir, const std::string& pjl, std::FILE* out) {
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (const auto& e : fs::directory_iterator(dir, ec)) entries.push_back(e);
  std::sort(entries.begin(), entries.end());
  for (const auto& e : entries) {
    std::string name = pjl + "\\" + e.path().filename().string();
    if (e.is_directory(ec) && !e.is_symlink(ec)) {
      std::fprintf(out, "DIR %s\n", LogText(name).c_str());
      ListVolume(e.path(), name, out);
    } else if (e.is_regular_file(ec)) {
      std::fprintf(out, "FILE %s %ju\n", LogText(name).c_str(),
                   static_cast<uintmax_t>(e.file_size(ec)));
    }
  }
}

}  // namespace

void Storage::Report(const fs::path& root, std::FILE* out) {
  ListVolume(root / "0", "0:", out);
  std::error_code ec;
  std::vector<fs::directory_entry> jobs;
  for (const auto& e : fs::directory_iterator(root / "jobs", ec))
    if (e.is_regular_file(ec)) jobs.push_back(e);
  std::sort(jobs.begin(), jobs.end());
  for (const auto& e : jobs)
    std::fprintf(out, "JOB jobs/%s %ju\n", LogText(e.path().filename().string()).c_str(),
                 static_cast<uintmax_t>(e.file_size(ec)));
  std::fflush(out);
}

// ---------------------------------------------------------------- Session

Session::~Session() {
  if (dl_file_) storage_.DropDownload(dl_file_, dl_temp_);
  if (job_) std::fclose(job_);
}

void Session::Feed(const uint8_t* data, size_t size) {
  bytes_ += size;
  const uint8_t* end = data + size;
  while (data < end) {
    switch (state_) {
      case State::kPjl:
        FeedPjl(*data++);
        break;
      case State::kLine:
      case State::kSkipLine:
        data += FeedLine(data, static_cast<size_t>(end - data));
        break;
      case State::kPcl:
        data += FeedPcl(data, static_cast<size_t>(end - data));
        break;
      case State::kPayload:
        data += FeedPayload(data, static_cast<size_t>(end - data));
        break;
      case State::kAfterPayload:
        FeedAfterPayload(*data++);
        break;
      case State::kOverrun:
        FeedOverrun(*data++);
        break;
    }
  }
}

// Between PJL lines: "@PJL" starts a line, a UEL is skipped, anything else is
// printer language data.
void Session::FeedPjl(uint8_t byte) {
  if (line_.empty() && (byte == '\r' || byte == '\n')) return;
  line_ += static_cast<char>(byte);
  if (IsPrefixOf(line_, kPjl, true)) {
    if (line_.size() == 4) state_ = State::kLine;
    return;
  }
  if (IsPrefixOf(line_, std::string_view(kUel, kUelSize), false)) {
    if (line_.size() == kUelSize) line_.clear();
    return;
  }
  std::string pending;
  pending.swap(line_);
  StartPcl(pending);
}

void Session::StartPcl(const std::string& pending) {
  state_ = State::kPcl;
  match_ = 0;
  // `pending` never holds a whole UEL, so this cannot leave the PCL state.
  FeedPcl(reinterpret_cast<const uint8_t*>(pending.data()), pending.size());
}

// Language data up to and including the next UEL; returns the bytes used.
size_t Session::FeedPcl(const uint8_t* data, size_t size) {
  size_t i = 0;
  while (i < size) {
    if (match_ > 0) {
      if (data[i] == static_cast<uint8_t>(kUel[match_])) {
        ++i;
        if (++match_ == kUelSize) {
          match_ = 0;
          state_ = State::kPjl;
          return i;
        }
        continue;
      }
      JobWrite(kUel, match_);  // not a UEL after all; data[i] may start one
      match_ = 0;
    }
    if (data[i] == 0x1b) {
      match_ = 1;
      ++i;
      continue;
    }
    const void* esc = std::memchr(data + i, 0x1b, size - i);
    size_t stop = esc ? static_cast<size_t>(static_cast<const uint8_t*>(esc) - data) : size;
    JobWrite(data + i, stop - i);
    i = stop;
  }
  return i;
}

size_t Session::FeedLine(const uint8_t* data, size_t size) {
  const uint8_t* lf = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
  size_t take = lf ? static_cast<size_t>(lf - data) + 1 : size;
  if (state_ == State::kSkipLine) {
    if (lf) state_ = State::kPjl;
    return take;
  }
  size_t text = lf ? take - 1 : take;
  if (line_.size() + text > kMaxLine) {
    storage_.log().Problem("BADPJL too-long " + LogText(line_.substr(0, 80), true));
    line_.clear();
    state_ = lf ? State::kPjl : State::kSkipLine;
    return take;
  }
  line_.append(reinterpret_cast<const char*>(data), text);
  if (lf) {
    std::string line;
    line.swap(line_);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    state_ = State::kPjl;
    OnPjlLine(line);
  }
  return take;
}

void Session::OnPjlLine(const std::string& line) {
  std::string rest = line.substr(4);
  size_t i = 0;
  while (i < rest.size() && IsSpace(rest[i])) ++i;
  size_t j = i;
  while (j < rest.size() && !IsSpace(rest[j])) ++j;
  std::string command = Upper(rest.substr(i, j - i));
  std::string args = rest.substr(j);
  if (command.empty()) return;  // the bare "@PJL" announcement
  Log& log = storage_.log();
  std::vector<Option> opts;
  bool parsed = ParseOptions(args, &opts);
  if (command == "FSDOWNLOAD") {
    OnDownload(line, parsed ? args : std::string());
    return;
  }
  if (command == "FSMKDIR") {
    const Option* name = FindOption(opts, "NAME");
    if (!parsed || !name) {
      log.Problem("BADPJL fsmkdir " + LogText(line, true));
      return;
    }
    storage_.MakeDir(name->value);
    return;
  }
  if (command == "FSINIT") {
    const Option* volume = FindOption(opts, "VOLUME");
    if (!parsed || !volume) {
      log.Problem("BADPJL fsinit " + LogText(line, true));
      return;
    }
    storage_.Init(volume->value);
    return;
  }
  if (command == "ENTER") {
    const Option* lang = FindOption(opts, "LANGUAGE");
    if (!parsed || !lang) {
      log.Problem("BADPJL enter " + LogText(line, true));
      return;
    }
    log.Event("ENTER " + LogText(Upper(lang->value)));
    state_ = State::kPcl;
    match_ = 0;
    return;
  }
  if (command == "FSQUERY") {
    OnQuery(line, args);
  } else if (command == "FSDIRLIST") {
    OnDirList(line, args);
  } else if (command == "FSDELETE") {
    OnDelete(line, args);
  } else if (command == "INFO") {
    OnInfo(line, args);
  } else if (command == "ECHO") {
    size_t start = args.find_first_not_of(" \t");
    log.Event("ECHO " + LogText(start == std::string::npos ? "" : args.substr(start), true));
    replies_ += reply_.Echo(args);
  } else {
    log.Event("PJL " + LogText(line, true));
  }
}

void Session::OnQuery(const std::string& line, const std::string& args) {
  std::vector<Option> opts;
  const Option* name = ParseOptions(args, &opts) ? FindOption(opts, "NAME") : nullptr;
  if (!name) {
    storage_.log().Problem("BADPJL fsquery " + LogText(line, true));
    return;
  }
  DirEntry found;
  std::string what;
  if (int error = storage_.Query(name->value, &found)) {
    replies_ += reply_.QueryError(name->value, error);
    what = "error=" + std::to_string(error);
  } else if (found.folder) {
    replies_ += reply_.FolderQuery(name->value);
    what = "dir";
  } else {
    replies_ += reply_.FileQuery(name->value, found.size);
    what = "file " + std::to_string(found.size);
  }
  storage_.log().Event("QUERY " + LogText(name->value) + " " + what);
}

void Session::OnDirList(const std::string& line, const std::string& args) {
  std::vector<Option> opts;
  const Option* name = ParseOptions(args, &opts) ? FindOption(opts, "NAME") : nullptr;
  if (!name) {
    storage_.log().Problem("BADPJL fsdirlist " + LogText(line, true));
    return;
  }
  const Option* entry_opt = FindOption(opts, "ENTRY");
  const Option* count_opt = FindOption(opts, "COUNT");
  uint32_t entry = 0, count = 0;
  std::vector<DirEntry> all;
  int error = ParseCount(entry_opt, &entry) && ParseCount(count_opt, &count)
                  ? storage_.List(name->value, &all)
                  : kInvalidParameter;
  std::string what;
  if (error) {
    replies_ += reply_.DirListError(name->value, error);
    what = "error=" + std::to_string(error);
  } else {
    // ENTRY is 1-based; a page past the end is empty.
    size_t first = std::min<size_t>(entry - 1, all.size());
    size_t last = std::min<size_t>(all.size(), first + count);
    std::vector<DirEntry> page(all.begin() + static_cast<ptrdiff_t>(first),
                               all.begin() + static_cast<ptrdiff_t>(last));
    replies_ += reply_.DirList(name->value, entry, page);
    what = "entries=" + std::to_string(page.size());
  }
  storage_.log().Event("DIRLIST " + LogText(name->value) + " " +
                       LogText(entry_opt ? entry_opt->value : "") + " " +
                       LogText(count_opt ? count_opt->value : "") + " " + what);
}

void Session::OnDelete(const std::string& line, const std::string& args) {
  std::vector<Option> opts;
  const Option* name = ParseOptions(args, &opts) ? FindOption(opts, "NAME") : nullptr;
  if (!name) {
    storage_.log().Problem("BADPJL fsdelete " + LogText(line, true));
    return;
  }
  storage_.Delete(name->value);
}

void Session::OnInfo(const std::string& line, const std::string& args) {
  size_t start = args.find_first_not_of(" \t");
  if (start == std::string::npos) {
    storage_.log().Problem("BADPJL info " + LogText(line, true));
    return;
  }
  size_t end = args.find_first_of(" \t", start);
  std::string category = args.substr(start, end == std::string::npos ? end : end - start);
  std::string upper = Upper(category);
  storage_.log().Event("INFO " + LogText(upper));
  const Profile& profile = storage_.profile();
  if (upper == "ID") {
    replies_ += reply_.InfoId(profile.model);
  } else if (upper == "FILESYS" && profile.disk) {
    uint64_t used = storage_.Used();
    replies_ += reply_.InfoFilesys(profile.disk_size,
                                   profile.disk_size > used ? profile.disk_size - used : 0);
  } else {
    replies_ += reply_.InfoUnknown(category);
  }
}

void Session::TakeReplies(std::string* out) {
  out->append(replies_);
  replies_.clear();
}

void Session::OnDownload(const std::string& line, const std::string& args) {
  Log& log = storage_.log();
  std::vector<Option> opts;
  if (!ParseOptions(args, &opts)) opts.clear();
  const Option* size = FindOption(opts, "SIZE");
  const Option* name = FindOption(opts, "NAME");
  const Option* format = FindOption(opts, "FORMAT");
  uint32_t n = 0;
  if (!size || !ParseSize(size->value, &n)) {
    // Without a size the payload cannot be told from what follows.
    log.Problem("BADPJL fsdownload-size " + LogText(line, true));
    return;
  }
  dl_name_ = name ? name->value : std::string();
  dl_size_ = n;
  dl_received_ = 0;
  dl_match_ = 0;
  dl_uel_at_ = -1;
  dl_overrun_ = 0;
  dl_file_ = nullptr;
  if (!name) {
    log.Problem("BADPJL fsdownload-name " + LogText(line, true));
  } else if (!format || Upper(format->value) != "BINARY") {
    log.Problem("BADPJL fsdownload-format " + LogText(line, true));
  } else if (!storage_.BeginDownload(dl_name_, n, id_, &dl_file_, &dl_temp_)) {
    dl_file_ = nullptr;
  }
  state_ = State::kPayload;
  if (n == 0) {
    if (dl_file_) storage_.FinishDownload(dl_name_, dl_file_, dl_temp_, 0);
    dl_file_ = nullptr;
    state_ = State::kAfterPayload;
    match_ = 0;
  }
}

size_t Session::FeedPayload(const uint8_t* data, size_t size) {
  size_t take = std::min<size_t>(size, dl_size_ - dl_received_);
  if (dl_file_ && std::fwrite(data, 1, take, dl_file_) != take) {
    storage_.log().Problem("ERROR write " + LogText(dl_name_) + " " + std::strerror(errno));
    storage_.DropDownload(dl_file_, dl_temp_);
    dl_file_ = nullptr;
  }
  // Where the sender's UEL sits if SIZE ran past it.
  for (size_t i = 0; i < take && dl_uel_at_ < 0; ++i) {
    uint8_t b = data[i];
    if (b == static_cast<uint8_t>(kUel[dl_match_])) {
      if (++dl_match_ == kUelSize)
        dl_uel_at_ = static_cast<int64_t>(dl_received_ + i + 1 - kUelSize);
    } else {
      dl_match_ = b == 0x1b ? 1 : 0;
    }
  }
  dl_received_ += static_cast<uint32_t>(take);
  if (dl_received_ == dl_size_) {
    if (dl_file_) storage_.FinishDownload(dl_name_, dl_file_, dl_temp_, dl_size_);
    dl_file_ = nullptr;
    state_ = State::kAfterPayload;
    match_ = 0;
  }
  return take;
}

void Session::FeedAfterPayload(uint8_t byte) {
  if (byte == static_cast<uint8_t>(kUel[match_])) {
    if (++match_ == kUelSize) {
      match_ = 0;
      state_ = State::kPjl;
    }
    return;
  }
  dl_overrun_ = match_;
  match_ = 0;
  state_ = State::kOverrun;
  FeedOverrun(byte);
}

// Bytes after a payload that should have been the UEL: counted, not
// interpreted, until the sender's UEL turns up.
void Session::FeedOverrun(uint8_t byte) {
  if (byte == static_cast<uint8_t>(kUel[match_])) {
    if (++match_ == kUelSize) {
      match_ = 0;
      ReportBadSize("data", static_cast<int64_t>(dl_size_ + dl_overrun_));
      state_ = State::kPjl;
    }
    return;
  }
  dl_overrun_ += match_;
  match_ = 0;
  if (byte == 0x1b) {
    match_ = 1;
    return;
  }
  ++dl_overrun_;
}

void Session::ReportBadSize(const char* next, int64_t uel_after) {
  std::string line = "BADSIZE " + LogText(dl_name_) + " announced=" + std::to_string(dl_size_) +
                     " received=" + std::to_string(dl_received_) + " next=" + next;
  int64_t uel_at = dl_uel_at_ >= 0 ? dl_uel_at_ : uel_after;
  if (uel_at >= 0) line += " uel_at=" + std::to_string(uel_at);
  storage_.log().BadSize(line);
}

void Session::JobWrite(const void* data, size_t size) {
  if (size == 0 || job_failed_) return;
  if (!job_) {
    job_ = storage_.OpenJob(&job_rel_);
    if (!job_) {
      job_failed_ = true;
      return;
    }
  }
  if (std::fwrite(data, 1, size, job_) != size) {
    storage_.log().Problem("ERROR write " + job_rel_ + " " + std::strerror(errno));
    job_failed_ = true;
  }
  job_size_ += size;
}

void Session::CloseJob() {
  if (!job_) return;
  std::fclose(job_);
  job_ = nullptr;
  storage_.JobDone(job_rel_, job_size_);
}

void Session::Finish(End end) {
  Log& log = storage_.log();
  switch (state_) {
    case State::kPjl:
      if (!line_.empty()) StartPcl(line_);  // a cut "@PJ" or UEL start is data
      line_.clear();
      if (match_ > 0) JobWrite(kUel, match_);
      break;
    case State::kLine:
      if (end == End::kEof) log.Problem("BADPJL unterminated " + LogText(line_, true));
      break;
    case State::kSkipLine:
      break;
    case State::kPcl:
      if (match_ > 0) JobWrite(kUel, match_);
      break;
    case State::kPayload:
      if (end == End::kEof) {
        ReportBadSize("eof");
      } else {
        log.Event("ABORTED " + LogText(dl_name_) + " announced=" + std::to_string(dl_size_) +
                  " received=" + std::to_string(dl_received_));
      }
      if (dl_file_) storage_.DropDownload(dl_file_, dl_temp_);
      dl_file_ = nullptr;
      break;
    case State::kAfterPayload:
      if (end == End::kEof) ReportBadSize("eof");
      break;
    case State::kOverrun:
      dl_overrun_ += match_;
      match_ = 0;
      ReportBadSize("data");
      break;
  }
  state_ = State::kSkipLine;
  match_ = 0;
  CloseJob();
}

}  // namespace gc::emu
