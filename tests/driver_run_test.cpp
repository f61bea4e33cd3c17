// The run sequence end to end: help and exit statuses, the checks of the
// signature and header, the header copy and rewrite, the debug dumps, and the
// output database that only replaces its destination when a run succeeds.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "helptext.h"
#include "runner.h"

namespace {

using fixture::Bytes;
using fixture::DbFile;
using fixture::RunKalvert;
using fixture::ScratchDir;

const std::string kBannerStart = "KALVERT for DOS/UNIX Version 0.86b";

// What a run printed on standard error after the three-line banner.
std::string AfterBanner(const std::string& err) {
  std::size_t at = 0;
  for (int i = 0; i < 3 && at != std::string::npos; ++i) at = err.find('\n', at) + 1;
  return err.substr(at);
}

void ExpectBanner(const std::string& err) {
  ASSERT_EQ(err.compare(0, kBannerStart.size(), kBannerStart), 0) << err;
  const std::size_t first = err.find('\n');
  const std::size_t second = err.find('\n', first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(err[second + 1], '\n');  // the third banner line is empty
}

TEST(HelpText, IsTheEucJpTextByteForByte) {
  const std::string help(kHelpText, kHelpTextSize);
  EXPECT_EQ(help.size(), 1621u);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < help.size();) {
    const std::size_t nl = help.find('\n', at);
    lines.push_back(help.substr(at, nl - at + 1));
    at = nl + 1;
  }
  ASSERT_EQ(lines.size(), 41u);  // 37 lines, four of them followed by an empty line
  EXPECT_EQ(lines[0], " Usage: kalvert -x(filename) [-option[number]] [-i(filname)] [-o(filename)]\n");
  EXPECT_EQ(lines[1], "\n");
  // "   -c0   " then katakana ri, ta, long vowel, n, then ku-giri-ri-de, shutsu-ryoku.
  EXPECT_EQ(lines[3], "   -c0   \xA5\xEA\xA5\xBF\xA1\xBC\xA5\xF3\xB6\xE8\xC0\xDA\xA4\xEA\xA4\xC7\xBD\xD0\xCE\xCF\n");
  // Fullwidth plus sign and two ASCII double quotes.
  EXPECT_NE(lines[5].find("\xA1\xDC\"\"\xA4\xC7"), std::string::npos);
  // Line 22: the backslash and n between quotes are printed as such; an empty line follows.
  EXPECT_NE(help.find("\"\\n\""), std::string::npos);
  // Ideographic space before "ex.)" and the reference mark in the last line.
  EXPECT_NE(lines[34].find("\xA1\xA1" "ex.) 940404\n"), std::string::npos);
  EXPECT_EQ(lines.back().substr(0, 12), "   -?   \xA5\xD8\xA5\xEB");
  EXPECT_NE(lines.back().find("\xA2\xA8"), std::string::npos);
}

TEST(Run, NoArgumentsPrintsHelpAndSucceeds) {
  ScratchDir dir;
  const auto r = RunKalvert(dir, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string(kHelpText, kHelpTextSize));
  ExpectBanner(r.err);
  EXPECT_EQ(AfterBanner(r.err), "");
}

TEST(Run, RefusedCommandLinesExitWithOne) {
  ScratchDir dir;
  const auto help = RunKalvert(dir, {"/?"});
  EXPECT_EQ(help.status, 1);
  EXPECT_EQ(help.out, std::string(kHelpText, kHelpTextSize));
  const auto bad = RunKalvert(dir, {"-q7"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(AfterBanner(bad.err), "Bad option -q7\n");
  const auto missing = RunKalvert(dir, {"-xnothing.dat"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(AfterBanner(missing.err), "File can't open.\n");
}

TEST(Run, BrokenStartsOfFiles) {
  struct Case {
    std::string name;
    std::vector<unsigned char> bytes;
    std::string message;
  };
  std::vector<unsigned char> wrongType = DbFile('d').Finish();
  std::vector<unsigned char> shortHeader = {0x68, 0x63, 0x44, 0x00};
  shortHeader.resize(4 + 24, 0);
  const std::vector<Case> cases = {
      {"empty", {}, "Failed read file.\n"},
      {"three bytes", {0x68, 0x63, 0x44}, "Failed read file.\n"},
      {"other signature", {0x68, 0x63, 0x44, 0x01, 0, 0, 0, 0}, "Not a valid database.\n"},
      {"short header", shortHeader, "Failed read file.\n"},
      {"lower-case type", wrongType, "Not support this file type.^^;\nPlease, Check your enter file name.\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    dir.Write("in.dat", c.bytes);
    const auto r = RunKalvert(dir, {"-xin.dat"});
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(AfterBanner(r.err), c.message) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
  }
  ScratchDir dir;
  const auto folder = RunKalvert(dir, {"-x."});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(AfterBanner(folder.err), "Failed read file.\n");
}

// The smallest database: signature, header and an empty lookup table.
std::vector<unsigned char> SmallestGeneral() {
  DbFile db('D');
  db.header.cStatus = 0x40;
  db.header.cFileStatus = 0x81;
  db.header.iReleaseNum = -2;
  return db.Finish();
}

TEST(Run, SmallestGeneralDatabaseIsWrittenByteForByte) {
  ScratchDir dir;
  const std::vector<unsigned char> input = SmallestGeneral();
  dir.Write("in.dat", input);
  const auto r = RunKalvert(dir, {"-xin.dat", "-oout.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");

  Bytes expect;
  expect.u8(0x68).u8(0x63).u8(0x44).u8(0x00);
  // The header as read, but for status 2, file status bit 1, 2 entries and the table at 35.
  expect.u8(0).u8(2).le16(25).le16(0).le16(-2).u8('D').u8(0x83).le16(0).le16(2).le32(35).u8(99).u8(11).u8(30)
      .le16(1439).u8(7).u8(9);
  expect.u8(0x0A).u8(0x02).u8(0x06).u8(0x00).u8(0x00).u8(0x00);
  expect.u8(0x1F).u8(0x02).u8(0x16).u8(0x00).u8(0x00).u8(0x00);
  expect.u8(0x19).u8(0x00).u8(0xFF).u8(0xFF).u8(0x00).u8(0x04).u8(0x00).u8(0x00);
  expect.u8(0x06).u8(0x00).u8(0xFF).u8(0xFF).u8(0x00).u8(0x1D).u8(0x00).u8(0x00);
  expect.le16(0);
  for (int t = 1; t <= 10; ++t) expect.le16(1);
  for (int t = 11; t < 32; ++t) expect.le16(2);
  EXPECT_EQ(expect.size(), 121u);
  EXPECT_EQ(dir.Read("out.dat"), expect.v);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.dat", "out.dat"}));  // no temporary file left
}

TEST(Run, DebugDumpsOfHeaderAndClosing) {
  ScratchDir dir;
  dir.Write("in.dat", SmallestGeneral());
  const auto r = RunKalvert(dir, {"-d", "-xin.dat", "-oout.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string expect =
      "hcD\n"
      "    Record Type : TYPE_DBHEADER.\n"
      "  Record Status : 40. \n"
      "  Record Length : 25\n"
      "  Record Number : 0\n"
      " Release Number : fffffffe\n"
      "  Number Record : 0\n"
      "Current View Pt : 0\n"
      "   Look Up Seek : 29\n"
      "      File Type : D\n"
      "  Record Status : ffffff81. \n"
      "   View Pt Hash : 7\n"
      "   View Pt Hash : 9\n"
      "Last Time Stamp : 1999/12/31/:23:59\n\n"
      // The definitions pass meets the lookup table at once and dumps it.
      "    Record Type : TYPE_LOOKUPTABLE.\n"
      "  Record Status : Modified(2). \n"
      "  Record Length : 6\n"
      "  Record Number : 0\n\n"
      "  Index Current : 35\n\n"
      "Index Current = 35\n\n";
  for (int i = 0; i < 32; ++i) expect += std::to_string(i) + ":iWork = 0\n\n";
  expect += " Index Current = 99\n\n";
  expect += "iSum = 0\n";
  for (int t = 1; t <= 10; ++t) expect += "iSum = 1\n";
  for (int t = 11; t < 32; ++t) expect += "iSum = 2\n";
  expect += "All data Number : 0\n\niCounter = 2\niNoteNum = 0\n";
  EXPECT_EQ(r.out, expect);

  const auto noOut = RunKalvert(dir, {"-d", "-xin.dat"});
  ASSERT_EQ(noOut.status, 0);
  EXPECT_NE(noOut.out.find("All data Number : 0\n\niCounter = 0\niNoteNum = 0\n"), std::string::npos);
}

TEST(Run, FailedRunLeavesTheDestinationAsItWas) {
  ScratchDir dir;
  const std::vector<unsigned char> old = {'o', 'l', 'd'};
  dir.Write("out.dat", old);
  // An input that fails after the output was opened.
  dir.Write("bad.dat", DbFile('x').Finish());
  const auto r = RunKalvert(dir, {"-xbad.dat", "-oout.dat"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(dir.Read("out.dat"), old);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.dat", "out.dat"}));
  // An input that cannot be opened: the output is never touched.
  const auto missing = RunKalvert(dir, {"-xnone.dat", "-oout.dat"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(dir.Read("out.dat"), old);
  // A folder cannot be the output.
  dir.Write("in.dat", SmallestGeneral());
  const auto folder = RunKalvert(dir, {"-xin.dat", "-o."});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(AfterBanner(folder.err), "File can't open.\n");
}

TEST(Run, InPlaceUpdateEqualsWritingElsewhere) {
  ScratchDir dir;
  dir.Write("book.dat", SmallestGeneral());
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-oother.dat"}).status, 0);
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-obook.dat"}).status, 0);
  EXPECT_EQ(dir.Read("book.dat"), dir.Read("other.dat"));
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"book.dat", "other.dat"}));
}

TEST(Run, TextThatCannotBeWrittenIsAFailure) {
  ScratchDir dir;
  DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  dir.Write("in.dat", db.Finish());
  const std::string cmd = std::string("cd '") + dir.path() + "' && '" + KALVERT_BIN +
                          "' -xin.dat -h -s1 -oout.dat >/dev/full 2>err.txt";
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  const std::vector<unsigned char> err = dir.Read("err.txt");
  EXPECT_EQ(AfterBanner(std::string(err.begin(), err.end())), "\nFailed write standard output.\n");
  EXPECT_FALSE(dir.Exists("out.dat"));
}

}  // namespace
