#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/printer_emulator/pjl_printer.h"
#include "tools/printer_emulator/token_bucket.h"

extern char** environ;

namespace gc::emu {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kUel = "\x1b%-12345X";

std::string Bytes0To255(int times) {
  std::string s;
  for (int t = 0; t < times; ++t)
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

std::string FontItem(const std::string& name, const std::string& payload, size_t size) {
  return kUel + "@PJL\r\n@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
         "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=" + std::to_string(size) + " NAME=\"0:\\pcl\\fonts\\" +
         name + "\"\r\n" + payload + kUel;
}
std::string FontItem(const std::string& name, const std::string& payload) {
  return FontItem(name, payload, payload.size());
}

std::string MacroItem(const std::string& name, const std::string& payload) {
  return kUel +
         "@PJL\r\n@PJL FSMKDIR NAME=\"0:\\pcl\"\r\n@PJL FSMKDIR NAME=\"0:\\pcl\\macros\"\r\n" +
         "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=" + std::to_string(payload.size()) +
         " NAME=\"0:\\pcl\\macros\\" + name + "\"\r\n" + payload + kUel;
}

const std::string kDeleteAll = kUel + "@PJL\r\n@PJL FSINIT VOLUME=\"0:\"\r\n" +
                               "@PJL ENTER LANGUAGE=PCL\r\n\x1b*c0F\x1b&f6X" + kUel;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "emu-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    out.push_back(fs::relative(e.path(), dir).string());
  std::sort(out.begin(), out.end());
  return out;
}

// One connection's stream through the parser, in pieces of `chunk` bytes so
// every boundary case (split UEL, split PJL line) gets exercised. Returns the
// replies.
std::string Feed(Storage& st, int id, const std::string& stream, size_t chunk,
                 End end = End::kEof) {
  Session s(st, id);
  std::string replies;
  for (size_t i = 0; i < stream.size(); i += chunk) {
    size_t n = std::min(chunk, stream.size() - i);
    s.Feed(reinterpret_cast<const uint8_t*>(stream.data() + i), n);
    s.TakeReplies(&replies);
  }
  s.Finish(end);
  s.TakeReplies(&replies);
  return replies;
}

class SessionTest : public ::testing::TestWithParam<size_t> {
 protected:
  TempDir tmp_;
  fs::path root_ = tmp_.path() / "root";
  Log log_{nullptr, true};
};

INSTANTIATE_TEST_SUITE_P(Chunks, SessionTest, ::testing::Values(1, 7, 1 << 20));

TEST_P(SessionTest, StoresExactPayloads) {
  Storage st(root_, log_);
  // Payloads that look like the framing: a cut UEL and a PJL prefix.
  std::string font = Bytes0To255(3) + "\x1b%-1234@PJL\r\n" + Bytes0To255(1);
  std::string macro = "\x1b&f5y0X" + std::string("x") + "\x1b&f1X";
  Feed(st, 1, FontItem("F1", font) + MacroItem("M1", macro), GetParam());

  EXPECT_EQ(ReadFile(root_ / "0/pcl/fonts/F1"), font);
  EXPECT_EQ(ReadFile(root_ / "0/pcl/macros/M1"), macro);
  std::vector<std::string> want = {
      "MKDIR 0:\\pcl\\fonts", "STORED 0:\\pcl\\fonts\\F1 " + std::to_string(font.size()),
      "MKDIR 0:\\pcl", "MKDIR 0:\\pcl\\macros", "STORED 0:\\pcl\\macros\\M1 13"};
  EXPECT_EQ(log_.lines(), want);
  EXPECT_EQ(log_.problems() + log_.bad_sizes(), 0);
  EXPECT_FALSE(fs::exists(root_ / "jobs/job-0001.pcl"));
}

TEST_P(SessionTest, WrongSizesAreFlagged) {
  const std::string p = Bytes0To255(2);
  const std::string n = std::to_string(p.size());
  auto plus = [&](int d) { return std::to_string(static_cast<int>(p.size()) + d); };
  struct Case {
    std::string stream;
    std::string badsize;
    bool stored;
  } cases[] = {
      // SIZE too big: the payload swallows the UEL, then the connection ends.
      {FontItem("F", p, p.size() + 100),
       "BADSIZE 0:\\pcl\\fonts\\F announced=" + plus(100) + " received=" + plus(9) +
           " next=eof uel_at=" + n,
       false},
      // SIZE too small: payload bytes are left before the UEL.
      {FontItem("F", p, p.size() - 4),
       "BADSIZE 0:\\pcl\\fonts\\F announced=" + plus(-4) + " received=" + plus(-4) +
           " next=data uel_at=" + n,
       true},
      // Right size, but the connection ends instead of the UEL.
      {FontItem("F", p).substr(0, FontItem("F", p).size() - 9),
       "BADSIZE 0:\\pcl\\fonts\\F announced=" + n + " received=" + n + " next=eof", true},
      // Right size, then the start of a UEL before the real one.
      {FontItem("F", p).substr(0, FontItem("F", p).size() - 9) + "\x1b%-1" + kUel,
       "BADSIZE 0:\\pcl\\fonts\\F announced=" + n + " received=" + n +
           " next=data uel_at=" + plus(4),
       true},
      // Right size, other bytes before the UEL.
      {FontItem("F", p).substr(0, FontItem("F", p).size() - 9) + "junk" + kUel,
       "BADSIZE 0:\\pcl\\fonts\\F announced=" + n + " received=" + n +
           " next=data uel_at=" + plus(4),
       true},
  };
  for (const Case& c : cases) {
    TempDir tmp;
    Log log(nullptr, true);
    Storage st(tmp.path(), log);
    Feed(st, 1, c.stream, GetParam());
    EXPECT_EQ(log.bad_sizes(), 1) << c.badsize;
    EXPECT_NE(std::find(log.lines().begin(), log.lines().end(), c.badsize), log.lines().end())
        << "want " << c.badsize << "\ngot  " << log.lines().back();
    EXPECT_EQ(fs::exists(tmp.path() / "0/pcl/fonts/F"), c.stored) << c.badsize;
    EXPECT_TRUE(fs::is_empty(tmp.path() / ".incoming"));
  }
}

TEST_P(SessionTest, DeleteAllEmptiesVolumeAndKeepsPcl) {
  Storage st(root_, log_);
  Feed(st, 1, FontItem("F1", "abc") + MacroItem("M1", "m"), GetParam());
  Feed(st, 2, kDeleteAll, GetParam());
  EXPECT_TRUE(fs::is_empty(root_ / "0"));
  EXPECT_EQ(ReadFile(root_ / "jobs/job-0001.pcl"), "\x1b*c0F\x1b&f6X");

  // The font folder went with FSINIT: a download without FSMKDIR is reported.
  Feed(st, 3,
       kUel + "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=2 NAME=\"0:\\pcl\\fonts\\G\"\n" + "xy" + kUel,
       GetParam());
  EXPECT_EQ(ReadFile(root_ / "0/pcl/fonts/G"), "xy");
  std::vector<std::string> tail(log_.lines().end() - 5, log_.lines().end());
  std::vector<std::string> want = {"FSINIT 0:", "ENTER PCL", "JOB jobs/job-0001.pcl 10",
                                   "NODIR 0:\\pcl\\fonts\\G", "STORED 0:\\pcl\\fonts\\G 2"};
  EXPECT_EQ(tail, want);
  EXPECT_EQ(log_.problems(), 1);
  EXPECT_EQ(log_.bad_sizes(), 0);
}

TEST_P(SessionTest, RawPclBecomesOneJobFilePerConnection) {
  Storage st(root_, log_);
  const std::string test_macro = "\x1b&f12Y\x1b&f2X";
  Feed(st, 1, test_macro, GetParam());
  // A UEL cut short is data; a real one ends the PCL part.
  const std::string page =
      "\x1b%-12\x1b"
      "E text \x1b(s1P";
  Feed(st, 2, kUel + "@PJL ENTER LANGUAGE=PCL\n" + page + kUel + "\x1b&f3Y", GetParam());
  Feed(st, 3, kUel + "@PJL\r\n" + kUel, GetParam());  // nothing for the job file

  EXPECT_EQ(ReadFile(root_ / "jobs/job-0001.pcl"), test_macro);
  EXPECT_EQ(ReadFile(root_ / "jobs/job-0002.pcl"), page + "\x1b&f3Y");
  EXPECT_FALSE(fs::exists(root_ / "jobs/job-0003.pcl"));
  EXPECT_EQ(log_.lines()[0], "JOB jobs/job-0001.pcl 11");
  EXPECT_EQ(log_.problems(), 0);
}

TEST_P(SessionTest, NamesThatLeaveTheRootAreRefused) {
  struct Case {
    std::string name, reason;
  } cases[] = {
      {"0:\\pcl\\fonts\\..\\..\\..\\..\\evil", "dot"},
      {"0:\\pcl\\fonts\\..", "dot"},
      {"0:\\pcl\\fonts\\a/../../../evil", "slash"},
      {"0:\\pcl\\fonts\\", "empty"},
      {"0:\\\\evil", "empty"},
      {"0:evil", "relative"},
      {"1:\\pcl\\fonts\\evil", "volume"},
      {"/tmp/evil", "volume"},
      {"0:\\pcl\\fonts\\ev\x01il", "control"},
      {"0:\\" + std::string(300, 'a'), "long"},
  };
  Storage st(root_, log_);
  for (const Case& c : cases) {
    std::string stream = kUel + "@PJL FSMKDIR NAME=\"" + c.name + "\"\r\n" +
                         "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=4 NAME=\"" + c.name + "\"\r\n" +
                         "evil" + FontItem("ok", "good");
    Feed(st, 1, stream, GetParam());
    std::string want = "BADNAME " + LogText(c.name) + " " + c.reason;
    EXPECT_EQ(std::count(log_.lines().begin(), log_.lines().end(), want), 2) << want;
    EXPECT_EQ(ReadFile(root_ / "0/pcl/fonts/ok"), "good") << c.name;  // still in step
  }
  EXPECT_EQ(Entries(tmp_.path()),
            (std::vector<std::string>{"root", "root/.incoming", "root/0", "root/0/pcl",
                                      "root/0/pcl/fonts", "root/0/pcl/fonts/ok", "root/jobs"}));
  EXPECT_EQ(log_.bad_sizes(), 0);
}

// ------------------------------------------------------------- replies

const std::string kReady =
    "@PJL USTATUS DEVICE\r\nCODE=10001\r\nDISPLAY=\"00 READY\"\r\nONLINE=TRUE\r\n\f";

std::string Pjl(const std::string& command) {
  return "@PJL " + command + "\r\n";
}

// A printer holding 0:\pcl\fonts\F (5 bytes) and the empty folder 0:\pcl\macros.
void MakeFontAndEmptyFolder(Storage& st) {
  Feed(st, 1, FontItem("F", "abcde") + kUel + Pjl("FSMKDIR NAME=\"0:\\pcl\\macros\""), 1 << 20);
}

TEST_P(SessionTest, AnswersEachRequestInBothStyles) {
  struct Case {
    std::string request, plain, odd, log;
  } cases[] = {
      {"FSQUERY NAME=\"0:\\pcl\\fonts\\F\"",
       "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\F\" TYPE=FILE SIZE=5\r\n\f",
       kReady + "@PJL FSQUERY NAME = \"0:\\PCL\\FONTS\\F\" TYPE = FILE SIZE = 5\n\f",
       "QUERY 0:\\pcl\\fonts\\F file 5"},
      // A folder, named with a trailing backslash as the reference's example does.
      {"FSQUERY NAME=\"0:\\pcl\\\"", "@PJL FSQUERY NAME=\"0:\\pcl\\\" TYPE=DIR\r\n\f",
       kReady + "@PJL FSQUERY NAME = \"0:\\PCL\\\" TYPE = DIR\n\f", "QUERY 0:\\pcl\\ dir"},
      {"FSQUERY NAME=\"0:\"", "@PJL FSQUERY NAME=\"0:\" TYPE=DIR\r\n\f",
       kReady + "@PJL FSQUERY NAME = \"0:\" TYPE = DIR\n\f", "QUERY 0: dir"},
      {"FSQUERY NAME=\"0:\\pcl\\fonts\\G\"",
       "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\G\"\r\nFILEERROR=3\r\n\f",
       kReady + "@PJL FSQUERY NAME = \"0:\\PCL\\FONTS\\G\"\nFILEERROR=3\r\n\f",
       "QUERY 0:\\pcl\\fonts\\G error=3"},
      {"FSQUERY NAME=\"0:\\pcl\\..\\x\"", "@PJL FSQUERY NAME=\"0:\\pcl\\..\\x\"\r\nFILEERROR=7\r\n\f",
       kReady + "@PJL FSQUERY NAME = \"0:\\PCL\\..\\X\"\nFILEERROR=7\r\n\f",
       "QUERY 0:\\pcl\\..\\x error=7"},
      {"FSQUERY NAME=\"1:\\pcl\"", "@PJL FSQUERY NAME=\"1:\\pcl\"\r\nFILEERROR=1\r\n\f",
       kReady + "@PJL FSQUERY NAME = \"1:\\PCL\"\nFILEERROR=1\r\n\f", "QUERY 1:\\pcl error=1"},
      // Every second entry line of an odd listing ends in LF alone.
      {"FSDIRLIST NAME=\"0:\\pcl\\fonts\" ENTRY=1 COUNT=9",
       "@PJL FSDIRLIST NAME=\"0:\\pcl\\fonts\" ENTRY=1\r\n. TYPE=DIR\r\n.. TYPE=DIR\r\n"
       "F TYPE=FILE SIZE=5\r\n\f",
       kReady + "@PJL FSDIRLIST NAME = \"0:\\PCL\\FONTS\" ENTRY = 1\n. TYPE=DIR\r\n.. TYPE=DIR\n"
                "F TYPE=FILE SIZE=5\r\n\f",
       "DIRLIST 0:\\pcl\\fonts 1 9 entries=3"},
      {"FSDIRLIST NAME=\"0:\\pcl\\macros\" ENTRY=1 COUNT=9",
       "@PJL FSDIRLIST NAME=\"0:\\pcl\\macros\" ENTRY=1\r\n. TYPE=DIR\r\n.. TYPE=DIR\r\n\f",
       kReady + "@PJL FSDIRLIST NAME = \"0:\\PCL\\MACROS\" ENTRY = 1\n. TYPE=DIR\r\n.. TYPE=DIR\n\f",
       "DIRLIST 0:\\pcl\\macros 1 9 entries=2"},
      {"FSDIRLIST NAME=\"0:\\pcl\\fonts\\F\" ENTRY=1 COUNT=9",
       "@PJL FSDIRLIST NAME=\"0:\\pcl\\fonts\\F\"\r\nFILEERROR=10\r\n\f",
       kReady + "@PJL FSDIRLIST NAME = \"0:\\PCL\\FONTS\\F\"\nFILEERROR=10\r\n\f",
       "DIRLIST 0:\\pcl\\fonts\\F 1 9 error=10"},
      {"FSDIRLIST NAME=\"0:\\pcl\\none\" ENTRY=1 COUNT=9",
       "@PJL FSDIRLIST NAME=\"0:\\pcl\\none\"\r\nFILEERROR=3\r\n\f",
       kReady + "@PJL FSDIRLIST NAME = \"0:\\PCL\\NONE\"\nFILEERROR=3\r\n\f",
       "DIRLIST 0:\\pcl\\none 1 9 error=3"},
      // The text comes back as it came, case and blanks included.
      {"ECHO Gc 42  x", "@PJL ECHO Gc 42  x\r\n\f", kReady + "@PJL ECHO Gc 42  x\n\f",
       "ECHO Gc 42  x"},
      {"INFO ID", "@PJL INFO ID\r\n\"Model 9\"\r\n\f", kReady + "@PJL INFO ID\n\"Model 9\"\r\n\f",
       "INFO ID"},
      {"INFO FILESYS",
       "@PJL INFO FILESYS [2 TABLE]\r\nVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\tSTATUS\r\n"
       "0:\t1000000\t999995\t\t\tREAD-WRITE\r\n\f",
       kReady + "@PJL INFO FILESYS [2 TABLE]\nVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\t"
                "STATUS\r\n0:\t1000000\t999995\t\t\tREAD-WRITE\r\n\f",
       "INFO FILESYS"},
      {"INFO pagecount", "@PJL INFO pagecount\r\n\"?\"\r\n\f",
       kReady + "@PJL INFO PAGECOUNT\n\"?\"\r\n\f", "INFO PAGECOUNT"},
  };
  for (bool odd : {false, true}) {
    TempDir tmp;
    Log log(nullptr, true);
    Storage st(tmp.path(), log, Profile{.model = "Model 9", .odd_replies = odd, .disk_size = 1000000});
    MakeFontAndEmptyFolder(st);
    for (const Case& c : cases) {
      size_t before = log.lines().size();
      EXPECT_EQ(Feed(st, 2, kUel + Pjl(c.request) + kUel, GetParam()), odd ? c.odd : c.plain)
          << c.request;
      EXPECT_EQ(std::vector<std::string>(log.lines().begin() + before, log.lines().end()),
                std::vector<std::string>{c.log});
    }
    EXPECT_EQ(log.problems() + log.bad_sizes(), 0);
  }
}

TEST_P(SessionTest, DirectoryListingComesInPages) {
  Storage st(root_, log_);
  // Made out of order: the listing is by name all the same.
  Feed(st, 1,
       FontItem("c", "333") + FontItem("a", "1") + kUel + Pjl("FSMKDIR NAME=\"0:\\pcl\\fonts\\d\"") +
           FontItem("b", "22"),
       GetParam());
  auto page = [&](const std::string& entry, const std::string& count) {
    std::string request = "FSDIRLIST NAME=\"0:\\pcl\\fonts\"";
    if (!entry.empty()) request += " ENTRY=" + entry;
    if (!count.empty()) request += " COUNT=" + count;
    return Feed(st, 2, Pjl(request), GetParam());
  };
  const std::string head = "@PJL FSDIRLIST NAME=\"0:\\pcl\\fonts\"";
  EXPECT_EQ(page("1", "3"), head + " ENTRY=1\r\n. TYPE=DIR\r\n.. TYPE=DIR\r\na TYPE=FILE SIZE=1\r\n\f");
  EXPECT_EQ(page("4", "3"), head +
                                " ENTRY=4\r\nb TYPE=FILE SIZE=2\r\nc TYPE=FILE SIZE=3\r\n"
                                "d TYPE=DIR\r\n\f");
  EXPECT_EQ(page("6", "2147483647"), head + " ENTRY=6\r\nd TYPE=DIR\r\n\f");
  EXPECT_EQ(page("7", "1"), head + " ENTRY=7\r\n\f");  // past the end: no entries
  EXPECT_EQ(page("2147483647", "2147483647"), head + " ENTRY=2147483647\r\n\f");
  // Out of range or absent: "invalid parameter".
  for (auto [entry, count] : {std::pair{"0", "1"}, {"1", "0"}, {"1", ""}, {"", "1"},
                              {"2147483648", "1"}, {"1", "-1"}})
    EXPECT_EQ(page(entry, count), head + "\r\nFILEERROR=17\r\n\f") << entry << " " << count;
  EXPECT_EQ(log_.problems(), 0);
}

TEST_P(SessionTest, DeletedFilesAreGoneAndFoldersGoOnlyWhenEmpty) {
  Storage st(root_, log_);
  MakeFontAndEmptyFolder(st);
  Feed(st, 2, FontItem("G", "gg"), GetParam());
  const std::string deletes =
      kUel + Pjl("FSDELETE NAME=\"0:\\pcl\\fonts\\F\"") + Pjl("FSDELETE NAME=\"0:\\pcl\\fonts\\F\"") +
      Pjl("FSDELETE NAME=\"0:\\pcl\\fonts\"") + Pjl("FSDELETE NAME=\"0:\\pcl\\macros\\\"") +
      Pjl("FSDELETE NAME=\"0:\\pcl\\..\\fonts\"") + Pjl("FSDELETE NAME=\"0:\"") + kUel;
  EXPECT_EQ(Feed(st, 3, deletes, GetParam()), "");  // printers do not answer FSDELETE
  EXPECT_EQ(Feed(st, 4, Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\F\"") +
                            Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\G\"") +
                            Pjl("FSQUERY NAME=\"0:\\pcl\\macros\""),
                 GetParam()),
            "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\F\"\r\nFILEERROR=3\r\n\f"
            "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\G\" TYPE=FILE SIZE=2\r\n\f"
            "@PJL FSQUERY NAME=\"0:\\pcl\\macros\"\r\nFILEERROR=3\r\n\f");
  std::vector<std::string> want = {"DELETE 0:\\pcl\\fonts\\F ok",
                                   "DELETE 0:\\pcl\\fonts\\F missing",
                                   "DELETE 0:\\pcl\\fonts notempty",
                                   "DELETE 0:\\pcl\\macros\\ ok",
                                   "BADNAME 0:\\pcl\\..\\fonts dot",
                                   "BADNAME 0: empty"};
  std::vector<std::string> got(log_.lines().end() - 9, log_.lines().end() - 3);
  EXPECT_EQ(got, want);
  EXPECT_EQ(log_.problems(), 2);  // the two names no printer could take
}

