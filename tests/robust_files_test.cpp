// Bad CSV input and file-system trouble through the built program: huge
// lines, NUL bytes and two-byte characters in CSV, files that cannot be
// opened or read, an output folder that cannot be written, a full disk, and
// the same file named for -x and -o.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::RunKalvert;
using Blob = std::vector<unsigned char>;

const Blob kOldDest = {'o', 'l', 'd', '\n'};

// A book of one appointment, without notes or repeats.
Blob SmallBook() {
  fixture::DbFile db('2');
  db.Add(11, 0, 0, fixture::Appt("Dentist", 100, 0, 1).Encode());
  return db.Finish();
}

// A CSV line of an appointment; with an empty note it is also the export
// line of the item imported from it.
std::string Line(const std::string& description, const std::string& location, const std::string& note) {
  return "\"" + description + "\",\"2000/01/03\",\"12:00\",\"13:00\",\"" + location + "\",\"0\",\"" + note + "\"\n";
}

// A failed run: status 1, the message at the end of standard error, `kept`
// still holding `before`, no temporary file left.
void ExpectFailed(const fixture::ScratchDir& dir, const fixture::RunResult& r, const std::string& message,
                  const std::string& kept, const Blob& before) {
  fixture::ExpectEnded(dir, r, 1, message);
  EXPECT_EQ(dir.Read(kept), before) << kept << " changed by a failed run";
}

TEST(RobustCsv, LinesOfAnyLengthAndAnyBytes) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", SmallBook());
  const std::string huge(300000, 'A');
  // Ten two-byte characters (20 bytes) for the location: 19 bytes would split
  // the last one, so 18 are kept. 0x80 is a character of its own.
  std::string wide;
  for (int i = 0; i < 10; ++i) wide += "\xA4\xA2";
  std::string csv = Line(huge, huge, "") + Line("\xFF\xFE\x80", wide, "");
  csv += std::string("\"cut") + '\0' + "here\",\"2000/01/03\",\"12:00\",\"13:00\",\"x\",\"0\",\"\"\n";
  dir.Write("in.csv", csv);
  const fixture::RunResult r = RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s0"});
  // Nothing after the NUL is read: one column, so a warning and an item without date or times.
  fixture::ExpectEnded(dir, r, 0, "I can't understand follow this record. Please check !\n<<< \"cut");
  const fixture::RunResult back = RunKalvert(dir, {"-xout.dat"});
  ASSERT_EQ(back.status, 0) << back.err;
  // The description keeps 51 bytes, the location 19.
  EXPECT_NE(back.out.find(Line(std::string(51, 'A'), std::string(19, 'A'), "")), std::string::npos) << back.out;
  EXPECT_NE(back.out.find(Line("\xFF\xFE\x80", wide.substr(0, 18), "")), std::string::npos) << back.out;
  EXPECT_NE(back.out.find("\"cut\","), std::string::npos) << back.out;
  EXPECT_EQ(back.out.find("here"), std::string::npos) << back.out;
}

TEST(RobustFiles, FilesThatCannotBeUsedEndWithAMessage) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"-xmissing.dat", "-odest.dat"}, "File can't open.\n"},
      {{"-odest.dat"}, "File can't open.\n"},  // no -x at all
      {{"-xbook.dat", "-imissing.csv", "-odest.dat"}, "File can't open.\n"},
      {{"-xsub", "-odest.dat"}, "Failed read file.\n"},
      {{"-xbook.dat", "-osub"}, "File can't open.\n"},
      {{"-xbook.dat", "-isub", "-odest.dat"}, ""},  // a CSV folder reads as empty: a clean copy
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    fixture::ScratchDir dir;
    dir.Write("book.dat", SmallBook());
    dir.Write("dest.dat", kOldDest);
    std::filesystem::create_directory(dir.Path("sub"));
    const fixture::RunResult r = RunKalvert(dir, c.args);
    if (*c.message != '\0') {
      ExpectFailed(dir, r, c.message, "dest.dat", kOldDest);
    } else {
      fixture::ExpectEnded(dir, r, 0, "");
      EXPECT_EQ(RunKalvert(dir, {"-xdest.dat"}).out, RunKalvert(dir, {"-xbook.dat"}).out);
    }
  }
}

// A full disk, as far as the program can tell: a file size limit of 4 blocks.
TEST(RobustFiles, FullDiskFailsAndLeavesNothingBehind) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", SmallBook());
  dir.Write("dest.dat", kOldDest);
  std::string csv;
  for (int i = 0; i < 200; ++i) csv += Line("Meeting", "Room", "");
  dir.Write("in.csv", csv);
  const std::vector<std::string> args = {"-xbook.dat", "-iin.csv", "-odest.dat", "-s2"};
  ExpectFailed(dir, RunKalvert(dir, args, "ulimit -f 4 && "), "Failed write file.\n", "dest.dat", kOldDest);
  // The same run without the limit succeeds, so the limit was the cause.
  EXPECT_EQ(RunKalvert(dir, args).status, 0);
}

// -x and -o naming one file: a failed run (a note too long for one record)
// leaves it as it was, a good run replaces it.
TEST(RobustFiles, SameFileForInputAndOutput) {
  fixture::ScratchDir dir;
  const Blob book = SmallBook();
  dir.Write("book.dat", book);
  dir.Write("bad.csv", Line("big note", "", std::string(40000, 'n')));
  const fixture::RunResult failed = RunKalvert(dir, {"-xbook.dat", "-ibad.csv", "-obook.dat", "-s2"});
  ExpectFailed(dir, failed, "Record too long to write.\n", "book.dat", book);
  dir.Write("good.csv", Line("Lunch", "Cafe", ""));
  const fixture::RunResult ok = RunKalvert(dir, {"-xbook.dat", "-igood.csv", "-obook.dat", "-s2"});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(RunKalvert(dir, {"-xbook.dat"}).out,
            "\"Dentist\",\"2000/01/02\",\"NONE\",\"NONE\",\"\",\"0\",\"\"\n" + Line("Lunch", "Cafe", ""));
}

}  // namespace
