// Replies in the shapes the PJL technical reference shows and printers send:
// their own spacing and case, unsolicited status replies between ours, LF or
// CR LF, and replies cut anywhere.
#include "pjl/replies.h"

#include <gtest/gtest.h>

#include "pjl/requests.h"

namespace gc::pjl {
namespace {

std::vector<Reply> Take(std::string_view bytes, size_t* used = nullptr) {
  std::vector<Reply> replies;
  size_t n = TakeReplies(bytes, &replies);
  if (used) *used = n;
  return replies;
}

TEST(PjlRequests, Lines) {
  EXPECT_EQ(FsQuery("0:\\pcl\\fonts\\A"), "@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\A\"\r\n");
  EXPECT_EQ(FsDirList(kMacroFolder, 1, 25),
            "@PJL FSDIRLIST NAME=\"0:\\pcl\\macros\" ENTRY=1 COUNT=25\r\n");
  EXPECT_EQ(FsDelete("0:\\pcl\\fonts\\A"), "@PJL FSDELETE NAME=\"0:\\pcl\\fonts\\A\"\r\n");
  EXPECT_EQ(Echo("GC17"), "@PJL ECHO GC17\r\n");
  EXPECT_EQ(Info("FILESYS"), "@PJL INFO FILESYS\r\n");
  EXPECT_TRUE(QuotableName("0:\\pcl\\fonts\\Name_1"));
  for (std::string bad : {std::string(), std::string("a\"b"), std::string("a\nb"),
                          std::string(256, 'x')})
    EXPECT_FALSE(QuotableName(bad));
}

TEST(PjlReplies, FsQueryInEveryShape) {
  const std::string path = "0:\\pcl\\fonts\\DejaVuSans";
  struct Case {
    std::string bytes;
    FileQuery::Kind kind;
    uint64_t size;
    int fileError;
  } cases[] = {
      {"@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\DejaVuSans\" TYPE=FILE SIZE=744557\r\n\f",
       FileQuery::Kind::File, 744557, 0},
      // Its own spacing and case, and LF alone.
      {"@PJL FSQUERY NAME = \"0:\\PCL\\FONTS\\DEJAVUSANS\" type=file size = 12\n\f",
       FileQuery::Kind::File, 12, 0},
      {"@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\DejaVuSans\" TYPE=DIR\r\n\f", FileQuery::Kind::Folder, 0, 0},
      {"@PJL FSQUERY NAME=\"0:\\pcl\\fonts\\DejaVuSans\"\r\nFILEERROR=3\r\n\f",
       FileQuery::Kind::Error, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::vector<Reply> replies = Take(c.bytes);
    ASSERT_EQ(replies.size(), 1u);
    std::optional<FileQuery> q = ParseFsQuery(replies[0], path);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->kind, c.kind);
    EXPECT_EQ(q->size, c.size);
    EXPECT_EQ(q->fileError, c.fileError);
    EXPECT_FALSE(ParseFsQuery(replies[0], path + "2"));  // another file's reply
  }
}

TEST(PjlReplies, StatusRepliesBetweenOursAndRepliesCutShort) {
  std::string bytes =
      "@PJL USTATUS DEVICE\r\nCODE=10001\r\nDISPLAY=\"00 READY\"\r\nONLINE=TRUE\r\n\f"
      "@PJL FSQUERY NAME=\"0:\\a\" TYPE=FILE SIZE=5\r\n\f"
      "@PJL ECHO GC42\r\n\f"
      "@PJL FSQUERY NAME=\"0:\\b\" TY";
  size_t used = 0;
  std::vector<Reply> replies = Take(bytes, &used);
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_TRUE(replies[0].Is("USTATUS"));
  EXPECT_EQ(replies[0].Field("DISPLAY"), "00 READY");
  EXPECT_EQ(ParseFsQuery(replies[1], "0:\\A")->size, 5u);
  EXPECT_TRUE(IsEchoOf(replies[2], "gc42"));
  EXPECT_FALSE(IsEchoOf(replies[2], "GC4"));
  EXPECT_EQ(bytes.substr(used), "@PJL FSQUERY NAME=\"0:\\b\" TY");  // waits for the rest
  // Every cut gives only the replies complete before it.
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<Reply> some = Take(std::string_view(bytes).substr(0, n), &used);
    EXPECT_LE(used, n);
    EXPECT_LE(some.size(), 3u);
  }
}

TEST(PjlReplies, DirectoryListing) {
  std::string bytes =
      "@PJL FSDIRLIST NAME = \"0:\\pcl\\macros\" ENTRY=1\r\n"
      ". TYPE=DIR\r\n.. TYPE=DIR\r\n"
      "invoice.prn.rl TYPE=FILE SIZE=1619\r\n"
      "name with blanks TYPE=FILE SIZE=900\r\n"
      "sub TYPE=DIR\r\n\f";
  std::vector<Reply> replies = Take(bytes);
  ASSERT_EQ(replies.size(), 1u);
  std::optional<DirListing> list = ParseFsDirList(replies[0], kMacroFolder);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->entry, 1u);
  EXPECT_EQ(list->linesSeen, 5u);
  ASSERT_EQ(list->entries.size(), 3u);
  EXPECT_EQ(list->entries[0].name, "invoice.prn.rl");
  EXPECT_EQ(list->entries[0].size, 1619u);
  EXPECT_EQ(list->entries[1].name, "name with blanks");
  EXPECT_TRUE(list->entries[2].folder);

  std::vector<Reply> error = Take("@PJL FSDIRLIST NAME=\"0:\\pcl\\macros\"\r\nFILEERROR=3\r\n\f");
  ASSERT_EQ(ParseFsDirList(error[0], kMacroFolder)->fileError, 3);
  EXPECT_TRUE(ParseFsDirList(error[0], kMacroFolder)->entries.empty());
}

TEST(PjlReplies, FileSystemAndId) {
  struct Case {
    std::string bytes;
    bool present;
    size_t volumes;
  } cases[] = {
      {"@PJL INFO FILESYS [2 TABLE]\r\n\tVOLUME\tTOTAL SIZE\tFREE SPACE\tLOCATION\tLABEL\tSTATUS\r\n"
       "\t0:\t1755136\t1718272\t\t\tREAD-WRITE\r\n\f",
       true, 1},
      {"@PJL INFO FILESYS [1 TABLE]\r\nVOLUME TOTAL SIZE FREE SPACE LOCATION LABEL STATUS\r\n\f",
       true, 0},
      {"@PJL INFO FILESYS\r\n\"?\"\r\n\f", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::optional<FileSystem> fs = ParseInfoFilesys(Take(c.bytes).at(0));
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->present, c.present);
    ASSERT_EQ(fs->volumes.size(), c.volumes);
    if (c.volumes) {
      EXPECT_EQ(fs->volumes[0].name, "0:");
      EXPECT_EQ(fs->volumes[0].total, 1755136u);
      EXPECT_EQ(fs->volumes[0].free, 1718272u);
      EXPECT_TRUE(fs->volumes[0].writable);
    }
  }
  EXPECT_EQ(ParseInfoId(Take("@PJL INFO ID\r\n\"Emulated LaserPrinter 9\"\r\n\f").at(0)),
            "Emulated LaserPrinter 9");
  EXPECT_FALSE(ParseInfoId(Take("@PJL INFO ID\r\n\"?\"\r\n\f").at(0)));
}

}  // namespace
}  // namespace gc::pjl
