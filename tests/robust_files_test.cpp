// Bad CSV input and file-system trouble through the built program: huge
// lines, NUL bytes and two-byte characters in CSV, files that cannot be
// opened or read, an output folder that cannot be written, a full disk, and
// the same file named for -x and -o.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
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
  a.cDay = 1;  // 2000/01/02
  db.Add(11, 0, 0, a.Encode());
  return db.Finish();
}

// A CSV line of an appointment; with an empty note it is also the export
// line of the item imported from it.
std::string Line(const std::string& description, const std::string& location, const std::string& note) {
  return "\"" + description + "\",\"2000/01/03\",\"12:00\",\"13:00\",\"" + location + "\",\"0\",\"" + note + "\"\n";
}

// A failed run: status 1, the message at the end of standard error (it may
// follow progress marks on the same line), `kept` still holding `before`, no
// temporary file left.
void ExpectFailed(const fixture::ScratchDir& dir, const fixture::RunResult& r, const std::string& message,
                  const std::string& kept, const Blob& before) {
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.size() >= message.size() && r.err.rfind(message) == r.err.size() - message.size()) << r.err;
  EXPECT_EQ(dir.Read(kept), before) << kept << " changed by a failed run";
  for (const std::string& name : dir.List()) EXPECT_NE(name.rfind(".kalvert-", 0), 0u) << name;
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
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s0"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Nothing after the NUL is read: one column, so a warning and an item without date or times.
  EXPECT_NE(r.err.find("I can't understand follow this record. Please check !\n<<< \"cut"), std::string::npos) << r.err;
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xout.dat"});
  ASSERT_EQ(back.status, 0) << back.err;
  // The description keeps 51 bytes, the location 19.
  EXPECT_NE(back.out.find(Line(std::string(51, 'A'), std::string(19, 'A'), "")), std::string::npos) << back.out;
  EXPECT_NE(back.out.find(Line("\xFF\xFE\x80", wide.substr(0, 18), "")), std::string::npos) << back.out;
  EXPECT_NE(back.out.find("\"cut\","), std::string::npos) << back.out;
  EXPECT_EQ(back.out.find("here"), std::string::npos) << back.out;
}

TEST(RobustFiles, FilesThatCannotBeUsedEndWithAMessage) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {"CSV file missing",
       {"-xbook.dat", "-imissing.csv", "-odest.dat"},
       "File can't open.\n  missing.csv: No such file or directory\n"},
      {"input is a folder", {"-xsub", "-odest.dat"}, "Failed read file.\n"},
      {"output is a folder", {"-xbook.dat", "-osub"}, "File can't open.\n  sub: Is a directory\n"},
      {"CSV file is a folder", {"-xbook.dat", "-isub", "-odest.dat"}, "Failed read file.\n  sub: Is a directory\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::ScratchDir dir;
    dir.Write("book.dat", SmallBook());
    dir.Write("dest.dat", kOldDest);
    std::filesystem::create_directory(dir.Path("sub"));
    ExpectFailed(dir, fixture::RunKalvert(dir, c.args), c.message, "dest.dat", kOldDest);
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
  // The limit is set in a shell of its own, which then becomes the program.
  const std::string limited =
      "cd '" + dir.path() + "' && bash -c 'ulimit -f 4 && exec \"$0\" \"$@\"' '" + KALVERT_BIN + "'";
  const int rc = std::system((limited + " -xbook.dat -iin.csv -odest.dat -s2 </dev/null >/dev/null 2>err").c_str());
  const Blob err = dir.Read("err");
  const fixture::RunResult r{"", std::string(err.begin(), err.end()), WIFEXITED(rc) ? WEXITSTATUS(rc) : -1};
  ExpectFailed(dir, r, "Failed write file.\n", "dest.dat", kOldDest);
  // The same run without the limit succeeds, so the limit was the cause.
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-odest.dat", "-s2"}).status, 0);
}

// -x and -o naming one file: a failed run (a note too long for one record)
// leaves it as it was, a good run replaces it.
TEST(RobustFiles, SameFileForInputAndOutput) {
  fixture::ScratchDir dir;
  const Blob book = SmallBook();
  dir.Write("book.dat", book);
  dir.Write("bad.csv", Line("big note", "", std::string(40000, 'n')));
  const fixture::RunResult failed = fixture::RunKalvert(dir, {"-xbook.dat", "-ibad.csv", "-obook.dat", "-s2"});
  ExpectFailed(dir, failed, "Record too long to write.\n", "book.dat", book);
  dir.Write("good.csv", Line("Lunch", "Cafe", ""));
  const fixture::RunResult ok = fixture::RunKalvert(dir, {"-xbook.dat", "-igood.csv", "-obook.dat", "-s2"});
  ASSERT_EQ(ok.status, 0) << ok.err;
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xbook.dat"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_NE(back.out.find("\"Dentist\",\"2000/01/02\""), std::string::npos) << back.out;
  EXPECT_NE(back.out.find(Line("Lunch", "Cafe", "")), std::string::npos) << back.out;
}

}  // namespace
