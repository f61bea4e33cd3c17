// The import end to end through the built program: CSV files imported into
// an appointment book and into a general database, checked byte for byte;
// the round trip export -> import -> export; and the update of a file in
// place.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Appt;
using fixture::Bytes;
using fixture::DbFile;
using fixture::FieldDefBody;
using fixture::RunKalvert;
using fixture::ScratchDir;

Bytes Text(const std::string& s) {
  Bytes b;
  b.str(s);
  return b;
}

// A database file as this program writes it: the records in writing order,
// then the empty view point table, the lookup table sorted by type and
// record number, the type index, and the rewritten header.
class WrittenFile {
 public:
  explicit WrittenFile(fixture::Header header) : header_(header) {
    entries_.push_back({0, header.iLength, header.iRecord, 4, 0});
  }

  void Add(unsigned type, unsigned status, int recnum, const Bytes& body) {
    const long at = 29 + static_cast<long>(records_.size());
    entries_.push_back({type, static_cast<int>(body.size()) + 6, recnum, at, entries_.size()});
    records_.u8(type).u8(status).le16(static_cast<int>(body.size()) + 6).le16(recnum).bytes(body);
  }

  std::vector<unsigned char> Finish() {
    Add(10, 2, 0, Bytes());
    const long at = 29 + static_cast<long>(records_.size());
    std::vector<Entry> sorted = entries_;
    std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
      if (a.type != b.type) return a.type < b.type;
      if (a.recnum != b.recnum) return static_cast<int16_t>(a.recnum) < static_cast<int16_t>(b.recnum);
      return a.order < b.order;
    });
    Bytes table;
    table.u8(31).u8(2).le16(static_cast<int>(sorted.size()) * 8 + 6).le16(0);
    for (const auto& e : sorted) {
      table.le16(e.size).u8(0xFF).u8(0xFF).u8(0);
      table.u8(static_cast<unsigned>(e.offset)).u8(static_cast<unsigned>(e.offset >> 8)).u8(static_cast<unsigned>(e.offset >> 16));
    }
    for (unsigned t = 0; t < 32; ++t) {
      table.le16(static_cast<int>(std::count_if(sorted.begin(), sorted.end(), [t](const Entry& e) { return e.type < t; })));
    }
    fixture::Header h = header_;
    h.cStatus = 2;
    h.cFileStatus |= 2;
    h.iNumRecords = static_cast<int>(sorted.size());
    h.iLookUpSeek = at;
    Bytes file;
    file.u8(0x68).u8(0x63).u8(0x44).u8(0x00).bytes(h.Encode()).bytes(records_).bytes(table);
    return file.v;
  }

 private:
  struct Entry {
    unsigned type;
    int size;
    int recnum;
    long offset;
    std::size_t order;
  };
  fixture::Header header_;
  Bytes records_;
  std::vector<Entry> entries_;
};

// Type-14 record 0 of the input books: 23 bytes the writer carries.
Bytes UserType14_0() {
  Bytes b;
  for (unsigned i = 0; i < 23; ++i) b.u8(0x40 + i);
  return b;
}

// The definition records of an appointment book (and nothing else).
void AddBookDefinitions(DbFile* db) {
  db->Add(5, 0, 0, Text("Unfiled"));
  db->Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description"));
  db->Add(14, 2, 0, UserType14_0());
  Bytes end;
  end.u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF);
  db->Add(14, 2, 1, end);
}

TEST(ImportE2E, AppointmentBookIsWrittenByteForByte) {
  DbFile db('2');
  AddBookDefinitions(&db);
  ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  dir.Write("in.csv",
            "\"Lunch\",\"2000/01/05\",\"12:30\",\"13:00\",\"Office\",\"0\",\"\",\"0\",\"\",\"0\",\"\",\"\"\n"
            "\"Trip\",\"2000/01/03\",\"NONE\",\"NONE\",\"\",\"0\",\"pack\\nbags\",\"1\",\"15\",\"0\","
            "\"2000/01/01\",\"2000/12/31\",\"0\"\n");
  const auto r = RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s2"});
  ASSERT_EQ(r.status, 0) << r.err;

  WrittenFile want(db.header);
  want.Add(5, 0, 0, Text("Unfiled"));
  want.Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description"));
  // The repeating item (record 1) is on the flat chain, written first.
  Appt trip;
  trip.description = "Trip";
  trip.cDay = 2;
  trip.note = 0;
  trip.cRepeatType = 8;
  trip.repeats = true;
  const unsigned char ria[12] = {1, 15, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0};
  std::copy(ria, ria + 12, trip.ria);
  want.Add(11, 2, 1, trip.Encode());
  want.Add(9, 2, 0, Text("pack\r\nbags"));
  Appt lunch;
  lunch.description = "Lunch";
  lunch.location = "Office";
  lunch.cDay = 4;
  lunch.start(750).end(780);
  want.Add(11, 2, 0, lunch.Encode());
  Bytes r0;
  for (unsigned i = 0; i < 17; ++i) r0.u8(0x40 + i);
  r0.le16(1).le16(1).u8(0x40 + 21).u8(0x40 + 22);
  want.Add(14, 2, 0, r0);
  Bytes r1;
  r1.u8(100).u8(0).u8(4).le16(0).u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF);
  want.Add(14, 2, 1, r1);
  EXPECT_EQ(dir.Read("out.dat"), want.Finish());
}

