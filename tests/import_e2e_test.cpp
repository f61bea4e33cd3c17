// The import end to end through the built program: CSV files imported into
// an appointment book and into a general database, checked byte for byte
// (the round trip export -> import -> export of each kind is the README
// walk-through's, tests/docs_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using namespace fixture;

Bytes Text(const std::string& s) { return Bytes().str(s); }

// A database file as this program writes it: the records in writing order,
// the empty view point table, the lookup table sorted by type and record
// number (equal numbers in writing order), the type index, and the header
// rewritten.
std::vector<unsigned char> Written(fixture::Header h, std::vector<std::tuple<unsigned, unsigned, int, Bytes>> recs) {
  struct Entry {
    unsigned type;
    int size, recnum;
    long offset;
  };
  std::vector<Entry> entries = {{0, h.iLength, h.iRecord, 4}};
  Bytes records;
  recs.emplace_back(10, 2, 0, Bytes());  // the view point table
  for (const auto& [type, status, recnum, body] : recs) {
    entries.push_back({type, static_cast<int>(body.size()) + 6, recnum, 29 + static_cast<long>(records.size())});
    records.bytes(fixture::Record(type, status, recnum, body));
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](auto& a, auto& b) { return std::tie(a.type, a.recnum) < std::tie(b.type, b.recnum); });
  Bytes table = Bytes().u8(31).u8(2).le16(static_cast<long>(entries.size()) * 8 + 6).le16(0);
  for (const auto& e : entries) table.le16(e.size).u8(0xFF).u8(0xFF).u8(0).le24(e.offset);
  for (unsigned t = 0; t < 32; ++t)
    table.le16(std::count_if(entries.begin(), entries.end(), [t](auto& e) { return e.type < t; }));
  h.cStatus = 2;
  h.cFileStatus |= 2;
  h.iNumRecords = static_cast<int>(entries.size());
  h.iLookUpSeek = 29 + static_cast<long>(records.size());
  return h.Encode().bytes(records).bytes(table).v;
}

// The definition records of an appointment book: three categories of one
// number (the lookup table lists them in file order), the type-14 records
// (record 0: 23 bytes the writer carries).
void AddBookDefinitions(DbFile* db) {
  for (const char* category : {"Unfiled", "Home", "Work"}) db->Add(5, 0, 0, Text(category));
  db->Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description"));
  db->Add(14, 2, 0, Text("@ABCDEFGHIJKLMNOPQRSTUV"));
  db->Add(14, 2, 1, Bytes().u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF));
}

// Lines 0 2 3 share a date: Tea (2), the earliest, heads it with Lunch (0) and
// Gym (3) below; Yoga (4) is an earlier date. The repeating Run (5) and Trip
// (1) make the flat chain by date, written first.
TEST(ImportE2E, AppointmentBookByteForByte) {
  DbFile db('2');
  AddBookDefinitions(&db);
  // Odd header values, kept but for the bits the writer sets.
  std::tie(db.header.cStatus, db.header.cFileStatus, db.header.iReleaseNum) = std::make_tuple(0x40, 0x81, -2);
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  dir.Write("in.csv",
            "\"Lunch\",\"2000/01/05\",\"12:30\",\"13:00\",\"Office\",\"0\",\"\",\"0\",\"\",\"0\",\"\",\"\"\n"
            "\"Trip\",\"2000/01/03\",\"NONE\",\"NONE\",\"\",\"0\",\"pack\\nbags\",\"1\",\"15\",\"0\","
            "\"2000/01/01\",\"2000/12/31\",\"0\"\n\"Tea\",\"2000/01/05\",\"10:00\",\"10:30\",\"\",\"0\",\"\"\n"
            "\"Gym\",\"2000/01/05\",\"18:00\",\"19:00\",\"\",\"0\",\"\"\n"
            "\"Yoga\",\"2000/01/02\",\"07:00\",\"08:00\",\"\",\"0\",\"\"\n"
            "\"Run\",\"2000/01/01\",\"07:30\",\"08:00\",\"\",\"0\",\"\",\"1\",\"MON\",\"0\",\"2000/01/01\","
            "\"2000/12/31\",\"0\"\n");
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
  Appt trip("Trip", 100, 0, 2), run("Run", 100, 0, 0), lunch("Lunch", 100, 0, 4, "Office"), tea("Tea", 100, 0, 4);
  Appt gym("Gym", 100, 0, 4), yoga("Yoga", 100, 0, 1);
  trip.repeat(8, {1, 15, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0}).note = 0;
  run.repeat(4, {1, 0x81, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0}).next = 1;
  trip.prev = 5;
  tea.next = 0;
  lunch.prev = 2;
  lunch.next = 3;
  gym.prev = 0;
  // Record 0: 17 bytes carried, the first item of the flat chain and the count
  // of dates, the last two carried; record 1: each date head (date, record
  // number), then the closing bytes.
  // clang-format off
  EXPECT_EQ(dir.Read("out.dat"),
            Written(db.header,
                    {{5, 0, 0, Text("Unfiled")}, {5, 0, 0, Text("Home")}, {5, 0, 0, Text("Work")},
                     {6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description")},
                     {11, 2, 5, run.start(450).end(480).Encode()}, {11, 2, 1, trip.Encode()},
                     {9, 2, 0, Text("pack\r\nbags")}, {11, 2, 4, yoga.start(420).end(480).Encode()},
                     {11, 2, 2, tea.start(600).end(630).Encode()}, {11, 2, 0, lunch.start(750).end(780).Encode()},
                     {11, 2, 3, gym.start(1080).end(1140).Encode()},
                     {14, 2, 0, Text("@ABCDEFGHIJKLMNOP").le16(5).le16(2).str("UV")},
                     {14, 2, 1, Bytes().u8(100).u8(0).u8(1).le16(4).u8(100).u8(0).u8(4).le16(2).u8(0x5A).le16(0)
                                    .le16(0xFFFF)}}));
  // clang-format on
}

// An item alone on its date and in no series links to no other: every
// import writes -1 (no record) for its note and both neighbours, bytes 8 to
// 13 of its data record's body.
TEST(ImportE2E, ALoneItemLinksToNoOther) {
  DbFile db('2');
  AddBookDefinitions(&db);
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "\"Tea\",\"2000/01/05\",\"10:00\",\"10:30\",\"\",\"0\",\"\"\n"},
      {{"-t"}, "\"Tax\",\"2000/01/05\",\"0\",\"\",\"1\",\"\"\n"},
      {{"--format=csv"}, "kind,description,date,start\r\nappointment,Tea,2000-01-05,10:00\r\n"},
      {{"--format=csv"}, "kind,description,date\r\ntodo,Tax,2000-01-05\r\n"},
      {{"--format=ics", "--timezone=UTC"},
       "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\nBEGIN:VTODO\r\nUID:t\r\n"
       "DTSTART;VALUE=DATE:20000105\r\nSUMMARY:Tax\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"}};
  for (const auto& [options, text] : cases) {
    dir.Write("in.txt", text);
    std::vector<std::string> args = {"-xbook.dat", "-m", "-iin.txt", "-onew.dat", "-s1"};
    args.insert(args.end(), options.begin(), options.end());
    const RunResult r = RunKalvert(dir, args);
    EXPECT_EQ(r.status, 0) << text << r.err;
    std::vector<unsigned char> links;
    for (const Rec& rec : Records(dir.Read("new.dat")))
      if (rec.type == 11 && rec.body.size() >= 14) links.assign(rec.body.begin() + 8, rec.body.begin() + 14);
    EXPECT_EQ(links, std::vector<unsigned char>(6, 0xFF)) << text;
  }
  // With no item at all, record 0 of type 14 names no first item (-1, bytes
  // 17 and 18 of its body) and no date (bytes 19 and 20).
  dir.Write("in.txt", "");
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-m", "-iin.txt", "-onew.dat", "-s1"}).status, 0);
  std::vector<unsigned char> first;
  for (const Rec& rec : Records(dir.Read("new.dat"))) {
    if (rec.type == 14 && rec.number == 0 && rec.body.size() >= 21)
      first.assign(rec.body.begin() + 17, rec.body.begin() + 21);
  }
  EXPECT_EQ(first, (std::vector<unsigned char>{0xFF, 0xFF, 0, 0}));
}

