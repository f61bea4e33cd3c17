// The import end to end through the built program: CSV files imported into
// an appointment book and into a general database, checked byte for byte,
// and the round trip export -> import -> export of a varied book.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Appt;
using fixture::Bytes;
using fixture::DbFile;
using fixture::FieldDefBody;
using fixture::RunKalvert;

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

// A book of appointments, events and ToDo items of every shape the text
// layout carries: times and no times, repeats, notes with line breaks and
// two-byte texts.
std::vector<unsigned char> VariedBook() {
  DbFile db('2');
  AddBookDefinitions(&db);
  int note = 0;
  const auto add = [&](unsigned flags, unsigned y, unsigned m, unsigned d, int start, const std::string& desc,
                       const std::string& noteText, int repeatType = 1, std::vector<unsigned char> ria = {}) {
    Appt a(desc, y, m, d, flags >= 0x80 ? "Room \xB2\xF1" : "");
    a.cFlags = flags;
    if (!ria.empty()) a.repeat(repeatType, ria);
    a.start(start).end(start < 0 ? -1 : start + 30);
    if (flags < 0x20) a.t1 = '2', a.t2 = 0, a.e1 = 100, a.e2 = 1, a.lead = 3, a.leadTime = 0xFF;  // ToDo
    if (!noteText.empty()) db.Add(9, 2, a.note = note++, Text(noteText));
    db.Add(11, 2, 0, a.Encode());
  };
  add(0x87, 100, 5, 14, 570, "Meeting", "");
  add(0x87, 100, 5, 14, -1, "\xB2\xF1\xB5\xC4 day", "line one\r\nline two");
  add(0x87, 100, 0, 3, 1080, "Gym", "bring\r\nshoes", 4, {1, 0x85, 0, 0, 0, 100, 0, 3, 100, 11, 30, 0});
  add(0x87, 100, 0, 0, 540, "Rent", "", 16, {2, 1, 0, 0x41, 0x0C, 100, 0, 0, 0xFF, 0xFF, 0xFF, 0});
  add(0x26, 100, 6, 0, -1, "Holiday", "");
  add(0x21, 99, 2, 9, -1, "Birthday", "cake", 32, {0, 10, 0, 4, 0, 99, 2, 9, 0xFF, 0xFF, 0xFF, 0});
  add(0x16, 100, 1, 1, -1, "Report", "draft\r\nfinal");
  add(0x14, 100, 1, 7, -1, "Plants", "", 8, {1, 0x94, 0x01, 0, 0, 100, 1, 7, 101, 0, 0, 0});
  return db.Finish();
}

// Lines 0 2 3 share a date: Tea (2), the earliest, heads it with Lunch (0) and
// Gym (3) below; Yoga (4) is an earlier date. The repeating Run (5) and Trip
// (1) make the flat chain by date, written first.
TEST(ImportE2E, AppointmentBookByteForByteAndRoundTrip) {
  DbFile db('2');
  AddBookDefinitions(&db);
  // Odd header values, kept but for the bits the writer sets.
  std::tie(db.header.cStatus, db.header.cFileStatus, db.header.iReleaseNum) = std::make_tuple(0x40, 0x81, -2);
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  dir.Write("in.csv",
            "\"Lunch\",\"2000/01/05\",\"12:30\",\"13:00\",\"Office\",\"0\",\"\",\"0\",\"\",\"0\",\"\",\"\"\n"
            "\"Trip\",\"2000/01/03\",\"NONE\",\"NONE\",\"\",\"0\",\"pack\\nbags\",\"1\",\"15\",\"0\","
            "\"2000/01/01\",\"2000/12/31\",\"0\"\n"
            "\"Tea\",\"2000/01/05\",\"10:00\",\"10:30\",\"\",\"0\",\"\"\n"
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
  EXPECT_EQ(dir.Read("out.dat"),
            Written(db.header,
                    {{5, 0, 0, Text("Unfiled")},
                     {5, 0, 0, Text("Home")},
                     {5, 0, 0, Text("Work")},
                     {6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description")},
                     {11, 2, 5, run.start(450).end(480).Encode()},
                     {11, 2, 1, trip.Encode()},
                     {9, 2, 0, Text("pack\r\nbags")},
                     {11, 2, 4, yoga.start(420).end(480).Encode()},
                     {11, 2, 2, tea.start(600).end(630).Encode()},
                     {11, 2, 0, lunch.start(750).end(780).Encode()},
                     {11, 2, 3, gym.start(1080).end(1140).Encode()},
                     {14, 2, 0, Text("@ABCDEFGHIJKLMNOP").le16(5).le16(2).str("UV")},
                     {14, 2, 1,
                      Bytes().u8(100).u8(0).u8(1).le16(4).u8(100).u8(0).u8(4).le16(2).u8(0x5A).le16(0).le16(0xFFFF)}}));
  dir.Write("varied.dat", VariedBook());
  // Each kind exported, then imported in turn, each run reading the book the one before wrote.
  const std::pair<std::string, long> kinds[] = {{"-a", 4}, {"-e", 2}, {"-t", 2}};
  std::vector<std::string> exported;
  for (const auto& [kind, lines] : kinds) {
    exported.push_back(RunKalvert(dir, {"-xvaried.dat", kind, "-s1"}).out);
    ASSERT_EQ(std::count(exported.back().begin(), exported.back().end(), '\n'), lines) << exported.back();
    dir.Write("in.csv", exported.back());
    const auto r = RunKalvert(dir, {"-xbook.dat", kind, "-iin.csv", "-obook.dat", "-s2"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  for (std::size_t i = 0; i < exported.size(); ++i) {
    EXPECT_EQ(RunKalvert(dir, {"-xbook.dat", kinds[i].first, "-s1"}).out, exported[i]) << kinds[i].first;
  }
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
  const std::string csv = "\"Ann\",\"9:05\",\"x\",\"hi\\nthere\"\n\"\",\"\",\"\",\"\"\n\"Bob\",\"NONE\",\"\",\"y\"\n";
  dir.Write("in.csv", csv);
  EXPECT_EQ(RunKalvert(dir, {"-xdb.dat", "-iin.csv", "-oout.dat", "-s1"}).out, csv);  // each line echoed as read
  EXPECT_EQ(dir.Read("out.dat"),
            Written(db.header, {{6, 0, 0, defs[0]},
                                {6, 0, 1, defs[1]},
                                {6, 0, 2, defs[2]},
                                {6, 0, 3, defs[3]},
                                {11, 1, 0, Bytes().le16(9).le16(545).le16(0).le16(1).u8(0).cstr("Ann")},
                                {9, 1, 0, Text("x")},
                                {9, 1, 1, Text("hi\r\nthere")},
                                {11, 1, 1, Bytes().le16(8).le16(0x8000).le16(0xFFFF).le16(0xFFFF).u8(0)},
                                {11, 1, 2, Bytes().le16(9).le16(0x8000).le16(0xFFFF).le16(2).u8(0).cstr("Bob")},
                                {9, 1, 2, Text("y")}}));
}

}  // namespace
