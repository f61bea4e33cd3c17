// The import end to end through the built program: CSV files imported into
// an appointment book and into a general database, checked byte for byte,
// and the round trip export -> import -> export of a varied book.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
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

Bytes Text(const std::string& s) { return Bytes().str(s); }

// A database file as this program writes it: the records in writing order,
// the empty view point table, the lookup table sorted by type and record
// number (equal numbers in writing order), the type index, and the header
// rewritten.
std::vector<unsigned char> Written(fixture::Header h, const std::vector<std::tuple<unsigned, unsigned, int, Bytes>>& recs) {
  struct Entry { unsigned type; int size, recnum; long offset; };
  std::vector<Entry> entries = {{0, h.iLength, h.iRecord, 4}};
  Bytes records;
  for (const auto& [type, status, recnum, body] : recs) {
    entries.push_back({type, static_cast<int>(body.size()) + 6, recnum, 29 + static_cast<long>(records.size())});
    records.u8(type).u8(status).le16(static_cast<int>(body.size()) + 6).le16(recnum).bytes(body);
  }
  entries.push_back({10, 6, 0, 29 + static_cast<long>(records.size())});
  records.u8(10).u8(2).le16(6).le16(0);
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.type != b.type ? a.type < b.type : a.recnum < b.recnum;
  });
  Bytes table;
  table.u8(31).u8(2).le16(static_cast<int>(entries.size()) * 8 + 6).le16(0);
  for (const auto& e : entries) {
    table.le16(e.size).u8(0xFF).u8(0xFF).u8(0).u8(e.offset & 0xFF).u8(e.offset >> 8 & 0xFF).u8(e.offset >> 16 & 0xFF);
  }
  for (unsigned t = 0; t < 32; ++t) {
    table.le16(static_cast<int>(std::count_if(entries.begin(), entries.end(), [t](const Entry& e) { return e.type < t; })));
  }
  h.cStatus = 2;
  h.cFileStatus |= 2;
  h.iNumRecords = static_cast<int>(entries.size());
  h.iLookUpSeek = 29 + static_cast<long>(records.size());
  return Bytes().u8(0x68).u8(0x63).u8(0x44).u8(0x00).bytes(h.Encode()).bytes(records).bytes(table).v;
}

// The definition records of an appointment book, with the type-14 records
// (record 0: 23 bytes the writer carries).
void AddBookDefinitions(DbFile* db) {
  db->Add(5, 0, 0, Text("Unfiled"));
  db->Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description"));
  Bytes r0;
  for (unsigned i = 0; i < 23; ++i) r0.u8(0x40 + i);
  db->Add(14, 2, 0, r0);
  db->Add(14, 2, 1, Bytes().u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF));
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
  // The repeating item (record 1) is on the flat chain, written first.
  Appt trip;
  trip.description = "Trip";
  trip.cDay = 2, trip.note = 0, trip.cRepeatType = 8, trip.repeats = true;
  const unsigned char ria[12] = {1, 15, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0};
  std::copy(ria, ria + 12, trip.ria);
  Appt lunch;
  lunch.description = "Lunch", lunch.location = "Office", lunch.cDay = 4;
  lunch.start(750).end(780);
  Bytes r0;
  for (unsigned i = 0; i < 17; ++i) r0.u8(0x40 + i);
  r0.le16(1).le16(1).u8(0x40 + 21).u8(0x40 + 22);
  EXPECT_EQ(dir.Read("out.dat"),
            Written(db.header, {{5, 0, 0, Text("Unfiled")},
                                {6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Description")},
                                {11, 2, 1, trip.Encode()},
                                {9, 2, 0, Text("pack\r\nbags")},
                                {11, 2, 0, lunch.Encode()},
                                {14, 2, 0, r0},
                                {14, 2, 1, Bytes().u8(100).u8(0).u8(4).le16(0).u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF)}}));
}

TEST(ImportE2E, GeneralDatabaseGetsOneRecordPerLine) {
  DbFile db('D');
  const Bytes defs[] = {FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"), FieldDefBody(7, 2, 2, 0, 0, 0, "Time"),
                        FieldDefBody(10, 3, 4, 0, 0, 0, "Note")};
  for (int i = 0; i < 3; ++i) db.Add(6, 0, i, defs[i]);
  ScratchDir dir;
  dir.Write("db.dat", db.Finish());
  const std::string csv = "\"Ann\",\"9:05\",\"hi\\nthere\"\n\"\",\"\",\"\"\n\"Bob\",\"NONE\",\"x\"\n";
  dir.Write("in.csv", csv);
  const auto r = RunKalvert(dir, {"-xdb.dat", "-iin.csv", "-oout.dat", "-s1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, csv);  // each line echoed as read
  EXPECT_EQ(dir.Read("out.dat"),
            Written(db.header, {{6, 0, 0, defs[0]},
                                {6, 0, 1, defs[1]},
                                {6, 0, 2, defs[2]},
                                {11, 1, 0, Bytes().le16(7).le16(545).le16(0).u8(0).cstr("Ann")},
                                {9, 1, 0, Text("hi\r\nthere")},
                                {11, 1, 1, Bytes().le16(6).le16(0x8000).le16(0xFFFF).u8(0)},
                                {11, 1, 2, Bytes().le16(7).le16(0x8000).le16(1).u8(0).cstr("Bob")},
                                {9, 1, 1, Text("x")}}));
  // Read back, the records give the lines they came from.
  const auto back = RunKalvert(dir, {"-xout.dat", "-s1"});
  EXPECT_EQ(back.out, "\"Ann\",\"09:05\",\"hi\\nthere\"\n\"\",\"\",\"\"\n\"Bob\",\"\",\"x\"\n");
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
    Appt a;
    a.cFlags = flags, a.cYear = y, a.cMonth = m, a.cDay = d;
    if (start >= 0) a.start(start).end(start + 30);
    a.description = desc;
    a.location = flags >= 0x80 ? "Room \xB2\xF1" : "";
    a.cRepeatType = repeatType;
    a.repeats = !ria.empty();
    std::copy(ria.begin(), ria.end(), a.ria);
    if (flags < 0x20) a.t1 = '2', a.t2 = 0, a.e1 = 100, a.e2 = 1, a.lead = 3, a.leadTime = 0xFF;  // ToDo
    if (!noteText.empty()) {
      db.Add(9, 2, note, Text(noteText));
      a.note = note++;
    }
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

TEST(ImportE2E, RoundTripKeepsEveryExportedItem) {
  ScratchDir dir;
  dir.Write("varied.dat", VariedBook());
  DbFile empty('2');
  AddBookDefinitions(&empty);
  dir.Write("empty.dat", empty.Finish());
  const std::vector<std::string> kinds = {"-a", "-e", "-t"};
  std::vector<std::string> exported;
  for (const auto& kind : kinds) {
    const auto r = RunKalvert(dir, {"-xvaried.dat", kind, "-s1"});
    ASSERT_EQ(r.status, 0) << r.err;
    exported.push_back(r.out);
  }
  const long lines[] = {4, 2, 2};
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    ASSERT_EQ(std::count(exported[i].begin(), exported[i].end(), '\n'), lines[i]) << exported[i];
  }

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

}  // namespace
