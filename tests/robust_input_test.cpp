// Hostile and broken databases through the built program: every class of bad
// input ends with exit status 0 or 1, a message on standard error when 1, no
// temporary output file left behind, and the destination of -o untouched when
// the run fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using Blob = std::vector<unsigned char>;

const Blob kOldDest = {'o', 'l', 'd', '\n'};

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
  fixture::Appt plain;
  plain.description = "Dentist";
  plain.location = "Station";
  plain.cDay = 1;  // 2000/01/02
  plain.start(9 * 60).end(10 * 60);
  fixture::Appt weekly;
  weekly.description = "Choir";
  weekly.cRepeatType = 4;
  weekly.repeats = true;
  const unsigned char ria[12] = {1, 0x81, 0, 0, 0, 100, 0, 3, 100, 11, 30, 1};
  std::copy(ria, ria + 12, weekly.ria);
  weekly.deleted.le32(0x0A000064);
  Book b;
  b.plainAt = db.Add(11, 0, 0, plain.Encode());
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
  fixture::Bytes rec;
  rec.le16(3).u8(0).cstr("Ann");
  db.Add(11, 0, 0, rec);
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

// Checks one run: status, message, no temporary file, and (withOutput) the
// destination replaced exactly when the run succeeded.
void ExpectOutcome(const fixture::ScratchDir& dir, const fixture::RunResult& r, const Outcome& want, bool withOutput) {
  EXPECT_EQ(r.status, want.status) << r.err;
  // A message may follow the progress marks on the same line: compare the end.
  const std::size_t at = r.err.rfind(want.message);
  EXPECT_TRUE(at != std::string::npos && (want.status == 0 || at + want.message.size() == r.err.size())) << r.err;
  for (const std::string& name : dir.List()) EXPECT_NE(name.rfind(".kalvert-", 0), 0u) << name;
  if (withOutput) {
    EXPECT_EQ(dir.Read("dest.dat") == kOldDest, want.status == 1) << "destination kept";
  }
}

TEST(RobustInput, BrokenDatabasesEndCleanly) {
  const Book book = MakeBook();
  const Blob& f = book.file;
  const long plainBody = book.plainAt + 6;
  const long repeatBody = book.repeatAt + 6;
  const long deleteCount =
      repeatBody + f[static_cast<std::size_t>(repeatBody) + 6] + 11;  // last byte of the repeat block
  const Outcome readFail{1, "Failed read file.\n"};
  const Outcome shortRecord{1, "Broken record at offset 29.\n"};
  const Outcome readData{1, "2. Failed read TYPE_DATA in file.\n"};
  const Outcome broken0{1, "Broken TYPE_DATA record 0.\n"};
  const Outcome broken1{1, "Broken TYPE_DATA record 1.\n"};
  const Outcome ok{0, ""};
  const struct {
    const char* name;
    Blob file;
    Outcome exported;  // run with -x only
    Outcome copied;    // run with -x and -o
  } cases[] = {
      {"header cut short", Cut(f, 20), readFail, readFail},
      {"signature of another file",
       Patched(f, 0, 'X', 1),
       {1, "Not a valid database.\n"},
       {1, "Not a valid database.\n"}},
      {"unknown file type",
       Patched(f, 12, 'Z', 1),
       {1, "Please, Check your enter file name.\n"},
       {1, "Please, Check your enter file name.\n"}},
      {"negative record length", Patched(f, book.plainAt + 2, -2), shortRecord, shortRecord},
      {"record length past the end of the file", Patched(f, book.repeatAt + 2, 32767), readData, readData},
      {"file cut inside a record header", Cut(f, book.repeatAt + 3), ok, ok},
      {"lookup table offset past the end", Patched(f, 18, 0x7FFF7FFF, 4), ok, ok},
      {"negative location offset", Patched(f, plainBody + 4, -1), broken0, broken0},
      {"repeat block past the end of the record", Patched(f, repeatBody + 6, 200), broken1, broken1},
      {"negative count of deleted occurrences", Patched(f, deleteCount, 0x80, 1), broken1, broken1},
      {"missing note",
       Patched(f, plainBody + 8, 7),
       {0, "Note record 7 not found.\n"},
       {0, "Note record 7 not found.\n"}},
      {"data record of no known kind",
       Patched(f, plainBody + 14, 0x05, 1),
       ok,
       {1, "TYPE_DATA record 0 has no known kind; can't write it.\n"}},
      {"record type 32",
       Patched(f, book.plainAt, 32, 1),
       ok,
       {1, "Record type 32 can't be listed in the lookup table.\n"}},
      {"more records than a lookup table lists",
       TinyRecords(5000),
       ok,
       {1, "Too many records for the lookup table.\n"}},
      {"general database text offset outside its record", Patched(MakeCards(), kCardsTextOffset, 900), broken0,
       broken0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::ScratchDir dir;
    dir.Write("in.dat", c.file);
    dir.Write("dest.dat", kOldDest);
    ExpectOutcome(dir, fixture::RunKalvert(dir, {"-xin.dat", "-t4", "-a", "-e", "-d"}), c.exported, false);
    ExpectOutcome(dir, fixture::RunKalvert(dir, {"-xin.dat", "-odest.dat"}), c.copied, true);
  }
}

// Records that end with the file (no lookup table, iLookUpSeek 0) are all
// read, and the copy gets a lookup table of its own.
TEST(RobustInput, EndOfRecordsWithoutLookupTableKeepsWhatWasRead) {
  fixture::ScratchDir dir;
  dir.Write("in.dat", MakeBook(false).file);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xin.dat", "-odest.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"Dentist\",\"2000/01/02\",\"09:00\",\"10:00\",\"Station\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"Choir\""), std::string::npos) << r.out;
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xdest.dat"});
  EXPECT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(back.out, r.out);
}

}  // namespace
