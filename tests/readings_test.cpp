// How unclear places of the file formats are read, seen from the outside:
// broken headers are refused before anything is done with them, 16-bit
// columns keep their two's-complement bytes, the -d lookup dump shows
// unsigned bytes, and a missing note still gets its (empty) note record.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Bytes;
using fixture::DbFile;
using fixture::RunKalvert;
using fixture::ScratchDir;

// A "lookup table" whose length is below its own header (refused before -d
// shows it), and a field definition of 5 of its 7 bytes.
TEST(Readings, BrokenHeadersAndShortDefinitionsAreRefusedFirst) {
  DbFile shortTable('2'), shortDef('D');
  shortTable.AddRaw(Bytes().u8(31).u8(2).le16(3).le16(0));
  shortDef.Add(6, 0, 0, Bytes().u8(2).u8(1).le16(0).u8(0x20));
  const std::pair<std::vector<unsigned char>, std::string> cases[] = {
      {shortTable.Finish(false), "Broken record at offset 29.\n"},
      {shortDef.Finish(), "2. Failed read TYPE_DEFFIELD in file.\n"}};
  for (const auto& [file, message] : cases) {
    ScratchDir dir;
    dir.Write("in.dat", file);
    const auto r = RunKalvert(dir, {"-d", "-xin.dat"});
    fixture::ExpectEnded(dir, r, 1, message);
    EXPECT_EQ(r.out.find("TYPE_LOOKUPTABLE"), std::string::npos);
  }
}

// Start time, end date and end time bytes of the one record written, which
// follows the signature and header: body offsets 18 to 23.
TEST(Readings, TimeAndNumberColumnsKeepTheirSixteenBitForm) {
  const struct {
    std::string start, end, endDate;
    Bytes at18;
  } cases[] = {
      {"-1:00", "12::30", "65537", Bytes().u8(0xC4).u8(0xFF).le16(1).u8(0xD0).u8(0x02)},
      {":30", "7", "-1", Bytes().u8(0x1E).u8(0x00).u8(0xFF).u8(0xFF).u8(0xA4).u8(0x01)},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    dir.Write("book.dat", DbFile('2').Finish());
    dir.Write("in.csv", "\"t\",\"2000/01/05\",\"" + c.start + "\",\"" + c.end + "\",\"\",\"" + c.endDate + "\",\"\"\n");
    ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
    const std::vector<unsigned char> out = dir.Read("out.dat");
    ASSERT_GT(out.size(), 60u);
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + 35 + 18, out.begin() + 35 + 24), c.at18.v) << c.start;
  }
}

TEST(Readings, LookupDumpShowsUnsignedBytes) {
  ScratchDir dir;
  DbFile db('D');
  db.Add(5, 0, 0, Bytes().str("c"));
  dir.Write("in.dat", db.Finish());
  const auto r = RunKalvert(dir, {"-d", "-xin.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("0:Index 1 = 7 index[0]=7, index[1]=0)\nIndex 2 = 65535 index[2]=ff, index[3]=ff\n"
                       "Index 3 = 0\nIndex 4 = 29\n\n"),
            std::string::npos)
      << r.out;
}

// The 37-byte data record at 29 links note 0, which follows it empty.
TEST(Readings, MissingNoteStillGetsAnEmptyNoteRecord) {
  ScratchDir dir;
  DbFile db('2');
  fixture::Appt a("x", 100, 0, 0);
  a.note = 5;
  db.Add(11, 2, 0, a.Encode());
  dir.Write("in.dat", db.Finish());
  fixture::ExpectEnded(dir, RunKalvert(dir, {"-xin.dat", "-oout.dat", "-s2"}), 0, "Note record 5 not found.\n");
  const std::vector<unsigned char> out = dir.Read("out.dat");
  ASSERT_GT(out.size(), 72u);
  a.note = 0;
  EXPECT_EQ(std::vector<unsigned char>(out.begin() + 29, out.begin() + 72),
            fixture::Record(11, 2, 0, a.Encode()).bytes(fixture::Record(9, 2, 0, Bytes())).v);
}

// Both links hold the new note's number; the note is the last column's.
TEST(Readings, SeveralNoteColumnsGiveTheLastNote) {
  ScratchDir dir;
  DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  db.Add(6, 0, 1, fixture::FieldDefBody(10, 2, 2, 0, 0, 0, "Note 1"));
  db.Add(6, 0, 2, fixture::FieldDefBody(10, 3, 4, 0, 0, 0, "Note 2"));
  dir.Write("in.dat", db.Finish());
  dir.Write("in.csv", "\"a\",\"n1\",\"n2\"\n");
  ASSERT_EQ(RunKalvert(dir, {"-xin.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
  const Bytes want =
      Bytes().u8(11).u8(1).le16(15).le16(0).le16(7).le16(0).le16(0).u8(0).cstr("a").u8(9).u8(1).le16(8).le16(0).str(
          "n2");
  const std::vector<unsigned char> out = dir.Read("out.dat");
  EXPECT_NE(std::search(out.begin(), out.end(), want.v.begin(), want.v.end()), out.end());
}

}  // namespace
