// The command line and the run sequence: option values and refusals
// in-process; help, the header rewrite, the debug dump and the safe
// replacement of the output end to end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "helptext.h"
#include "inproc.h"
#include "runner.h"

namespace {

using fixture::DbFile;
using fixture::RunKalvert;
using fixture::ScratchDir;

// ReadOption's result for the arguments; what it printed goes to o.
int Parse(std::vector<std::string> args, inproc::Outcome& o) {
  ResetGlobals();
  args.insert(args.begin(), "kalvert");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  int result = -1;
  o = inproc::Capture([&] { result = ReadOption(static_cast<int>(args.size()), argv.data()); });
  return result;
}

TEST(Options, ValuesCutsRangesDatesAndOrder) {
  const struct {
    std::vector<std::string> args;
    const int16_t* global;
    long want;
    const int32_t* date = nullptr;
    std::string err = "";
  } cases[] = {
      {{"-c5"}, &opt.iCSV, 0},
      {{"-c"}, &opt.iCSV, 2},
      {{"-c65537"}, &opt.iCSV, 1},
      {{"-C0"}, &opt.iCSV, 0},
      {{"-c1x"}, &opt.iCSV, 1},
      {{"-r9"}, &opt.iAlarm, 1},
      {{"-r"}, &opt.iAlarm, 7},
      {{"-n"}, &opt.iNote, 1},
      {{"-n3"}, &opt.iNote, 0},
      {{"-s3"}, &opt.iSilent, 1},
      {{"-s2"}, &opt.iSilent, 3},
      {{"-a4"}, &opt.iAppt, 1},
      {{"-t4"}, &opt.iToDo, 4},
      {{"-t4"}, &opt.iAppt, 0},
      {{"-t5"}, &opt.iToDo, 1},
      {{"-a", "-e"}, &opt.iAppt, 0},
      {{"-e", "-a"}, &opt.iAppt, 1},
      {{"-b"}, &opt.iTAB, 2},
      {{"-b", "-c1"}, &opt.iCSV, 1},
      {{"/H"}, &opt.iHeader, 1},
      {{"-dx"}, &opt.iDebugG2, 1},
      {{"-dx"}, &opt.iDebugG, 0},
      {{"-g940404"}, nullptr, 19940404, &opt.lCutStart},
      {{"-g000101"}, nullptr, 20000101, &opt.lCutStart},
      {{"-g899999"}, nullptr, 20899999, &opt.lCutStart},
      {{"-g900000"}, nullptr, 19900000, &opt.lCutStart},
      {{"-g19940404"}, nullptr, 19940404, &opt.lCutStart},
      {{"-f23000101"}, nullptr, 22000101, &opt.lCutEnd},
      {{"-g1994"}, nullptr, 19000101, &opt.lCutStart},
      {{"-g1.99404e7"}, nullptr, 19940400, &opt.lCutStart},
      {{"-g2.1e30"}, nullptr, 19000101, &opt.lCutStart},  // six characters, but no date the century fits
      {{"-g000100"}, nullptr, 19000101, &opt.lCutStart, "Check! Cut first date.(19000101)\n"},
      {{"-f000050"}, nullptr, 22000101, &opt.lCutEnd, "Check! Cut finish date.(22000101)\n"},
  };
  for (auto c : cases) {
    c.args.push_back("-x/dev/null");
    inproc::Outcome o;
    EXPECT_EQ(Parse(c.args, o), 1) << c.args[0];
    EXPECT_EQ(c.global ? *c.global : *c.date, c.want) << c.args[0];
    EXPECT_EQ(o.err, c.err) << c.args[0];
  }
}

TEST(Options, RefusedCommandLines) {
  const struct {
    std::vector<std::string> args;
    std::string err;
    bool help;
  } cases[] = {
      {{"-x"}, "Please, input filename!\n", false},
      {{"-x", "-book"}, "Please, input filename!\n", false},  // a separate name may not start with '-'
      {{"-x/dev/null", "-i"}, "Please, input CSV filename!\n", false},
      {{"-z", "-x"}, "Bad option -z\n", true},
      {{"/?"}, "", true},
      {{"-x/nonexistent/book"}, "File can't open.\n  /nonexistent/book: No such file or directory\n", false},
  };
  for (const auto& c : cases) {
    inproc::Outcome o;
    EXPECT_EQ(Parse(c.args, o), 0) << c.args[0];
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

TEST(Run, HelpAndExitStatuses) {
  const std::string help(kHelpText, kHelpTextSize);
  ScratchDir dir;
  const auto none = RunKalvert(dir, {}), asked = RunKalvert(dir, {"/?"});
  EXPECT_EQ(AfterBanner(none.err), "");
  EXPECT_EQ(std::make_pair(none.status, none.out), std::make_pair(0, help));
  EXPECT_EQ(std::make_pair(asked.status, asked.out), std::make_pair(1, help));
  EXPECT_EQ(AfterBanner(RunKalvert(dir, {"-q7"}).err), "Bad option -q7\n");
}

// The smallest database (signature, header, empty lookup table) copied; a
// failed run first, an in-place update last.
TEST(Run, SmallestOutputFailedRunAndInPlaceUpdate) {
  ScratchDir dir;
  DbFile db('D');
  db.header.cStatus = 0x40;
  db.header.cFileStatus = 0x81;
  db.header.iReleaseNum = -2;
  dir.Write("in.dat", db.Finish());
  dir.Write("out.dat", std::string("old"));
  dir.Write("bad.dat", DbFile('x').Finish());  // fails after the output was opened
  EXPECT_EQ(RunKalvert(dir, {"-xbad.dat", "-oout.dat"}).status, 1);
  EXPECT_EQ(dir.Read("out.dat"), (std::vector<unsigned char>{'o', 'l', 'd'}));
  ASSERT_EQ(RunKalvert(dir, {"-xin.dat", "-oout.dat"}).status, 0);
  fixture::Bytes want;
  // The header as read, but for status 2, file status bit 1, 2 entries and the table at 35.
  want.u8(0x68)
      .u8(0x63)
      .u8(0x44)
      .u8(0)
      .u8(0)
      .u8(2)
      .le16(25)
      .le16(0)
      .le16(-2)
      .u8('D')
      .u8(0x83)
      .le16(0)
      .le16(2)
      .le32(35)
      .u8(99)
      .u8(11)
      .u8(30)
      .le16(1439)
      .u8(7)
      .u8(9);
  want.u8(10).u8(2).le16(6).le16(0);   // empty view point table
  want.u8(31).u8(2).le16(22).le16(0);  // lookup table of two entries
  want.le16(25).u8(0xFF).u8(0xFF).u8(0).u8(4).u8(0).u8(0).le16(6).u8(0xFF).u8(0xFF).u8(0).u8(29).u8(0).u8(0);
  for (int t = 0; t < 32; ++t) want.le16(t == 0 ? 0 : t <= 10 ? 1 : 2);
  ASSERT_EQ(want.size(), 121u);
  EXPECT_EQ(dir.Read("out.dat"), want.v);
  // With -d: the header as read, the closing as written.
  std::string dump =
      "hcD\n    Record Type : TYPE_DBHEADER.\n  Record Status : 40. \n  Record Length : 25\n"
      "  Record Number : 0\n Release Number : fffffffe\n  Number Record : 0\nCurrent View Pt : 0\n"
      "   Look Up Seek : 29\n      File Type : D\n  Record Status : ffffff81. \n   View Pt Hash : 7\n"
      "   View Pt Hash : 9\nLast Time Stamp : 1999/12/31/:23:59\n\n"
      "    Record Type : TYPE_LOOKUPTABLE.\n  Record Status : Modified(2). \n  Record Length : 6\n"
      "  Record Number : 0\n\n  Index Current : 35\n\nIndex Current = 35\n\n";
  for (int i = 0; i < 32; ++i) dump += std::to_string(i) + ":iWork = 0\n\n";
  dump += " Index Current = 99\n\niSum = 0\n";
  for (int t = 1; t < 32; ++t) dump += t <= 10 ? "iSum = 1\n" : "iSum = 2\n";
  EXPECT_EQ(RunKalvert(dir, {"-d", "-xin.dat", "-oout.dat"}).out,
            dump + "All data Number : 0\n\niCounter = 2\niNoteNum = 0\n");
  ASSERT_EQ(RunKalvert(dir, {"-xin.dat", "-oin.dat"}).status, 0);
  EXPECT_EQ(dir.Read("in.dat"), want.v);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.dat", "in.dat", "out.dat"}));  // no temporary file left
}

TEST(Run, StandardOutputThatCannotBeWrittenIsAFailure) {
  ScratchDir dir;
  DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  dir.Write("in.dat", db.Finish());
  const int rc =
      std::system(("cd '" + dir.path() + "' && '" KALVERT_BIN "' -xin.dat -h -s1 -oout.dat >/dev/full 2>err").c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 1) << rc;
  const std::vector<unsigned char> err = dir.Read("err");
  EXPECT_EQ(AfterBanner(std::string(err.begin(), err.end())), "\nFailed write standard output.\n");
  EXPECT_FALSE(dir.Exists("out.dat"));
}

}  // namespace
