// Hostile and broken input through the built program: broken databases, huge
// CSV lines with NUL bytes and two-byte characters, files that cannot be
// opened or read, a full disk, the same file for -x and -o. Every run ends
// with exit status 0 or 1 and a message when 1, leaves no temporary output
// file, and a failed run leaves every file as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Line, fixture::RunKalvert;
using Blob = std::vector<unsigned char>;

// A small book: one plain appointment (record header at 29, 50 bytes) and
// one repeating appointment with one deleted occurrence (at 79; its cDelete
// at body offset 27 + 8 + 11); with a note, the plain one's note record is
// the last.
constexpr long kPlain = 29, kRepeat = 79;

Blob MakeBook(bool withLookup = true, const char* note = nullptr) {
  fixture::DbFile db('2');
  fixture::Appt plain("Dentist", 100, 0, 1, "Station"), weekly("Choir", 100, 0, 0);
  weekly.repeat(4, {1, 0x81, 0, 0, 0, 100, 0, 3, 100, 11, 30, 1}).deleted.le32(0x0A000064);
  plain.note = note ? 0 : -1;
  db.Add(11, 0, 0, plain.start(9 * 60).end(10 * 60).Encode());
  db.Add(11, 0, 1, weekly.Encode());
  if (note) db.Add(9, 0, 0, fixture::Bytes().str(note));
  return db.Finish(withLookup);
}

// The export of MakeBook: the repeating item first, then by date.
const std::string kChoir =
    "\"Choir\",\"2000/01/01\",\"NONE\",\"NONE\",\"\",\"0\",\"\",\"1\",\"MON\",\"0\","
    "\"2000/01/04\",\"2000/12/31\",\"1\"\n";
std::string Dentist(const std::string& note = "") {
  return "\"Dentist\",\"2000/01/02\",\"09:00\",\"10:00\",\"Station\",\"0\",\"" + note + "\"\n";
}
const std::string kDentist = Dentist();

// A general database: one text field whose offset is the first body word of
// its one record (the data record follows the 18-byte field definition).
constexpr long kCardsTextOffset = fixture::DbFile::kFirst + 18 + 6;

Blob MakeCards() {
  fixture::DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(3, 1, 0, 0x20, 0, 0, std::string("Name\0", 5)));
  db.Add(11, 0, 0, fixture::Bytes().le16(3).u8(0).cstr("Ann"));
  return db.Finish();
}

// A book of n records of six bytes (type 15, no body) and one appointment.
Blob TinyRecords(int n) {
  fixture::DbFile db('2');
  for (int i = 0; i < n; ++i) db.Add(15, 0, i, fixture::Bytes());
  db.Add(11, 0, 0, fixture::Appt().Encode());
  return db.Finish(false);
}

// The file with `bytes` bytes (little-endian) at `at` set to v (negative
// values as two's complement).
Blob Patched(Blob b, long at, unsigned v, int bytes = 2) {
  for (int i = 0; i < bytes; ++i) b[static_cast<std::size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i));
  return b;
}

// The first size bytes of b; a negative size counts from its end.
Blob Cut(const Blob& b, long size) { return Blob(b.begin(), size < 0 ? b.end() + size : b.begin() + size); }

struct Outcome {
  int status;
  const char* message;  // the end of standard error when status is 1; a warning to find in it when 0
};