// A ToDo line that ends with its note (six columns, no repeat columns)
// keeps the note, as a longer line does.
TEST(ImportE2E, ATodoLineEndingWithItsNoteKeepsIt) {
  DbFile db('2');
  AddBookDefinitions(&db);
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  const std::string line = "\"Tax\",\"2000/01/05\",\"0\",\"\",\"1\",\"pay it\"\n";
  dir.Write("todo.csv", line);
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-t", "-itodo.csv", "-onew.dat", "-s2"}).status, 0);
  EXPECT_EQ(RunKalvert(dir, {"-xnew.dat", "-t", "-s1"}).out, line);
}

// Each note column links a note of its own (an empty column: none), written
// after its record in column order; a text slot of an empty text points at
// the NUL that ends the slots.
TEST(ImportE2E, GeneralDatabaseGetsOneRecordPerLine) {
  DbFile db('D');
  const Bytes defs[] = {FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"), FieldDefBody(7, 2, 2, 0, 0, 0, "Time"),
                        FieldDefBody(10, 3, 4, 0, 0, 0, "Note"), FieldDefBody(10, 4, 6, 0, 0, 0, "Note 2")};
  for (int i = 0; i < 4; ++i) db.Add(6, 0, i, defs[i]);
  fixture::ScratchDir dir;
  dir.Write("db.dat", db.Finish());
  const std::string csv = "\"Ann\",\"9:05\",\"x\",\"h\\ni\\nt\"\n\"\",\"\",\"\",\"\"\n\"Bob\",\"NONE\",\"\",\"y\"\n";
  dir.Write("in.csv", csv);
  EXPECT_EQ(RunKalvert(dir, {"-xdb.dat", "-iin.csv", "-oout.dat", "-s1"}).out, csv);  // each line echoed as read
  // clang-format off
  EXPECT_EQ(dir.Read("out.dat"),
            Written(db.header, {{6, 0, 0, defs[0]}, {6, 0, 1, defs[1]}, {6, 0, 2, defs[2]}, {6, 0, 3, defs[3]},
                                {11, 1, 0, Bytes().le16(9).le16(545).le16(0).le16(1).u8(0).cstr("Ann")},
                                {9, 1, 0, Text("x")}, {9, 1, 1, Text("h\r\ni\r\nt")},
                                {11, 1, 1, Bytes().le16(8).le16(0x8000).le16(0xFFFF).le16(0xFFFF).u8(0)},
                                {11, 1, 2, Bytes().le16(9).le16(0x8000).le16(0xFFFF).le16(2).u8(0).cstr("Bob")},
                                {9, 1, 2, Text("y")}}));
  // clang-format on
}

}  // namespace
