// Hostile and broken input through the built program: every class of bad
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

using fixture::Bytes;
using Blob = std::vector<unsigned char>;

const Blob kOldDest = {'o', 'l', 'd', '\n'};

// A small book: one plain appointment and one repeating appointment with one
// deleted occurrence, then a lookup table. Offsets of the pieces are kept so
// that a case can break exactly one of them.
struct Book {
  Blob file;
  long plainAt = 0;   // record header of the plain appointment
  long repeatAt = 0;  // record header of the repeating appointment
  long lookupAt = 0;  // record header of the lookup table
};

Book MakeBook() {
  fixture::DbFile db('2');
  fixture::Appt plain;
  plain.description = "Dentist";
  plain.location = "Station";
  plain.cYear = 100, plain.cMonth = 0, plain.cDay = 1;  // 2000/01/02
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
  b.lookupAt = b.repeatAt + 6 + static_cast<long>(weekly.Encode().size());  // Finish puts it last
  b.file = db.Finish();
  return b;
}

// A general database: one text field behind an offset, one record.
Blob MakeCards(int dataOffset = 0) {
  fixture::DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(3, 1, dataOffset, 0x20, 0, 0, std::string("Name\0", 5)));
  Bytes rec;
  rec.le16(3).u8(0).cstr("Ann");
  db.Add(11, 0, 0, rec);
  return db.Finish();
}

