// The emulated printer: its storage (volume 0 and job files under one root
// folder) and the parser of one connection's PJL/PCL byte stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/printer_emulator/reply_writer.h"

namespace gc::emu {

// Event lines, one per line, flushed at once so scripts can follow the file.
// With a prefix (one printer among many), every line starts with it.
class Log {
 public:
  explicit Log(std::FILE* out, bool keep_lines = false, std::string prefix = "")
      : out_(out), keep_(keep_lines), prefix_(std::move(prefix)) {}
  void Event(const std::string& line);
  void Problem(const std::string& line);  // anything a test should fail on
  void BadSize(const std::string& line);
  int bad_sizes() const { return bad_sizes_; }
  int problems() const { return problems_; }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::FILE* out_;
  bool keep_;
  std::string prefix_;
  int bad_sizes_ = 0;
  int problems_ = 0;
  std::vector<std::string> lines_;
};

// A name or line made safe for one log field: bytes outside 0x21..0x7e and '%'
// become %XX. With keep_spaces, spaces stay (for the last field of a line).
std::string LogText(std::string_view raw, bool keep_spaces = false);

// Splits "0:\a\b" into {"a", "b"}. Refuses other volumes and any component
// that could leave the root: empty, ".", "..", '/', control bytes, too long.
bool SplitVolumePath(std::string_view name, std::vector<std::string>* parts, std::string* why);

inline constexpr char kDefaultModel[] = "Glyphcast printer emulator";
inline constexpr uint64_t kDefaultDiskSize = 64ull << 20;

// What kind of printer this is: its model text, its disk and how it replies.
struct Profile {
  std::string model = kDefaultModel;
  bool odd_replies = false;
  bool disk = true;      // false: no mass storage, nothing is stored
  bool lossy = false;    // downloads are stored short
  uint64_t disk_size = kDefaultDiskSize;
};

class Storage {
 public:
  Storage(std::filesystem::path root, Log& log, Profile profile = {});
  Log& log() { return log_; }
  const std::filesystem::path& root() const { return root_; }
  const Profile& profile() const { return profile_; }

  void MakeDir(const std::string& name);
  void Init(const std::string& volume);
  // Checks the name and opens a temporary file; false when refused or when
  // there is no disk (logged).
  bool BeginDownload(const std::string& name, uint32_t size, int conn, std::FILE** file,
                     std::filesystem::path* temp);
  // Moves the complete file into place.
  void FinishDownload(const std::string& name, std::FILE* file, const std::filesystem::path& temp,
                      uint32_t size);
  void DropDownload(std::FILE* file, const std::filesystem::path& temp);
  // Opens the next jobs/job-NNNN.pcl; returns its path relative to the root.
  std::FILE* OpenJob(std::string* rel);
  void JobDone(const std::string& rel, uint64_t size);

  // FSQUERY: the entry a name stands for; 0 or a FileError.
  int Query(const std::string& name, DirEntry* found) const;
  // FSDIRLIST: ".", ".." and the folder's entries by name; 0 or a FileError.
  int List(const std::string& folder, std::vector<DirEntry>* entries) const;
  void Delete(const std::string& name);  // FSDELETE: logged, never answered
  uint64_t Used() const;                 // bytes stored on volume 0

  int stored() const { return stored_; }
  int jobs() const { return jobs_; }
  // What the printer holds: DIR, FILE and JOB lines, sorted.
  static void Report(const std::filesystem::path& root, std::FILE* out);
  void Report(std::FILE* out) const { Report(root_, out); }

 private:
  std::filesystem::path Place(const std::vector<std::string>& parts) const;
  int Resolve(const std::string& name, std::filesystem::path* place) const;
  std::filesystem::path root_;
  Log& log_;
  Profile profile_;
  int next_job_ = 1;
  int stored_ = 0;
  int jobs_ = 0;
};

enum class End {
  kEof,    // the peer closed in order
  kAbort,  // the peer reset, or we cut the connection (fault mode, shutdown)
};

// One connection. Starts in PJL mode, as after a UEL.
class Session {
 public:
  Session(Storage& storage, int id)
      : storage_(storage), reply_(storage.profile().odd_replies), id_(id) {}
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void Feed(const uint8_t* data, size_t size);
  void Finish(End end);
  uint64_t bytes() const { return bytes_; }
  // Moves the replies written so far to the end of `out`.
  void TakeReplies(std::string* out);

 private:
  enum class State { kPjl, kLine, kSkipLine, kPcl, kPayload, kAfterPayload, kOverrun };
  void FeedPjl(uint8_t byte);
  size_t FeedPcl(const uint8_t* data, size_t size);
  size_t FeedLine(const uint8_t* data, size_t size);
  size_t FeedPayload(const uint8_t* data, size_t size);
  void FeedAfterPayload(uint8_t byte);
  void FeedOverrun(uint8_t byte);
  void OnPjlLine(const std::string& line);
  void OnDownload(const std::string& line, const std::string& rest);
  void OnQuery(const std::string& line, const std::string& args);
  void OnDirList(const std::string& line, const std::string& args);
  void OnDelete(const std::string& line, const std::string& args);
  void OnInfo(const std::string& line, const std::string& args);
  void StartPcl(const std::string& pending);
  void JobWrite(const void* data, size_t size);
  void ReportBadSize(const char* next, int64_t uel_after = -1);
  void CloseJob();

  Storage& storage_;
  ReplyWriter reply_;
  std::string replies_;
  int id_;
  State state_ = State::kPjl;
  uint64_t bytes_ = 0;
  std::string line_;
  size_t match_ = 0;  // UEL bytes matched so far

  // The download in progress.
  std::string dl_name_;
  uint32_t dl_size_ = 0;
  uint32_t dl_received_ = 0;
  std::FILE* dl_file_ = nullptr;
  std::filesystem::path dl_temp_;
  size_t dl_match_ = 0;      // UEL search inside the payload
  int64_t dl_uel_at_ = -1;   // first UEL after the FSDOWNLOAD line
  uint64_t dl_overrun_ = 0;  // bytes after the payload that were not the UEL

  std::FILE* job_ = nullptr;
  std::string job_rel_;
  uint64_t job_size_ = 0;
  bool job_failed_ = false;
};

}  // namespace gc::emu