TEST(RobustInput, BrokenDatabasesEndCleanly) {
  const Blob f = MakeBook();
  const Outcome readFail{1, "Failed read file.\n"}, shortRecord{1, "Broken record at offset 29.\n"};
  const Outcome readData{1, "2. Failed read TYPE_DATA in file.\n"}, broken0{1, "Broken TYPE_DATA record 0.\n"};
  const Outcome broken1{1, "Broken TYPE_DATA record 1.\n"}, ok{0, ""}, noNote{0, "Note record 7 not found.\n"};
  const Outcome notValid{1, "Not a valid database.\n"}, fileType{1, "Please, Check your enter file name.\n"};
  const Outcome cut1{0, "in.dat ends early; 1 records read.\n"}, cut2{0, "in.dat ends early; 2 records read.\n"};
  const Outcome cut3{0, "in.dat ends early; 3 records read.\n"}, noteCut{1, "2. Failed read TYPE_NOTE in file.\n"};
  const Outcome shortDef{1, "2. Failed read TYPE_DEFFIELD in file.\n"},
      noTable{1, "1. Failed read TYPE_NOTE in file.\n"};
  fixture::DbFile table('2'), def('D');  // a "lookup table" shorter than its own header; a 5-byte field definition
  table.AddRaw(fixture::Bytes().u8(31).u8(2).le16(3).le16(0));
  def.Add(6, 0, 0, fixture::Bytes().u8(2).u8(1).le16(0).u8(0x20));
  // clang-format off
  // Each file is exported (-x only) and copied (-x and -o); `out` is what the
  // copy's run exports when it succeeds.
  const struct { const char* name; Blob file; Outcome exported, copied; std::string out; } cases[] = {
      {"header cut short", Cut(f, 20), readFail, readFail, ""},
      {"signature of another file", Patched(f, 0, 'X', 1), notValid, notValid, ""},
      {"unknown file type", Patched(f, 12, 'Z', 1), fileType, fileType, ""},
      {"negative record length", Patched(f, kPlain + 2, -2), shortRecord, shortRecord, ""},
      {"record shorter than its own header", table.Finish(false), shortRecord, shortRecord, ""},
      {"field definition of 5 of its 7 bytes", def.Finish(), shortDef, shortDef, ""},
      {"record length past the end of the file", Patched(f, kRepeat + 2, 32767), readData, readData, ""},
      {"file cut inside a record header", Cut(f, kRepeat + 3), cut1, cut1, kDentist},
      {"no lookup table", MakeBook(false), cut2, cut2, kChoir + kDentist},
      {"lookup table offset past the end", Patched(f, 18, 0x7FFF7FFF, 4), cut2, cut2, kChoir + kDentist},
      {"lookup table offset at the end", Patched(f, 18, static_cast<unsigned>(f.size()), 4), cut2, cut2,
       kChoir + kDentist},
      {"negative location offset", Patched(f, kPlain + 6 + 4, -1), broken0, broken0, ""},
      {"repeat block past the end of the record", Patched(f, kRepeat + 6 + 6, 200), broken1, broken1, ""},
      {"negative count of deleted occurrences", Patched(f, kRepeat + 6 + 46, 0x80, 1), broken1, broken1, ""},
      {"missing note", Patched(f, kPlain + 6 + 8, 7), noNote, noNote, kChoir + kDentist},
      {"missing note, no lookup table", Patched(MakeBook(false), kPlain + 6 + 8, 7), noTable, noTable, ""},
      {"note ending where the file ends", MakeBook(false, "x"), cut3, cut3, kChoir + Dentist("x")},
      {"note running past the end of the file", Cut(MakeBook(false, "xy"), -1), noteCut, noteCut, ""},
      {"data record of no known kind", Patched(f, kPlain + 6 + 14, 0x05, 1), ok,
       {1, "TYPE_DATA record 0 has no known kind; can't write it.\n"}, ""},
      {"record type 32", Patched(f, kPlain, 32, 1), ok,
       {1, "Record type 32 can't be listed in the lookup table.\n"}, ""},
      {"more records than a lookup table lists", TinyRecords(5000), ok,
       {1, "Too many records for the lookup table.\n"}, ""},
      {"general database text offset outside its record", Patched(MakeCards(), kCardsTextOffset, 900), broken0,
       broken0, ""}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::ScratchDir dir;
    dir.Write("in.dat", c.file);
    dir.Write("dest.dat", "old");
    fixture::ExpectEnded(dir, RunKalvert(dir, {"-xin.dat", "-t4", "-a", "-e", "-d"}), c.exported.status,
                         c.exported.message);
    const auto copied = RunKalvert(dir, {"-xin.dat", "-odest.dat"});
    fixture::ExpectEnded(dir, copied, c.copied.status, c.copied.message);
    EXPECT_EQ(dir.Read("dest.dat") == Blob({'o', 'l', 'd'}), c.copied.status == 1);
    if (c.copied.status == 0) {
      EXPECT_EQ(copied.out, c.out);
      // The copy reads back the same, and whole (a missing note became an empty one).
      const auto back = RunKalvert(dir, {"-xdest.dat", "-s1"});
      EXPECT_EQ(std::make_pair(back.out, fixture::Said(back)), std::make_pair(c.out, std::string()));
    }
  }
}

