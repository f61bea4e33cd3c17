// The command line and the run sequence: option values and refusals
// in-process; help, file checks, the header rewrite, the debug dumps and the
// safe replacement of the output end to end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "helptext.h"
#include "inproc.h"
#include "runner.h"

namespace {

using fixture::Bytes;
using fixture::DbFile;
using fixture::RunKalvert;
using fixture::ScratchDir;

inproc::Outcome Parse(std::vector<std::string> args, int* result) {
  ResetGlobals();
  bInterceptExit = true;
  args.insert(args.begin(), "kalvert");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return inproc::Capture([&] { *result = ReadOption(static_cast<int>(args.size()), argv.data()); });
}

TEST(Options, ValuesCutsRangesAndOrder) {
  const struct { std::vector<std::string> args; int16_t* global; long want; } cases[] = {
      {{"-c5"}, &iCSV, 0},      {{"-c"}, &iCSV, 2},       {{"-c65537"}, &iCSV, 1},   {{"-c-65535"}, &iCSV, 1},
      {{"-C0"}, &iCSV, 0},      {{"-c1x"}, &iCSV, 1},     {{"-r9"}, &iAlarm, 1},     {{"-r"}, &iAlarm, 7},
      {{"-n"}, &iNote, 1},      {{"-n3"}, &iNote, 0},     {{"-s3"}, &iSilent, 1},    {{"-s2"}, &iSilent, 3},
      {{"-s"}, &iSilent, 1},    {{"-a4"}, &iAppt, 1},     {{"-a0"}, &iSilent, 1},    {{"-t4"}, &iToDo, 4},
      {{"-t4"}, &iAppt, 0},     {{"-t5"}, &iToDo, 1},     {{"-e4"}, &iEvent, 1},     {{"-a", "-e"}, &iAppt, 0},
      {{"-e", "-a"}, &iAppt, 1}, {{"-b"}, &iTAB, 2},      {{"-b"}, &iCSV, 0},        {{"-b", "-c1"}, &iCSV, 1},
      {{"/H"}, &iHeader, 1},    {{"-dx"}, &iDebugG2, 1},  {{"-dx"}, &iDebugG, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("-x/dev/null");
    int result = -1;
    Parse(args, &result);
    EXPECT_EQ(result, 1) << args[0];
    EXPECT_EQ(*c.global, c.want) << args[0];
  }
}

TEST(Options, DateRules) {
  const struct { std::string arg; int32_t* global; long want; std::string err; } cases[] = {
      {"-g940404", &lCutStart, 19940404, ""},     {"-g000101", &lCutStart, 20000101, ""},
      {"-g899999", &lCutStart, 20899999, ""},     {"-g900000", &lCutStart, 19900000, ""},
      {"-g19940404", &lCutStart, 19940404, ""},   {"-f23000101", &lCutEnd, 22000101, ""},
      {"-g1994", &lCutStart, 19000101, ""},       {"-g1.99404e7", &lCutStart, 19940400, ""},
      {"-g000100", &lCutStart, 19000101, "Check! Cut first date.(19000101)\n"},
      {"-f000050", &lCutEnd, 22000101, "Check! Cut finish date.(22000101)\n"},
  };
  for (const auto& c : cases) {
    int result = -1;
    const inproc::Outcome o = Parse({c.arg, "-x/dev/null"}, &result);
    EXPECT_EQ(result, 1) << c.arg;
    EXPECT_EQ(*c.global, c.want) << c.arg;
    EXPECT_EQ(o.err, c.err) << c.arg;
  }
}

TEST(Options, RefusedCommandLines) {
  const struct { std::vector<std::string> args; std::string err; bool help; } cases[] = {
      {{"-x"}, "Please, input filename!\n", false},
      {{"-x", "/dev/null"}, "Please, input filename!\n", false},  // a separate name may not start with '/'
      {{"-x/dev/null", "-i"}, "Please, input CSV filename!\n", false},
      {{"-x/dev/null", "-o"}, "Please, Output filename!\n", false},
      {{"-z", "-x"}, "Bad option -z\n", true},
      {{"/"}, "Bad option /\n", true},
      {{"/?"}, "", true},
      {{"-x/nonexistent/book"}, "File can't open.\n", false},
      {{"-x/dev/null", "-i/nonexistent/in.csv"}, "File can't open.\n", false},
  };
  for (const auto& c : cases) {
    int result = -1;
    const inproc::Outcome o = Parse(c.args, &result);
    EXPECT_EQ(result, 0) << c.args[0];
    EXPECT_EQ(o.err, c.err) << c.args[0];
    EXPECT_EQ(o.out.empty(), !c.help) << c.args[0];
  }
  ResetGlobals();
}

// What a run printed on standard error after the three-line banner.
std::string AfterBanner(const std::string& err) {
  std::size_t at = 0;
  for (int i = 0; i < 3 && at != std::string::npos; ++i) at = err.find('\n', at) + 1;
  return err.substr(at);
}

TEST(Run, HelpTextAndExitStatuses) {
  const std::string help(kHelpText, kHelpTextSize);
  EXPECT_EQ(help.size(), 1621u);
  EXPECT_EQ(help.find(" Usage: kalvert -x(filename) [-option[number]] [-i(filname)] [-o(filename)]\n\n"), 0u);
  // Katakana and kanji of the -c0 line, and the ideographic space before "ex.)".
  EXPECT_NE(help.find("   -c0   \xA5\xEA\xA5\xBF\xA1\xBC\xA5\xF3\xB6\xE8\xC0\xDA\xA4\xEA\xA4\xC7\xBD\xD0\xCE\xCF\n"),
            std::string::npos);
  EXPECT_NE(help.find("\xA1\xA1" "ex.) 940404\n"), std::string::npos);
  ScratchDir dir;
  const auto none = RunKalvert(dir, {});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, help);
  EXPECT_EQ(none.err.substr(0, 34), "KALVERT for DOS/UNIX Version 0.86b");
  EXPECT_EQ(AfterBanner(none.err), "");
  const auto asked = RunKalvert(dir, {"/?"});
  EXPECT_EQ(asked.status, 1);
  EXPECT_EQ(asked.out, help);
  EXPECT_EQ(AfterBanner(RunKalvert(dir, {"-q7"}).err), "Bad option -q7\n");
}

TEST(Run, BrokenStartsOfFiles) {
  std::vector<unsigned char> shortHeader = {0x68, 0x63, 0x44, 0x00};
  shortHeader.resize(4 + 24, 0);
  const struct { std::vector<unsigned char> bytes; std::string message; } cases[] = {
      {{}, "Failed read file.\n"},
      {{0x68, 0x63, 0x44}, "Failed read file.\n"},
      {{0x68, 0x63, 0x44, 0x01, 0, 0, 0, 0}, "Not a valid database.\n"},
      {shortHeader, "Failed read file.\n"},
      {DbFile('d').Finish(), "Not support this file type.^^;\nPlease, Check your enter file name.\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    dir.Write("in.dat", c.bytes);
    const auto r = RunKalvert(dir, {"-xin.dat"});
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_EQ(AfterBanner(r.err), c.message);
    EXPECT_EQ(r.out, "");
  }
}

// The smallest database: signature, header and an empty lookup table.
std::vector<unsigned char> SmallestGeneral() {
  DbFile db('D');
  db.header.cStatus = 0x40;
  db.header.cFileStatus = 0x81;
  db.header.iReleaseNum = -2;
  return db.Finish();
}

TEST(Run, SmallestOutputIsWrittenByteForByte) {
  ScratchDir dir;
  dir.Write("in.dat", SmallestGeneral());
  const auto r = RunKalvert(dir, {"-xin.dat", "-oout.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  Bytes want;
  // The header as read, but for status 2, file status bit 1, 2 entries and the table at 35.
  want.u8(0x68).u8(0x63).u8(0x44).u8(0).u8(0).u8(2).le16(25).le16(0).le16(-2).u8('D').u8(0x83).le16(0).le16(2)
      .le32(35).u8(99).u8(11).u8(30).le16(1439).u8(7).u8(9);
  want.u8(10).u8(2).le16(6).le16(0);         // empty view point table
  want.u8(31).u8(2).le16(22).le16(0);        // lookup table of two entries
  want.le16(25).u8(0xFF).u8(0xFF).u8(0).u8(4).u8(0).u8(0);
  want.le16(6).u8(0xFF).u8(0xFF).u8(0).u8(29).u8(0).u8(0);
  want.le16(0);
  for (int t = 1; t < 32; ++t) want.le16(t <= 10 ? 1 : 2);
  ASSERT_EQ(want.size(), 121u);
  EXPECT_EQ(dir.Read("out.dat"), want.v);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.dat", "out.dat"}));  // no temporary file left
}

TEST(Run, DebugDumpsOfHeaderAndClosing) {
  ScratchDir dir;
  dir.Write("in.dat", SmallestGeneral());
  const auto r = RunKalvert(dir, {"-d", "-xin.dat", "-oout.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string want =
      "hcD\n    Record Type : TYPE_DBHEADER.\n  Record Status : 40. \n  Record Length : 25\n"
      "  Record Number : 0\n Release Number : fffffffe\n  Number Record : 0\nCurrent View Pt : 0\n"
      "   Look Up Seek : 29\n      File Type : D\n  Record Status : ffffff81. \n   View Pt Hash : 7\n"
      "   View Pt Hash : 9\nLast Time Stamp : 1999/12/31/:23:59\n\n"
      "    Record Type : TYPE_LOOKUPTABLE.\n  Record Status : Modified(2). \n  Record Length : 6\n"
      "  Record Number : 0\n\n  Index Current : 35\n\nIndex Current = 35\n\n";
  for (int i = 0; i < 32; ++i) want += std::to_string(i) + ":iWork = 0\n\n";
  want += " Index Current = 99\n\niSum = 0\n";
  for (int t = 1; t < 32; ++t) want += t <= 10 ? "iSum = 1\n" : "iSum = 2\n";
  EXPECT_EQ(r.out, want + "All data Number : 0\n\niCounter = 2\niNoteNum = 0\n");
}

TEST(Run, FailedRunLeavesTheDestinationAndInPlaceEqualsElsewhere) {
  ScratchDir dir;
  const std::vector<unsigned char> old = {'o', 'l', 'd'};
  dir.Write("out.dat", old);
  dir.Write("bad.dat", DbFile('x').Finish());  // fails after the output was opened
  EXPECT_EQ(RunKalvert(dir, {"-xbad.dat", "-oout.dat"}).status, 1);
  EXPECT_EQ(dir.Read("out.dat"), old);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.dat", "out.dat"}));

  dir.Write("book.dat", SmallestGeneral());
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-oother.dat"}).status, 0);
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-obook.dat"}).status, 0);
  EXPECT_EQ(dir.Read("book.dat"), dir.Read("other.dat"));
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.dat", "book.dat", "other.dat", "out.dat"}));
}

TEST(Run, StandardOutputThatCannotBeWrittenIsAFailure) {
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