void Put16(Blob* b, long at, int v) {
  (*b)[static_cast<std::size_t>(at)] = static_cast<unsigned char>(v & 0xFF);
  (*b)[static_cast<std::size_t>(at) + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

Blob Cut(const Blob& b, long size) { return Blob(b.begin(), b.begin() + size); }

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

struct Outcome {
  int status;
  std::string message;  // the end of standard error when status is 1; a warning to find in it when 0
};

struct BrokenCase {
  const char* name;
  Blob file;
  Outcome exported;  // run with -x only
  Outcome copied;    // run with -x and -o
};

// A book of n records of six bytes (type 15, no body) and one appointment.
Blob TinyRecords(int n) {
  fixture::DbFile db('2');
  for (int i = 0; i < n; ++i) db.Add(15, 0, i, Bytes());
  fixture::Appt a;
  a.description = "Last";
  db.Add(11, 0, 0, a.Encode());
  return db.Finish(false);
}

Blob Patched(Blob b, long at, int v) {
  Put16(&b, at, v);
  return b;
}

Blob PatchedByte(Blob b, long at, unsigned char v) {
  b[static_cast<std::size_t>(at)] = v;
  return b;
}

std::vector<BrokenCase> BrokenDatabases() {
  const Book book = MakeBook();
  const Blob& f = book.file;
  const long plainBody = book.plainAt + 6;
  const long repeatBody = book.repeatAt + 6;
  const int repeatOffset = f[static_cast<std::size_t>(repeatBody) + 6] | (f[static_cast<std::size_t>(repeatBody) + 7] << 8);
  const Outcome readFail{1, "Failed read file.\n"};
  const Outcome brokenData0{1, "Broken TYPE_DATA record 0.\n"};
  const Outcome brokenData1{1, "Broken TYPE_DATA record 1.\n"};
  const Outcome ok{0, ""};
  Blob sig = f;
  sig[0] = 'X';
  return {
      {"empty file", {}, readFail, readFail},
      {"header cut short", Cut(f, 20), readFail, readFail},
      {"signature of another file", sig, {1, "Not a valid database.\n"}, {1, "Not a valid database.\n"}},
      {"unknown file type", PatchedByte(f, 12, 'Z'), {1, "Please, Check your enter file name.\n"},
       {1, "Please, Check your enter file name.\n"}},
      {"record length below 6", Patched(f, book.plainAt + 2, 5), {1, "Broken record at offset 29.\n"},
       {1, "Broken record at offset 29.\n"}},
      {"negative record length", Patched(f, book.plainAt + 2, -2), {1, "Broken record at offset 29.\n"},
       {1, "Broken record at offset 29.\n"}},
      {"record length past the end of the file", Patched(f, book.repeatAt + 2, 32767),
       {1, "2. Failed read TYPE_DATA in file.\n"}, {1, "2. Failed read TYPE_DATA in file.\n"}},
      {"file cut inside a record body", Cut(f, book.repeatAt + 20), {1, "2. Failed read TYPE_DATA in file.\n"},
       {1, "2. Failed read TYPE_DATA in file.\n"}},
      // A file that ends between records (or inside a record header) ends
      // the list of records, like a missing lookup table.
      {"file cut inside a record header", Cut(f, book.repeatAt + 3), ok, ok},
      {"no lookup table", Cut(f, book.lookupAt), ok, ok},
      {"lookup table offset past the end", Patched(Patched(f, 18, 0x7FFF), 20, 0x7FFF), ok, ok},
      {"location offset outside the record", Patched(f, plainBody + 4, 30000), brokenData0, brokenData0},
      {"negative location offset", Patched(f, plainBody + 4, -1), brokenData0, brokenData0},
      {"repeat block outside the record", Patched(f, repeatBody + 6, 200), brokenData1, brokenData1},
      {"negative count of deleted occurrences", PatchedByte(f, repeatBody + repeatOffset + 11, 0x80), brokenData1,
       brokenData1},
      {"count of deleted occurrences too large", PatchedByte(f, repeatBody + repeatOffset + 11, 0x7F), brokenData1,
       brokenData1},
      {"missing note", Patched(f, plainBody + 8, 7), {0, "Note record 7 not found.\n"},
       {0, "Note record 7 not found.\n"}},
      {"data record of no known kind", PatchedByte(f, plainBody + 14, 0x05), ok,
       {1, "TYPE_DATA record 0 has no known kind; can't write it.\n"}},
      {"record type 32", PatchedByte(f, book.plainAt, 32), ok,
       {1, "Record type 32 can't be listed in the lookup table.\n"}},
      {"record type 255", PatchedByte(f, book.plainAt, 255), ok,
       {1, "Record type 255 can't be listed in the lookup table.\n"}},
      {"more records than a lookup table lists", TinyRecords(5000), ok,
       {1, "Too many records for the lookup table.\n"}},
      {"general database field outside its record", MakeCards(40), brokenData0, brokenData0},
      {"general database text offset outside its record", Patched(MakeCards(), 29 + 18 + 6, 900), brokenData0,
       brokenData0},
  };
}

// Checks one run: status, message, no temporary file, destination.
void ExpectOutcome(const fixture::ScratchDir& dir, const fixture::RunResult& r, const Outcome& want,
                   bool withOutput) {
  EXPECT_EQ(r.status, want.status) << r.err;
  if (want.status == 1) {
    EXPECT_PRED2(EndsWith, r.err, want.message);
  } else if (!want.message.empty()) {
    EXPECT_NE(r.err.find(want.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(HasTemporary(dir));
  if (!withOutput) return;
  if (want.status == 0) {
    EXPECT_NE(dir.Read("dest.dat"), kOldDest);
  } else {
    EXPECT_EQ(dir.Read("dest.dat"), kOldDest) << "destination changed by a failed run";
  }
}

TEST(RobustInput, BrokenDatabasesEndCleanly) {
  for (const BrokenCase& c : BrokenDatabases()) {
    SCOPED_TRACE(c.name);
    fixture::ScratchDir dir;
    dir.Write("in.dat", c.file);
    dir.Write("dest.dat", kOldDest);
    ExpectOutcome(dir, fixture::RunKalvert(dir, {"-xin.dat", "-t4", "-a", "-e", "-d"}), c.exported, false);
    ExpectOutcome(dir, fixture::RunKalvert(dir, {"-xin.dat", "-odest.dat"}), c.copied, true);
  }
}

TEST(RobustInput, EndOfRecordsWithoutLookupTableKeepsWhatWasRead) {
  const Book book = MakeBook();
  fixture::ScratchDir dir;
  dir.Write("in.dat", Cut(book.file, book.lookupAt));
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xin.dat", "-odest.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"Dentist\",\"2000/01/02\",\"09:00\",\"10:00\",\"Station\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"Choir\""), std::string::npos) << r.out;
  // The copy has a lookup table of its own and reads back with both items.
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xdest.dat"});
  EXPECT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(back.out, r.out);
}

// A record that claims 32767 bytes in a file of a few hundred bytes fails
// when its body is read, before anything of that size is needed.
TEST(RobustInput, ClaimedLengthLargerThanFileFailsWithoutOutput) {
  const Book book = MakeBook();
  fixture::ScratchDir dir;
  dir.Write("in.dat", Patched(book.file, book.plainAt + 2, 32767));
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xin.dat", "-oout.dat"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(dir.Exists("out.dat"));
}

}  // namespace