TEST_P(SessionTest, PrinterWithoutDiskStoresNothingAndStaysInStep) {
  Storage st(root_, log_, Profile{.disk = false});
  // The payload looks like PJL: it must be skipped, not obeyed.
  const std::string payload = "\r\n" + Pjl("FSQUERY NAME=\"0:\"") + "xyz";
  const std::string stream = FontItem("F", payload) + kUel + Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\F\"") +
                             Pjl("FSDIRLIST NAME=\"0:\\pcl\\fonts\" ENTRY=1 COUNT=9") +
                             Pjl("INFO FILESYS") + Pjl("FSDELETE NAME=\"0:\\pcl\\fonts\\F\"") +
                             Pjl("FSINIT VOLUME=\"0:\"") + Pjl("ECHO done") +
                             Pjl("ENTER LANGUAGE=PCL") + "\x1b&f6X" + kUel;
  EXPECT_EQ(Feed(st, 1, stream, GetParam()),
            "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\F\"\r\nFILEERROR=1\r\n\f"
            "@PJL FSDIRLIST NAME=\"0:\\pcl\\fonts\"\r\nFILEERROR=1\r\n\f"
            "@PJL INFO FILESYS\r\n\"?\"\r\n\f"
            "@PJL ECHO done\r\n\f");
  EXPECT_TRUE(fs::is_empty(root_ / "0"));
  EXPECT_EQ(ReadFile(root_ / "jobs/job-0001.pcl"), "\x1b&f6X");  // it still prints
  std::vector<std::string> want = {"NODISK FSMKDIR 0:\\pcl\\fonts",
                                   "NODISK FSDOWNLOAD 0:\\pcl\\fonts\\F " +
                                       std::to_string(payload.size()),
                                   "QUERY 0:\\pcl\\fonts\\F error=1",
                                   "DIRLIST 0:\\pcl\\fonts 1 9 error=1",
                                   "INFO FILESYS",
                                   "NODISK FSDELETE 0:\\pcl\\fonts\\F",
                                   "NODISK FSINIT 0:",
                                   "ECHO done",
                                   "ENTER PCL",
                                   "JOB jobs/job-0001.pcl 5"};
  EXPECT_EQ(log_.lines(), want);
  EXPECT_EQ(log_.problems() + log_.bad_sizes(), 0);
}

