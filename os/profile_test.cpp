#include "os/profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/files.h"

namespace gc::os {
namespace {

// A file per text: Wine's profile functions keep files they have read.
std::string Ini(const std::string& text) {
  static int n = 0;
  return test::WriteScratch("profile" + std::to_string(++n) + ".ini", text);
}

// The bytes the reader stores into a buffer of `size` prefilled with 'X',
// up to its result plus the NUL after it.
std::string Keys(ProfilePort& profile, const std::string& path, const std::string& section,
                 uint32_t size) {
  std::vector<char> buffer(size + 8, 'X');
  uint32_t n = profile.ReadSectionKeys(path, section, "NG", buffer.data(), size);
  EXPECT_LE(n + (size ? 1 : 0), size);
  return std::to_string(n) + ":" + std::string(buffer.data(), size ? n + 1 : 0);
}

const std::string kMixed =
    "; a comment before any section\r\n"
    "[DEVNAME]\r\n"
    "ABC Laser=1\r\n"
    "  Spaced Key  =  2  \r\n"
    "  ; an indented comment=1\r\n"
    "#hash=3\r\n"
    "bare line without equals\r\n"
    "quoted=\"  q  \"\r\n"
    "empty=\r\n"
    "ABC Laser=again\r\n"
    "\r\n"
    "[EMPTY]\r\n"
    "[ DUP ]\r\n"
    "a=1\r\n"
    "[Broken\r\n"
    "b=2\r\n"
    "[dup]\r\n"
    "c=3\r\n"
    "[V] ]\r\n"
    "v=1\r\n";

class Profile : public ::testing::Test {
 protected:
  ProfilePort& profile = SystemProfile();
};

TEST_F(Profile, ListsTheKeysOfASectionAsTheWin32FunctionDoes) {
  std::string path = Ini(kMixed);
  const std::string devname =
      std::string("ABC Laser\0Spaced Key\0#hash\0quoted\0empty\0ABC Laser\0", 51);
  EXPECT_EQ(Keys(profile, path, "DEVNAME", 256), "50:" + devname);
  EXPECT_EQ(Keys(profile, path, "devname", 256), "50:" + devname);
  // The first of two sections counts; a line that only looks like a header is no key.
  EXPECT_EQ(Keys(profile, path, "DUP", 256), std::string("4:a\0b\0\0", 7));
  EXPECT_EQ(Keys(profile, path, "V] ", 256), std::string("2:NG\0", 5));
  EXPECT_EQ(Keys(profile, path, "V]", 256), std::string("2:v\0\0", 5));
  for (const char* none : {"EMPTY", "NOSUCH", " DUP "})
    EXPECT_EQ(Keys(profile, path, none, 256), std::string("2:NG\0", 5)) << none;
  EXPECT_EQ(Keys(profile, Ini("") + ".missing", "DEVNAME", 256), std::string("2:NG\0", 5));
}

TEST_F(Profile, KeysBeforeTheFirstHeaderAndAByteOrderMark) {
  std::string path = Ini("\xEF\xBB\xBFpre=1\n[S]\n\tk1\t=\tv\n");
  EXPECT_EQ(Keys(profile, path, "", 64), std::string("4:pre\0\0", 7));
  EXPECT_EQ(Keys(profile, path, "S", 64), std::string("3:k1\0\0", 6));
}

TEST_F(Profile, AListThatDoesNotFitIsCutAndReportsSizeMinusTwo) {
  std::string path = Ini("[S]\nab=1\ncde=2\nf=3\n");
  using std::string_literals::operator""s;
  const std::string expected[] = {
      "0:"s,
      "0:\0"s,
      "1:N\0"s,
      "1:a\0"s,
      "2:ab\0"s,
      "3:ab\0\0"s,
      "4:ab\0c\0"s,
      "5:ab\0cd\0"s,
      "6:ab\0cde\0"s,
      "7:ab\0cde\0\0"s,
      "8:ab\0cde\0f\0"s,
      "9:ab\0cde\0f\0\0"s,
      "9:ab\0cde\0f\0\0"s,
  };
  for (uint32_t size = 0; size < std::size(expected); ++size)
    EXPECT_EQ(Keys(profile, path, "S", size), expected[size]) << "size " << size;
}

TEST_F(Profile, ReadsValues) {
  std::string path = Ini(kMixed +
                         "[R]\nr1 = \"a b\" ; c\nr2=\"x\nr4=\"\"\nr5 = a = b\nr6=\t\"q\"\t\n"
                         "s1='abcd'\ns2='x\"\ns3='\ns4= ' a ' \n");
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"DEVNAME", "ABC Laser", "1"},
      {"devname", "abc laser", "1"},
      {"DEVNAME", " Spaced Key ", "2"},
      {"DEVNAME", "quoted", "  q  "},
      {"DEVNAME", "empty", ""},
      {"DEVNAME", "bare", "NG"},
      {"DEVNAME", "nokey", "NG"},
      {"NOSUCH", "a", "NG"},
      {"R", "r1", "\"a b\" ; c"},
      {"R", "r2", "\"x"},
      {"R", "r4", ""},
      {"R", "r5", "a = b"},
      {"R", "r6", "q"},
      {"R", "s1", "abcd"},
      {"R", "s2", "'x\""},
      {"R", "s3", "'"},
      {"R", "s4", " a "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(profile.ReadString(path, c.section, c.key, "NG"), c.value)
        << c.section << "/" << c.key;
  EXPECT_EQ(profile.ReadString(path, "NOSUCH", "a", "  NG  "), "  NG");
  EXPECT_EQ(profile.ReadString(path, "NOSUCH", "a", "'NG' "), "NG");
  EXPECT_EQ(profile.ReadString(path + ".missing", "R", "s1", "'NG' "), "NG");
}

#ifdef _WIN32
// Under Wine: the portable reader stores the same bytes as the Win32 function,
// for every buffer size.
TEST_F(Profile, ThePortableReaderAgreesWithWin32) {
  const std::string texts[] = {kMixed, "[S]\nab=1\ncde=2\nf=3\n", "x=1\n[S]\n=no name\nk=\n",
                               "[S]\n'quoted key'=1\nv1='abcd'\nv2=''\nv3='\nv4= ' a ' \n"};
  std::vector<std::string> paths;
  for (const std::string& text : texts) paths.push_back(Ini(text));
  paths.push_back(paths.back() + ".missing");
  for (const std::string& path : paths) {
    for (const char* section : {"DEVNAME", "DUP", "S", "", "EMPTY", "nosuch"}) {
      for (const char* fallback : {"NG", "'NG'", "  NG  "}) {
        for (uint32_t size = 0; size < 64; ++size) {
          std::vector<char> a(size + 1, 'X'), b(size + 1, 'X');
          uint32_t na = profile.ReadSectionKeys(path, section, fallback, a.data(), size);
          uint32_t nb = PortableProfile().ReadSectionKeys(path, section, fallback, b.data(), size);
          EXPECT_EQ(na, nb) << path << " [" << section << "] " << fallback << " size " << size;
          EXPECT_EQ(a, b) << path << " [" << section << "] " << fallback << " size " << size;
        }
        for (const char* key : {"ABC Laser", "quoted", "v1", "v2", "v3", "v4", "a", "k", "none"})
          EXPECT_EQ(profile.ReadString(path, section, key, fallback),
                    PortableProfile().ReadString(path, section, key, fallback))
              << path << " [" << section << "] " << key << " " << fallback;
      }
    }
  }
}
#endif

}  // namespace
}  // namespace gc::os
