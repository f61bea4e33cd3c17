// How unclear places of the file formats are read, seen from the outside:
// broken headers are refused before anything is done with them, 16-bit
// columns keep their two's-complement bytes, and a missing note still gets
// its (empty) note record.
#include <gtest/gtest.h>

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

// Start time, end date and end time (body offsets 18 to 23) of the two
// 37-byte records written at 29 and 66: both have an end date, so both take
// the flat chain, where the later line comes first.
TEST(Readings, TimeAndNumberColumnsKeepTheirSixteenBitForm) {
  ScratchDir dir;
  dir.Write("book.dat", DbFile('2').Finish());
  dir.Write("in.csv",
            "\"t\",\"2000/01/05\",\"-1:00\",\"12::30\",\"\",\"65537\",\"\"\n"
            "\"t\",\"2000/01/05\",\":30\",\"7\",\"\",\"-1\",\"\"\n");
  ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
  const std::vector<unsigned char> out = dir.Read("out.dat");
  ASSERT_GT(out.size(), 96u);
  EXPECT_EQ(std::vector<unsigned char>(out.begin() + 53, out.begin() + 59),
            Bytes().u8(0x1E).u8(0x00).u8(0xFF).u8(0xFF).u8(0xA4).u8(0x01).v);
  EXPECT_EQ(std::vector<unsigned char>(out.begin() + 90, out.begin() + 96),
            Bytes().u8(0xC4).u8(0xFF).le16(1).u8(0xD0).u8(0x02).v);
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

}  // namespace