TEST_P(SessionTest, LossyPrinterStoresDownloadsShort) {
  Storage st(root_, log_, Profile{.lossy = true});
  struct Case {
    size_t announced, stored;
  } cases[] = {{100, 84}, {32, 16}, {10, 5}, {1, 0}, {0, 0}};
  for (const Case& c : cases) {
    std::string name = "F" + std::to_string(c.announced);
    std::string payload = Bytes0To255(1).substr(0, c.announced);
    std::string replies =
        Feed(st, 1, FontItem(name, payload) + Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\" + name + "\""),
             GetParam());
    EXPECT_EQ(ReadFile(root_ / "0/pcl/fonts" / name), payload.substr(0, c.stored));
    EXPECT_EQ(replies, "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\" + name +
                           "\" TYPE=FILE SIZE=" + std::to_string(c.stored) + "\r\n\f");
    std::string lossy = "LOSSY 0:\\pcl\\fonts\\" + name + " announced=" +
                        std::to_string(c.announced) + " stored=" + std::to_string(c.stored);
    EXPECT_EQ(std::count(log_.lines().begin(), log_.lines().end(), lossy),
              c.announced == c.stored ? 0 : 1)
        << lossy;
  }
  EXPECT_EQ(log_.problems() + log_.bad_sizes(), 0);
}

