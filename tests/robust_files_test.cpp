// Bad CSV input and file-system trouble through the built program: huge
// lines, NUL bytes and two-byte characters in CSV, files that cannot be
// opened or read, an output folder that cannot be written, a full disk, and
// the same file named for -x and -o.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using Blob = std::vector<unsigned char>;

const Blob kOldDest = {'o', 'l', 'd', '\n'};

// A book of one appointment, without notes or repeats.
Blob SmallBook() {
  fixture::DbFile db('2');
  fixture::Appt a;
  a.description = "Dentist";
  a.location = "Station";
  a.cYear = 100, a.cMonth = 0, a.cDay = 1;  // 2000/01/02
  a.start(9 * 60).end(10 * 60);
  db.Add(11, 0, 0, a.Encode());
  return db.Finish();
}

// A general database with one text field behind an offset.
Blob SmallCards() {
  fixture::DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(3, 1, 0, 0x20, 0, 0, std::string("Name\0", 5)));
  fixture::Bytes rec;
  rec.le16(3).u8(0).cstr("Ann");
  db.Add(11, 0, 0, rec);
  return db.Finish();
}

// A message may follow the progress marks on the same line: compare the end.
bool EndsWith(const std::string& err, const std::string& message) {
  return err.size() >= message.size() && err.compare(err.size() - message.size(), message.size(), message) == 0;
}

bool HasTemporary(const fixture::ScratchDir& dir) {
  for (const std::string& name : dir.List()) {
    if (name.rfind(".kalvert-", 0) == 0) return true;
  }
  return false;
}

std::string Line(const std::string& description, const std::string& location, const std::string& note) {
  return "\"" + description + "\",\"2000/01/03\",\"12:00\",\"13:00\",\"" + location + "\",\"0\",\"" + note + "\"\n";
}

// The export line of an imported appointment without end date or note.
std::string Exported(const std::string& description, const std::string& location) {
  return "\"" + description + "\",\"2000/01/03\",\"12:00\",\"13:00\",\"" + location + "\",\"0\",\"\"\n";
}

TEST(RobustCsv, HugeLineIsReadWholeAndCutToTheColumnLimits) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", SmallBook());
  const std::string longText(300000, 'A');
  dir.Write("in.csv", Line(longText, longText, "") + Line("after", "x", ""));
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s0"});
  ASSERT_EQ(r.status, 0) << r.err;
  // The description keeps 51 bytes, the location 19; the line after the
  // huge one is a line of its own.
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xout.dat"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_NE(back.out.find(Exported(std::string(51, 'A'), std::string(19, 'A'))), std::string::npos) << back.out;
  EXPECT_NE(back.out.find(Exported("after", "x")), std::string::npos) << back.out;
}

TEST(RobustCsv, NoteTooLongForOneRecordFailsAndKeepsTheDestination) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", SmallBook());
  dir.Write("dest.dat", kOldDest);
  dir.Write("in.csv", Line("big note", "", std::string(40000, 'n')));
  // Without -o the note is only printed.
  const fixture::RunResult printed = fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv"});
  EXPECT_EQ(printed.status, 0) << printed.err;
  EXPECT_NE(printed.out.find(std::string(40000, 'n')), std::string::npos);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-odest.dat"});
  EXPECT_EQ(r.status, 1);
  EXPECT_PRED2(EndsWith, r.err, "Record too long to write.\n");
  EXPECT_EQ(dir.Read("dest.dat"), kOldDest);
  EXPECT_FALSE(HasTemporary(dir));
}

TEST(RobustCsv, NulEndsTheLineAndHighBytesStayBytes) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", SmallBook());
  // Ten two-byte characters (20 bytes) for the location: 19 bytes would split
  // the last one, so 18 are kept. 0x80 is a character of its own.
  std::string wide;
  for (int i = 0; i < 10; ++i) wide += "\xA4\xA2";
  std::string csv = Line("\xFF\xFE\x80", wide, "");
  csv += std::string("\"cut") + '\0' + "here\",\"2000/01/03\",\"12:00\",\"13:00\",\"x\",\"0\",\"\"\n";
  dir.Write("in.csv", csv);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s0"});
  ASSERT_EQ(r.status, 0) << r.err;
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xout.dat"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_NE(back.out.find(Exported("\xFF\xFE\x80", wide.substr(0, 18))), std::string::npos) << back.out;
  // Nothing after the NUL was read: the item has no date and no times.
  EXPECT_NE(back.out.find("\"cut\","), std::string::npos) << back.out;
  EXPECT_EQ(back.out.find("here"), std::string::npos) << back.out;
}

TEST(RobustCsv, ManyLinesIntoGeneralDatabaseWithoutOutput) {
  fixture::ScratchDir dir;
  dir.Write("cards.dat", SmallCards());
  std::string csv;
  for (int i = 0; i < 20000; ++i) csv += "\"Bob\"\n";
  dir.Write("in.csv", csv);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xcards.dat", "-iin.csv", "-c1"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Each line is echoed as it is read.
  EXPECT_EQ(r.out, "Ann\n" + csv);
}