// Runs that fail, each with its message: every file as it was before.
TEST(RobustFiles, FailedRunsLeaveEveryFileAsItWas) {
  const Blob file = MakeBook();
  const std::string book(file.begin(), file.end());
  std::string many;
  for (int i = 0; i < 200; ++i) many += Line("Meeting", "Room", "");
  // A full disk, as far as the program can tell, is a file size limit of 4 blocks.
  // clang-format off
  const struct { std::vector<std::string> args; std::string message, before = "", csv = ""; } cases[] = {
      {{"-xmissing.dat", "-odest.dat"}, "File can't open.\n  missing.dat: No such file or directory\n"},
      {{"-odest.dat"}, "File can't open.\n  (no name): No such file or directory\n"},  // no -x at all
      {{"-xbook.dat", "-imissing.csv", "-odest.dat"}, "File can't open.\n  missing.csv: No such file or directory\n"},
      {{"-xsub", "-odest.dat"}, "Failed read file.\n"},
      // 16 MiB that a lookup table reaches and the 64 KiB of the table itself: one byte more is too large.
      {{"-xbig.dat", "-odest.dat"}, "Database file too large (more than 16 MiB).\n", "truncate -s 16842753 big.dat && "},
      {{"-xbig.dat", "-odest.dat"}, "Not a valid database.\n", "truncate -s 16842752 big.dat && "},
      {{"-xbook.dat", "-osub"}, "File can't open.\n  sub: Is a directory\n"},
      {{"-xbook.dat", "-isub", "-odest.dat"}, "Failed read file.\n  sub: Is a directory\n"},
      {{"-xbook.dat", "-iin.csv", "-odest.dat", "-s2"}, "Failed write file.\n", "ulimit -f 4 && ", many},
      {{"-xbook.dat", "-iin.csv", "-obook.dat", "-s2"}, "Record too long to write.\n", "",
       Line("big", "", std::string(32762, 'n'))},  // a note record of 32768 bytes
  };
  // clang-format on
  for (const auto& [args, message, before, csv] : cases) {
    SCOPED_TRACE(args[0] + " " + before);
    fixture::ScratchDir dir;
    const std::pair<std::string, std::string> files[] = {{"book.dat", book}, {"dest.dat", "old"}, {"in.csv", csv}};
    for (const auto& [name, text] : files) dir.Write(name, text);
    std::filesystem::create_directory(dir.Path("sub"));
    fixture::ExpectEnded(dir, RunKalvert(dir, args, before), 1, message);
    for (const auto& [name, text] : files) EXPECT_EQ(fixture::Slurp(dir.Path(name)), text) << name;
  }
}

// Huge lines are read whole (the description keeps 51 bytes, the location
// 19); a cut never splits a two-byte character: of a location of ten (20
// bytes) 19 would split the last one, so 18 are kept; 0x80 is a character of
// its own, so of a description of it and 26 two-byte characters 25 are kept,
// the last ending at byte 51. Nothing after a NUL is read (one column: a
// warning, and an item of nothing but its description: date and times of
// zero bytes); the book named for -x and -o is replaced. Of two items at one
// time the later filed heads the date, so the book read back files them the
// other way round again.
TEST(RobustFiles, CsvOfAnyLengthAndBytesInPlace) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", MakeBook());
  const std::string huge(300000, 'A');
  std::string wide;
  for (int i = 0; i < 26; ++i) wide += "\xA4\xA2";
  std::string csv = Line(huge, huge, "") + Line("\x80" + wide, wide.substr(0, 20), "");
  dir.Write("in.csv", csv + "\"cut" + '\0' + "here\",\"2000/01/03\",\"12:00\",\"13:00\",\"x\",\"0\",\"\"\n");
  const auto r = RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-obook.dat", "-s0"});
  fixture::ExpectEnded(dir, r, 0, "I can't understand follow this record. Please check !\n<<< \"cut");
  const std::string cut = "\"cut\",\"1900/01/01\",\"00:00\",\"00:00\",\"\",\"0\",\"\"\n";
  EXPECT_EQ(RunKalvert(dir, {"-xbook.dat"}).out, kChoir + cut + kDentist +
                                                     Line(std::string(51, 'A'), std::string(19, 'A'), "") +
                                                     Line("\x80" + wide.substr(0, 50), wide.substr(0, 18), ""));
  // A ToDo's description is cut the same way: 25 of its 26 two-byte characters.
  dir.Write("todo.csv", "\"" + wide + "\",\"2000/01/05\",\"0\",\"\",\"1\",\"\"\n");
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-t", "-itodo.csv", "-obook.dat", "-s1"}).status, 0);
  EXPECT_TRUE(
      fixture::Holds(RunKalvert(dir, {"-xbook.dat", "-t"}).out, "\"" + wide.substr(0, 50) + "\",\"2000/01/05\","));
}

}  // namespace