TEST(ImportE2E, GeneralDatabaseGetsOneRecordPerLine) {
  DbFile db('D');
  db.Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  db.Add(6, 0, 1, FieldDefBody(7, 2, 2, 0, 0, 0, "Time"));
  db.Add(6, 0, 2, FieldDefBody(10, 3, 4, 0, 0, 0, "Note"));
  ScratchDir dir;
  dir.Write("db.dat", db.Finish());
  const std::string csv = "\"Ann\",\"9:05\",\"hi\\nthere\"\n\"\",\"\",\"\"\n\"Bob\",\"NONE\",\"x\"\n";
  dir.Write("in.csv", csv);
  const auto r = RunKalvert(dir, {"-xdb.dat", "-iin.csv", "-oout.dat", "-s1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, csv);  // each line echoed as read

  WrittenFile want(db.header);
  want.Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  want.Add(6, 0, 1, FieldDefBody(7, 2, 2, 0, 0, 0, "Time"));
  want.Add(6, 0, 2, FieldDefBody(10, 3, 4, 0, 0, 0, "Note"));
  Bytes ann;
  ann.le16(7).le16(545).le16(0).u8(0).cstr("Ann");
  want.Add(11, 1, 0, ann);
  want.Add(9, 1, 0, Text("hi\r\nthere"));
  Bytes empty;
  empty.le16(6).le16(0x8000).le16(0xFFFF).u8(0);
  want.Add(11, 1, 1, empty);
  Bytes bob;
  bob.le16(7).le16(0x8000).le16(1).u8(0).cstr("Bob");
  want.Add(11, 1, 2, bob);
  want.Add(9, 1, 1, Text("x"));
  EXPECT_EQ(dir.Read("out.dat"), want.Finish());

  // Read back, the records give the lines they came from.
  const auto back = RunKalvert(dir, {"-xout.dat", "-s1"});
  ASSERT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(back.out, "\"Ann\",\"09:05\",\"hi\\nthere\"\n\"\",\"\",\"\"\n\"Bob\",\"\",\"x\"\n");
}

// A book with appointments, events and ToDo items of every shape the text
// layout carries: times and no times, repeats, notes with line breaks and
// two-byte texts.
std::vector<unsigned char> VariedBook() {
  DbFile db('2');
  AddBookDefinitions(&db);
  int note = 0;
  auto add = [&](Appt a, const std::string& noteText) {
    if (!noteText.empty()) {
      db.Add(9, 2, note, Text(noteText));
      a.note = note++;
    }
    db.Add(11, 2, 0, a.Encode());
  };
  Appt plain;
  plain.description = "Meeting";
  plain.location = "Room 2";
  plain.cYear = 100, plain.cMonth = 5, plain.cDay = 14;
  plain.start(570).end(600);
  add(plain, "");
  Appt noTime;
  noTime.description = "\xB2\xF1\xB5\xC4 day";  // a two-byte text
  noTime.location = "\xC5\xEC\xB5\xFE";
  noTime.cYear = 100, noTime.cMonth = 5, noTime.cDay = 14;
  noTime.t1 = 0x00, noTime.t2 = 0x80;
  noTime.e1 = 0xFF, noTime.e2 = 0xFF;
  add(noTime, "line one\r\nline two");
  Appt later;
  later.description = "Dinner";
  later.cYear = 100, later.cMonth = 5, later.cDay = 20;
  later.start(1140).end(1260);
  later.iEndDate = 3;
  add(later, "");
  Appt weekly;
  weekly.description = "Gym";
  weekly.cYear = 100, weekly.cMonth = 0, weekly.cDay = 3;
  weekly.start(1080).end(1140);
  weekly.cRepeatType = 4;
  weekly.repeats = true;
  const unsigned char w[12] = {1, 0x85, 0, 0, 0, 100, 0, 3, 100, 11, 30, 0};
  std::copy(w, w + 12, weekly.ria);
  add(weekly, "bring\r\nshoes");
  Appt monthly;
  monthly.description = "Rent";
  monthly.cYear = 100, monthly.cMonth = 0, monthly.cDay = 0;
  monthly.start(540).end(550);
  monthly.cRepeatType = 16;
  monthly.repeats = true;
  const unsigned char m[12] = {2, 1, 0, 0x41, 0x0C, 100, 0, 0, 0xFF, 0xFF, 0xFF, 0};
  std::copy(m, m + 12, monthly.ria);
  add(monthly, "");
  Appt event;
  event.cFlags = 0x26;
  event.description = "Holiday";
  event.cYear = 100, event.cMonth = 6, event.cDay = 0;
  event.t1 = event.t2 = event.e1 = event.e2 = 0xFF;
  add(event, "");
  Appt yearly;
  yearly.cFlags = 0x21;
  yearly.description = "Birthday";
  yearly.cYear = 99, yearly.cMonth = 2, yearly.cDay = 9;
  yearly.t1 = yearly.t2 = yearly.e1 = yearly.e2 = 0xFF;
  yearly.cRepeatType = 32;
  yearly.repeats = true;
  const unsigned char y[12] = {0, 10, 0, 4, 0, 99, 2, 9, 0xFF, 0xFF, 0xFF, 0};
  std::copy(y, y + 12, yearly.ria);
  add(yearly, "cake");
  Appt todo;
  todo.cFlags = 0x16;
  todo.description = "Report";
  todo.cYear = 100, todo.cMonth = 1, todo.cDay = 1;
  todo.t1 = '2', todo.t2 = 0;
  todo.e1 = 100, todo.e2 = 1, todo.lead = 3, todo.leadTime = 0xFF;
  add(todo, "draft\r\nfinal");
  Appt open;
  open.cFlags = 0x14;
  open.description = "\xC1\xDD\xBD\xFC";
  open.cYear = 100, open.cMonth = 1, open.cDay = 5;
  open.t1 = '1', open.t2 = 0;
  open.e1 = open.e2 = 0xFF, open.lead = 0xFF, open.leadTime = 0xFF;
  open.iEndDate = 2;
  add(open, "");
  Appt chore;
  chore.cFlags = 0x14;
  chore.description = "Plants";
  chore.cYear = 100, chore.cMonth = 1, chore.cDay = 7;
  chore.t1 = '3', chore.t2 = 0;
  chore.e1 = chore.e2 = 0xFF, chore.lead = 0xFF, chore.leadTime = 0xFF;
  chore.cRepeatType = 8;
  chore.repeats = true;
  const unsigned char c[12] = {1, 0x94, 0x01, 0, 0, 100, 1, 7, 101, 0, 0, 0};
  std::copy(c, c + 12, chore.ria);
  add(chore, "");
  return db.Finish();
}

std::vector<unsigned char> DefinitionsOnlyBook() {
  DbFile db('2');
  AddBookDefinitions(&db);
  return db.Finish();
}

TEST(ImportE2E, RoundTripKeepsEveryExportedItem) {
  ScratchDir dir;
  dir.Write("varied.dat", VariedBook());
  dir.Write("empty.dat", DefinitionsOnlyBook());
  const std::vector<std::string> kinds = {"-a", "-e", "-t"};
  std::vector<std::string> exported;
  for (const auto& kind : kinds) {
    const auto r = RunKalvert(dir, {"-xvaried.dat", kind, "-s1"});
    ASSERT_EQ(r.status, 0) << r.err;
    exported.push_back(r.out);
  }
  ASSERT_EQ(std::count(exported[0].begin(), exported[0].end(), '\n'), 5) << exported[0];
  ASSERT_EQ(std::count(exported[1].begin(), exported[1].end(), '\n'), 2) << exported[1];
  ASSERT_EQ(std::count(exported[2].begin(), exported[2].end(), '\n'), 3) << exported[2];

  // Import each kind in turn, each run reading the book the one before wrote.
  std::string book = "empty.dat";
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const std::string csv = "in" + std::to_string(i) + ".csv";
    const std::string out = "step" + std::to_string(i) + ".dat";
    dir.Write(csv, exported[i]);
    const auto r = RunKalvert(dir, {"-x" + book, kinds[i], "-i" + csv, "-o" + out, "-s2"});
    ASSERT_EQ(r.status, 0) << r.err;
    book = out;
  }
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const auto r = RunKalvert(dir, {"-x" + book, kinds[i], "-s1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, exported[i]) << kinds[i];
  }
}

TEST(ImportE2E, UpdateInPlaceWritesTheSameFile) {
  ScratchDir dir;
  dir.Write("a.dat", VariedBook());
  dir.Write("b.dat", VariedBook());
  dir.Write("new.csv",
            "\"Call\",\"2000/06/14\",\"08:00\",\"08:15\",\"\",\"0\",\"number\\nlater\"\n"
            "\"Zoo\",\"2000/06/30\",\"NONE\",\"NONE\",\"Park\",\"0\",\"\"\n");
  const auto other = RunKalvert(dir, {"-xa.dat", "-inew.csv", "-oa2.dat", "-s2"});
  ASSERT_EQ(other.status, 0) << other.err;
  const auto inPlace = RunKalvert(dir, {"-xb.dat", "-inew.csv", "-ob.dat", "-s2"});
  ASSERT_EQ(inPlace.status, 0) << inPlace.err;
  EXPECT_EQ(dir.Read("b.dat"), dir.Read("a2.dat"));
  EXPECT_NE(dir.Read("b.dat"), VariedBook());
}

}  // namespace