// Each case: the arguments, the expected message; the destination named by
// -o (when any) is dest.dat, which holds kOldDest before the run.
struct FileCase {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

TEST(RobustFiles, FilesThatCannotBeUsedEndWithAMessage) {
  const std::vector<FileCase> cases = {
      {"input missing", {"-xmissing.dat", "-odest.dat"}, "File can't open.\n"},
      {"no -x at all", {"-odest.dat"}, "File can't open.\n"},
      {"input is a folder", {"-xsub", "-odest.dat"}, "Failed read file.\n"},
      {"CSV file missing", {"-xbook.dat", "-imissing.csv", "-odest.dat"}, "File can't open.\n"},
      {"CSV file is a folder", {"-xbook.dat", "-isub", "-odest.dat"}, ""},
      {"output folder missing", {"-xbook.dat", "-onowhere/out.dat"}, "File can't open.\n"},
      {"output is a folder", {"-xbook.dat", "-osub"}, "File can't open.\n"},
      {"output folder is a file", {"-xbook.dat", "-obook.dat/out.dat"}, "File can't open.\n"},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::ScratchDir dir;
    dir.Write("book.dat", SmallBook());
    dir.Write("dest.dat", kOldDest);
    ASSERT_EQ(std::system(("mkdir " + dir.Path("sub")).c_str()), 0);
    const fixture::RunResult r = fixture::RunKalvert(dir, c.args);
    if (*c.message == '\0') {
      // A CSV "file" that reads as empty: nothing to import, a clean copy.
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_NE(dir.Read("dest.dat"), kOldDest);
    } else {
      EXPECT_EQ(r.status, 1);
      EXPECT_PRED2(EndsWith, r.err, c.message);
      EXPECT_EQ(dir.Read("dest.dat"), kOldDest);
    }
    EXPECT_FALSE(HasTemporary(dir));
    EXPECT_EQ(dir.Read("book.dat"), SmallBook());
  }
}

// Runs the program with the file size limit at `blocks` blocks of 512 bytes
// (a full disk, as far as the program can tell).
fixture::RunResult RunWithFileLimit(const fixture::ScratchDir& dir, int blocks,
                                    const std::vector<std::string>& args) {
  const std::string err = dir.Path(".limited-err");
  std::string cmd = "cd '" + dir.path() + "' && ulimit -f " + std::to_string(blocks) + " && '" + KALVERT_BIN + "'";
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " </dev/null >/dev/null 2>'" + err + "'";
  const int rc = std::system(("bash -c \"" + cmd + "\"").c_str());
  fixture::RunResult r;
  const Blob bytes = dir.Read(".limited-err");
  r.err.assign(bytes.begin(), bytes.end());
  std::remove(err.c_str());
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return r;
}

TEST(RobustFiles, FullDiskFailsAndLeavesNothingBehind) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", SmallBook());
  dir.Write("dest.dat", kOldDest);
  std::string csv;
  for (int i = 0; i < 200; ++i) csv += "\"Meeting\",\"2000/01/03\",\"12:00\",\"13:00\",\"Room\",\"0\",\"\"\n";
  dir.Write("in.csv", csv);
  const fixture::RunResult r = RunWithFileLimit(dir, 4, {"-xbook.dat", "-iin.csv", "-odest.dat", "-s2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_PRED2(EndsWith, r.err, "Failed write file.\n");
  EXPECT_EQ(dir.Read("dest.dat"), kOldDest);
  EXPECT_FALSE(HasTemporary(dir));
  // The same run without the limit succeeds, so the limit was the cause.
  const fixture::RunResult free = fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-odest.dat", "-s2"});
  EXPECT_EQ(free.status, 0) << free.err;
}

TEST(RobustFiles, SameFileForInputAndOutput) {
  fixture::ScratchDir dir;
  const Blob book = SmallBook();
  dir.Write("book.dat", book);
  dir.Write("bad.csv", Line("big note", "", std::string(40000, 'n')));
  const fixture::RunResult failed = fixture::RunKalvert(dir, {"-xbook.dat", "-ibad.csv", "-obook.dat", "-s2"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(dir.Read("book.dat"), book) << "a failed in-place update changed the input";

  dir.Write("good.csv", Line("Lunch", "Cafe", ""));
  const fixture::RunResult ok = fixture::RunKalvert(dir, {"-xbook.dat", "-igood.csv", "-obook.dat", "-s2"});
  ASSERT_EQ(ok.status, 0) << ok.err;
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xbook.dat"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_NE(back.out.find("\"Dentist\",\"2000/01/02\""), std::string::npos) << back.out;
  EXPECT_NE(back.out.find(Exported("Lunch", "Cafe")), std::string::npos) << back.out;
  EXPECT_FALSE(HasTemporary(dir));
}

}  // namespace
