// Hostile and broken databases through the built program: every class of bad
// input ends with exit status 0 or 1, a message on standard error when 1, no
// temporary output file left behind, and the destination of -o untouched when
// the run fails and readable again when it succeeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using Blob = std::vector<unsigned char>;

// A small book: one plain appointment and one repeating appointment with one
// deleted occurrence. The offsets of the two record headers let a case break
// exactly one piece.
struct Book {
  Blob file;
  long plainAt = 0;
  long repeatAt = 0;
};

Book MakeBook(bool withLookup = true) {
  fixture::DbFile db('2');
  fixture::Appt plain("Dentist", 100, 0, 1, "Station"), weekly("Choir", 100, 0, 0);
  weekly.repeat(4, {1, 0x81, 0, 0, 0, 100, 0, 3, 100, 11, 30, 1}).deleted.le32(0x0A000064);
  Book b;
  b.plainAt = db.Add(11, 0, 0, plain.start(9 * 60).end(10 * 60).Encode());
  b.repeatAt = db.Add(11, 0, 1, weekly.Encode());
  b.file = db.Finish(withLookup);
  return b;
}

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

Blob Cut(const Blob& b, long size) { return Blob(b.begin(), b.begin() + size); }

struct Outcome {
  int status;
  std::string message;  // the end of standard error when status is 1; a warning to find in it when 0
};

TEST(RobustInput, BrokenDatabasesEndCleanly) {
  const Book book = MakeBook();
  const Blob& f = book.file;
  const long plainBody = book.plainAt + 6;
  const long repeatBody = book.repeatAt + 6;
  const long deleteCount = repeatBody + f[static_cast<std::size_t>(repeatBody) + 6] + 11;  // last of the repeat block
  const Outcome readFail{1, "Failed read file.\n"}, shortRecord{1, "Broken record at offset 29.\n"};
  const Outcome readData{1, "2. Failed read TYPE_DATA in file.\n"}, broken0{1, "Broken TYPE_DATA record 0.\n"};
  const Outcome broken1{1, "Broken TYPE_DATA record 1.\n"}, ok{0, ""}, noNote{0, "Note record 7 not found.\n"};
  const Outcome notValid{1, "Not a valid database.\n"}, fileType{1, "Please, Check your enter file name.\n"};
  // clang-format off
  const struct {
    const char* name;
    Blob file;
    Outcome exported;  // run with -x only
    Outcome copied;    // run with -x and -o
    int items;         // lines the copy's run exports when it succeeds
  } cases[] = {
      {"header cut short", Cut(f, 20), readFail, readFail, 0},
      {"signature of another file", Patched(f, 0, 'X', 1), notValid, notValid, 0},
      {"unknown file type", Patched(f, 12, 'Z', 1), fileType, fileType, 0},
      {"negative record length", Patched(f, book.plainAt + 2, -2), shortRecord, shortRecord, 0},
      {"record length past the end of the file", Patched(f, book.repeatAt + 2, 32767), readData, readData, 0},
      {"file cut inside a record header", Cut(f, book.repeatAt + 3), ok, ok, 1},
      {"no lookup table", MakeBook(false).file, ok, ok, 2},
      {"lookup table offset past the end", Patched(f, 18, 0x7FFF7FFF, 4), ok, ok, 2},
      {"negative location offset", Patched(f, plainBody + 4, -1), broken0, broken0, 0},
      {"repeat block past the end of the record", Patched(f, repeatBody + 6, 200), broken1, broken1, 0},
      {"negative count of deleted occurrences", Patched(f, deleteCount, 0x80, 1), broken1, broken1, 0},
      {"missing note", Patched(f, plainBody + 8, 7), noNote, noNote, 2},
      {"data record of no known kind", Patched(f, plainBody + 14, 0x05, 1), ok,
       {1, "TYPE_DATA record 0 has no known kind; can't write it.\n"}, 0},
      {"record type 32", Patched(f, book.plainAt, 32, 1), ok,
       {1, "Record type 32 can't be listed in the lookup table.\n"}, 0},
      {"more records than a lookup table lists", TinyRecords(5000), ok,
       {1, "Too many records for the lookup table.\n"}, 0},
      {"general database text offset outside its record", Patched(MakeCards(), kCardsTextOffset, 900), broken0,
       broken0, 0}};
  // clang-format on
  const std::vector<unsigned char> kOld = {'o', 'l', 'd'};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::ScratchDir dir;
    dir.Write("in.dat", c.file);
    dir.Write("dest.dat", kOld);
    const auto exported = fixture::RunKalvert(dir, {"-xin.dat", "-t4", "-a", "-e", "-d"});
    fixture::ExpectEnded(dir, exported, c.exported.status, c.exported.message);
    const auto copied = fixture::RunKalvert(dir, {"-xin.dat", "-odest.dat"});
    fixture::ExpectEnded(dir, copied, c.copied.status, c.copied.message);
    EXPECT_EQ(dir.Read("dest.dat") == kOld, c.copied.status == 1);
    if (c.copied.status == 0) {
      EXPECT_EQ(std::count(copied.out.begin(), copied.out.end(), '\n'), c.items) << copied.out;
      EXPECT_NE(copied.out.find("\"Dentist\",\"2000/01/02\",\"09:00\",\"10:00\",\"Station\""), std::string::npos);
      EXPECT_EQ(fixture::RunKalvert(dir, {"-xdest.dat"}).out, copied.out);  // the copy reads back the same
    }
  }
}

}  // namespace