TEST(TokenBucket, RefillsAtItsRateUpToTheBurst) {
  const auto t0 = TokenBucket::Clock::time_point{};
  TokenBucket bucket(1000, 100, t0);  // 1000 bytes a second, 100 saved at most
  EXPECT_EQ(bucket.Available(t0), 100u);
  bucket.Spend(100);
  EXPECT_EQ(bucket.Available(t0), 0u);
  EXPECT_EQ(bucket.ReadyAt(50), t0 + 50ms);
  EXPECT_EQ(bucket.Available(t0 + 30ms), 30u);
  EXPECT_EQ(bucket.Available(t0 + 10s), 100u);  // an idle minute saves no more than the burst
  bucket.Spend(150);  // a read the budget could not hold back is paid for later
  EXPECT_EQ(bucket.Available(t0 + 10s + 40ms), 0u);
  EXPECT_EQ(bucket.Available(t0 + 10s + 60ms), 10u);
  EXPECT_EQ(bucket.ReadyAt(500), t0 + 10s + 150ms);  // never asks for more than the burst
}

// ------------------------------------------------------- the program itself

class Process {
 public:
  Process(const fs::path& dir, std::vector<std::string> args) : dir_(dir) {
    std::vector<std::string> all = {
        PRINTER_EMULATOR,       "--port",    "0", "--port-file", (dir / "port").string(), "--log",
        (dir / "log").string(), "--timeout", "20"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    std::string out = (dir / "stdout").string();
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~Process() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  int Port() {
    std::vector<std::string> lines = PortLines(1);
    return lines.empty() ? -1 : std::atoi(lines[0].c_str());
  }

  // The port file's lines once it holds `n`; none if the program ended first.
  std::vector<std::string> PortLines(size_t n) {
    for (auto until = std::chrono::steady_clock::now() + 10s;
         std::chrono::steady_clock::now() < until && !Ended(); std::this_thread::sleep_for(10ms)) {
      std::ifstream in(dir_ / "port");
      std::vector<std::string> lines;
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      if (lines.size() >= n) return lines;
    }
    return {};
  }

  // Exit code, or -1 if it did not end by itself within `limit`.
  int Wait(std::chrono::milliseconds limit = 10000ms) {
    for (auto until = std::chrono::steady_clock::now() + limit; !Ended();
         std::this_thread::sleep_for(10ms))
      if (std::chrono::steady_clock::now() >= until) return -1;
    return code_;
  }
  void Signal(int sig) const { kill(pid_, sig); }
  std::string Log() const { return ReadFile(dir_ / "log"); }
  std::string Stdout() const { return ReadFile(dir_ / "stdout"); }

 private:
  bool Ended() {
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return pid_ <= 0;
  }

  fs::path dir_;
  pid_t pid_ = -1;
  int code_ = -1;
};

int Connect(int port, int sndbuf = 0, int rcvbuf = 0, const std::string& address = "127.0.0.1") {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sndbuf > 0) setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
  if (rcvbuf > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
  timeval tv{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &a.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    int e = errno;
    close(fd);
    errno = e;
    return -1;
  }
  return fd;
}

bool SendAll(int fd, const std::string& s) {
  for (size_t off = 0; off < s.size();) {
    ssize_t n = send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return false;
    off += static_cast<size_t>(n);
  }
  return true;
}

void SendAndClose(int port, const std::string& s) {
  int fd = Connect(port);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(SendAll(fd, s));
  close(fd);
}

// Reads until `replies` form feeds have come, the peer ends, or 5 s pass.
std::string ReadReplies(int fd, size_t replies) {
  std::string got;
  char buf[65536];
  while (static_cast<size_t>(std::count(got.begin(), got.end(), '\f')) < replies) {
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

// Sends the requests, ends them, and reads every reply up to the printer's close.
std::string Exchange(int fd, const std::string& requests) {
  if (!SendAll(fd, requests)) return "(send failed)";
  shutdown(fd, SHUT_WR);
  return ReadReplies(fd, SIZE_MAX);
}

bool Has(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(PrinterEmulator, ServesConnectionsInSequenceAndReports) {
  TempDir tmp;
  fs::path root = tmp.path() / "root";
  Process emu(tmp.path(), {"--root", root.string(), "--connections", "3", "--report"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  const std::string font = Bytes0To255(40);
  SendAndClose(port, FontItem("Arial", font));
  SendAndClose(port, MacroItem("M7", "\x1b&f7y0Xm\x1b&f1X"));
  SendAndClose(port, "\x1b&f7Y\x1b&f2X");
  ASSERT_EQ(emu.Wait(), 0) << emu.Log();

  EXPECT_EQ(ReadFile(root / "0/pcl/fonts/Arial"), font);
  std::string log = emu.Log();
  for (const char* line : {"CONNECT 1", "STORED 0:\\pcl\\fonts\\Arial 10240",
                           "CLOSE 3 bytes=10 end=eof", "JOB jobs/job-0001.pcl 10",
                           "SUMMARY reason=connections connections=3 stored=2 jobs=1 badsize=0 "
                           "problems=0 exit=0"})
    EXPECT_TRUE(Has(log, line)) << line << "\n" << log;
  EXPECT_EQ(emu.Stdout(),
            std::to_string(port) +
                "\nDIR 0:\\pcl\nDIR 0:\\pcl\\fonts\nFILE 0:\\pcl\\fonts\\Arial 10240\n"
                "DIR 0:\\pcl\\macros\nFILE 0:\\pcl\\macros\\M7 13\n"
                "JOB jobs/job-0001.pcl 10\n");
}

TEST(PrinterEmulator, WrongSizeExitsWith3) {
  TempDir tmp;
  Process emu(tmp.path(), {"--root", (tmp.path() / "root").string(), "--connections", "1"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  SendAndClose(port, FontItem("F", "0123456789", 9));
  EXPECT_EQ(emu.Wait(), 3) << emu.Log();
  EXPECT_TRUE(
      Has(emu.Log(), "BADSIZE 0:\\pcl\\fonts\\F announced=9 received=9 next=data uel_at=10"))
      << emu.Log();
}

TEST(PrinterEmulator, ResetAfterCutsTheConnectionAtNBytes) {
  TempDir tmp;
  fs::path root = tmp.path() / "root";
  Process emu(tmp.path(),
              {"--root", root.string(), "--connections", "1", "--fault", "reset-after=100"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  int fd = Connect(port);
  ASSERT_GE(fd, 0);
  bool sent = SendAll(fd, std::string(20000, 'A'));
  char c;
  ssize_t n = sent ? recv(fd, &c, 1, 0) : -1;
  int err = errno;
  close(fd);
  EXPECT_EQ(n, -1);  // not an orderly end
  EXPECT_TRUE(!sent || err == ECONNRESET) << std::strerror(err);
  EXPECT_EQ(emu.Wait(), 0) << emu.Log();
  EXPECT_TRUE(Has(emu.Log(), "CLOSE 1 bytes=100 end=fault")) << emu.Log();
  EXPECT_EQ(ReadFile(root / "jobs/job-0001.pcl"), std::string(100, 'A'));
}

TEST(PrinterEmulator, StallAcceptsButNeverReads) {
  TempDir tmp;
  Process emu(tmp.path(), {"--fault", "stall"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  int fd = Connect(port, 4096);
  ASSERT_GE(fd, 0);
  fcntl(fd, F_SETFL, O_NONBLOCK);
  const std::string block(4096, 'x');
  size_t total = 0;
  bool stalled = false;
  while (total < (16u << 20)) {
    ssize_t n = send(fd, block.data(), block.size(), MSG_NOSIGNAL);
    if (n > 0) {
      total += static_cast<size_t>(n);
      continue;
    }
    ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << std::strerror(errno);
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, 500) == 0) {
      stalled = true;
      break;
    }
  }
  EXPECT_TRUE(stalled) << total;
  EXPECT_LT(total, 1u << 20);
  emu.Signal(SIGTERM);
  EXPECT_EQ(emu.Wait(), 0);
  close(fd);
  std::string log = emu.Log();
  EXPECT_TRUE(Has(log, "CONNECT 1")) << log;
  EXPECT_TRUE(Has(log, "CLOSE 1 bytes=0 end=stop")) << log;
  EXPECT_NE(log.find("SUMMARY reason=signal"), std::string::npos) << log;
}

TEST(PrinterEmulator, RefuseModeRefusesConnections) {
  TempDir tmp;
  Process emu(tmp.path(), {"--fault", "refuse", "--idle", "0.5"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  EXPECT_EQ(Connect(port), -1);
  EXPECT_EQ(errno, ECONNREFUSED);
  EXPECT_EQ(emu.Wait(), 0);
}

TEST(PrinterEmulator, StopsByItself) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"--idle", "0.3"}, "SUMMARY reason=idle"},
      {{"--timeout", "0.5"}, "SUMMARY reason=timeout"},
  };
  for (const Case& c : cases) {
    TempDir tmp;
    std::vector<std::string> args = {"--root", (tmp.path() / "root").string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Process emu(tmp.path(), args);
    ASSERT_GT(emu.Port(), 0);
    SendAndClose(emu.Port(), kUel + "@PJL\r\n" + kUel);
    EXPECT_EQ(emu.Wait(), 0) << c.reason;
    EXPECT_NE(emu.Log().find(c.reason), std::string::npos) << emu.Log();
  }
}

const std::string kModelReply = "@PJL INFO ID\r\n\"Glyphcast printer emulator\"\r\n\f";

TEST(PrinterEmulator, RepliesComeBackOnTheConnectionAfterWhatCameBefore) {
  TempDir tmp;
  fs::path root = tmp.path() / "root";
  Process emu(tmp.path(), {"--root", root.string(), "--connections", "1"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  int fd = Connect(port);
  ASSERT_GE(fd, 0);
  const std::string font = Bytes0To255(400);
  ASSERT_TRUE(SendAll(fd, FontItem("F", font) + Pjl("ECHO stored?")));
  EXPECT_EQ(ReadReplies(fd, 1), "@PJL ECHO stored?\r\n\f");
  // The reply came once the download before it was in place.
  EXPECT_EQ(ReadFile(root / "0/pcl/fonts/F"), font);
  EXPECT_EQ(Exchange(fd, Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\F\"") + Pjl("INFO ID")),
            "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\F\" TYPE=FILE SIZE=102400\r\n\f" + kModelReply);
  close(fd);
  EXPECT_EQ(emu.Wait(), 0) << emu.Log();
  EXPECT_TRUE(Has(emu.Log(), "QUERY 0:\\pcl\\fonts\\F file 102400")) << emu.Log();
}

TEST(PrinterEmulator, PeerThatDoesNotReadItsRepliesHoldsUpNoOtherConnection) {
  TempDir tmp;
  Process emu(tmp.path(), {"--root", (tmp.path() / "root").string(), "--connections", "2"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  // Megabytes of replies towards a peer with a small receive buffer that
  // does not read: a printer that waited on it would serve nobody else.
  const std::string echo = "ECHO " + std::string(2000, 'e');
  const std::string reply = "@PJL " + echo + "\r\n\f";
  const size_t kRequests = 4000;
  std::string requests;
  for (size_t i = 0; i < kRequests; ++i) requests += Pjl(echo);
  int a = Connect(port, 0, 4096);
  ASSERT_GE(a, 0);
  fcntl(a, F_SETFL, O_NONBLOCK);
  size_t sent = 0;
  while (sent < requests.size()) {
    ssize_t n = send(a, requests.data() + sent, requests.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << std::strerror(errno);
    pollfd p{a, POLLOUT, 0};
    if (poll(&p, 1, 300) == 0) break;  // the printer takes no more for now
  }

  int b = Connect(port);
  ASSERT_GE(b, 0);
  EXPECT_EQ(Exchange(b, Pjl("INFO ID")), kModelReply);
  close(b);

  // Now reading: every reply arrives, whole and in order, and then the close.
  std::string got;
  bool ended = false;
  char buf[65536];
  while (!ended) {
    if (sent == requests.size()) shutdown(a, SHUT_WR);
    pollfd p{a, static_cast<short>(POLLIN | (sent < requests.size() ? POLLOUT : 0)), 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1) << got.size();
    if (p.revents & POLLOUT) {
      ssize_t n = send(a, requests.data() + sent, requests.size() - sent, MSG_NOSIGNAL);
      if (n > 0) sent += static_cast<size_t>(n);
    }
    ssize_t n = recv(a, buf, sizeof buf, 0);
    if (n > 0) got.append(buf, static_cast<size_t>(n));
    ended = n == 0;
  }
  close(a);
  EXPECT_EQ(got.size(), kRequests * reply.size());
  EXPECT_EQ(static_cast<size_t>(std::count(got.begin(), got.end(), '\f')), kRequests);
  EXPECT_EQ(got.substr(got.size() - reply.size()), reply);
  EXPECT_EQ(emu.Wait(), 0) << emu.Log();
}

TEST(PrinterEmulator, OptionsShapeThePrinter) {
  const std::string query_f = Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\F\"");
  struct Case {
    std::vector<std::string> args;
    std::string stream, replies;
  } cases[] = {
      {{"--model", "Unit 7"}, Pjl("INFO ID"), "@PJL INFO ID\r\n\"Unit 7\"\r\n\f"},
      {{"--disk-size", "1000"}, FontItem("F", "abc") + Pjl("INFO FILESYS"),
       "@PJL INFO FILESYS [2 TABLE]\r\nVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\tSTATUS\r\n"
       "0:\t1000\t997\t\t\tREAD-WRITE\r\n\f"},
      {{"--no-disk"}, FontItem("F", "abc") + query_f,
       "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\F\"\r\nFILEERROR=1\r\n\f"},
      {{"--lossy"}, FontItem("F", Bytes0To255(1)) + query_f,
       "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\F\" TYPE=FILE SIZE=240\r\n\f"},
      {{"--odd-replies"}, Pjl("ECHO x"), kReady + "@PJL ECHO x\n\f"},
  };
  for (const Case& c : cases) {
    TempDir tmp;
    std::vector<std::string> args = {"--root", (tmp.path() / "root").string(), "--connections", "1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Process emu(tmp.path(), args);
    int fd = Connect(emu.Port());
    ASSERT_GE(fd, 0) << c.args[0];
    EXPECT_EQ(Exchange(fd, c.stream), c.replies) << c.args[0];
    close(fd);
    // A printer without disk, or one that loses bytes, is no fault of the sender.
    EXPECT_EQ(emu.Wait(), 0) << emu.Log();
  }
}

TEST(PrinterEmulator, RefusesOptionsOutOfRange) {
  const std::vector<std::string> cases[] = {
      {"--printers", "0"},
      {"--printers", "257"},
      {"--rate", "0"},
      {"--disk-size", "0"},
      {"--model", "say \"hi\""},
      {"--port", "65535", "--printers", "2"},
      {"--address", "127.255.255.255", "--spread-addresses", "--printers", "2"},
  };
  for (const std::vector<std::string>& c : cases) {
    TempDir tmp;
    std::vector<std::string> args = {"--root", (tmp.path() / "root").string()};
    args.insert(args.end(), c.begin(), c.end());
    Process emu(tmp.path(), args);
    EXPECT_EQ(emu.Wait(), 2) << c[0] << " " << c[1];
  }
}

std::pair<std::string, int> AddressAndPort(const std::string& line) {
  size_t colon = line.rfind(':');
  if (colon == std::string::npos) return {line, -1};
  return {line.substr(0, colon), std::atoi(line.c_str() + colon + 1)};
}

TEST(PrinterEmulator, SeveralPrintersInOneProcessKeepTheirOwnDisks) {
  TempDir tmp;
  fs::path root = tmp.path() / "root";
  Process emu(tmp.path(),
              {"--root", root.string(), "--printers", "3", "--connections", "3", "--report"});
  std::vector<std::string> lines = emu.PortLines(3);
  ASSERT_EQ(lines.size(), 3u);
  std::vector<int> ports;
  for (const std::string& line : lines) {
    auto [address, port] = AddressAndPort(line);
    EXPECT_EQ(address, "127.0.0.1");
    ports.push_back(port);
  }
  SendAndClose(ports[0], FontItem("A", "aaa"));
  SendAndClose(ports[2], MacroItem("C", "c"));
  int fd = Connect(ports[1]);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Exchange(fd, Pjl("FSQUERY NAME=\"0:\\pcl\\fonts\\A\"")),
            "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\A\"\r\nFILEERROR=3\r\n\f");
  close(fd);
  ASSERT_EQ(emu.Wait(), 0) << emu.Log();

  EXPECT_EQ(ReadFile(root / "p000/0/pcl/fonts/A"), "aaa");
  EXPECT_EQ(ReadFile(root / "p002/0/pcl/macros/C"), "c");
  EXPECT_TRUE(fs::is_empty(root / "p001/0"));
  std::string log = emu.Log();
  for (const std::string& line : std::vector<std::string>{
           "p000 LISTEN " + lines[0], "p002 LISTEN " + lines[2], "p000 STORED 0:\\pcl\\fonts\\A 3",
        "p001 QUERY 0:\\pcl\\fonts\\A error=3", "p002 CONNECT 1",
        "SUMMARY reason=connections connections=3 stored=2 jobs=0 badsize=0 problems=0 exit=0"})
    EXPECT_TRUE(Has(log, line)) << line << "\n" << log;
  const std::string disks[] = {
      "DIR 0:\\pcl\nDIR 0:\\pcl\\fonts\nFILE 0:\\pcl\\fonts\\A 3\n", "",
      "DIR 0:\\pcl\nDIR 0:\\pcl\\macros\nFILE 0:\\pcl\\macros\\C 1\n"};
  std::string report = lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n";
  std::string listing;
  for (int i = 0; i < 3; ++i) {
    report += "PRINTER " + std::to_string(i) + " " + lines[static_cast<size_t>(i)] + "\n" + disks[i];
    listing += "PRINTER " + std::to_string(i) + "\n" + disks[i];
  }
  EXPECT_EQ(emu.Stdout(), report);
  EXPECT_EQ(ReadFile(tmp.path() / "port"), lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n");

  fs::create_directory(tmp.path() / "list");
  Process list(tmp.path() / "list", {"--root", root.string(), "--printers", "3", "--list"});
  EXPECT_EQ(list.Wait(), 0);
  EXPECT_EQ(list.Stdout(), listing);
}

// Fixed ports: printer i on port P + i, or with --spread-addresses on
// address A + i and port P. A base port someone else holds is tried again.
TEST(PrinterEmulator, PrintersTakeConsecutivePortsOrAddresses) {
  std::random_device random;
  for (bool spread : {false, true}) {
    bool served = false;
    for (int attempt = 0; attempt < 5 && !served; ++attempt) {
      TempDir tmp;
      int base = 20000 + static_cast<int>(random() % 20000);
      std::vector<std::string> args = {"--root", (tmp.path() / "root").string(), "--printers", "2",
                                       "--port", std::to_string(base), "--connections", "2"};
      if (spread) args.insert(args.end(), {"--spread-addresses", "--address", "127.0.0.10"});
      Process emu(tmp.path(), args);
      std::vector<std::string> lines = emu.PortLines(2);
      if (lines.empty()) {
        ASSERT_EQ(emu.Wait(), 1) << "no ports, yet no bind failure";
        continue;
      }
      std::vector<std::string> want = {
          (spread ? "127.0.0.10:" : "127.0.0.1:") + std::to_string(base),
          (spread ? "127.0.0.11:" : "127.0.0.1:") + std::to_string(spread ? base : base + 1)};
      EXPECT_EQ(lines, want);
      for (const std::string& line : lines) {
        auto [address, port] = AddressAndPort(line);
        int fd = Connect(port, 0, 0, address);
        ASSERT_GE(fd, 0) << line;
        EXPECT_EQ(Exchange(fd, Pjl("ECHO " + line)), "@PJL ECHO " + line + "\r\n\f");
        close(fd);
      }
      EXPECT_EQ(emu.Wait(), 0) << emu.Log();
      served = true;
    }
    EXPECT_TRUE(served) << "no free base port found";
  }
}

TEST(PrinterEmulator, ThrottledPrinterTakesItsTimeAndStoresEverything) {
  TempDir tmp;
  fs::path root = tmp.path() / "root";
  const int kRate = 200000;
  Process emu(tmp.path(),
              {"--root", root.string(), "--rate", std::to_string(kRate), "--connections", "1"});
  int port = emu.Port();
  ASSERT_GT(port, 0);
  const std::string font = Bytes0To255(1000);
  const std::string stream = FontItem("F", font) + Pjl("ECHO done");
  auto start = std::chrono::steady_clock::now();
  int fd = Connect(port);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(SendAll(fd, stream));
  EXPECT_EQ(ReadReplies(fd, 1), "@PJL ECHO done\r\n\f");
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  close(fd);
  // The ECHO is answered once read; at the rate, with at most 20 ms of it
  // saved up, that cannot be sooner than this. (A lower bound only: a busy
  // machine makes it later, never earlier.)
  EXPECT_GE(elapsed.count(), (stream.size() - kRate * 0.02) / kRate);
  EXPECT_EQ(emu.Wait(), 0) << emu.Log();
  EXPECT_EQ(ReadFile(root / "0/pcl/fonts/F"), font);
}

}  // namespace
}  // namespace gc::emu
