// How unclear places of the file formats are read, seen from the outside:
// broken headers are refused before anything is done with them, 16-bit
// columns keep their two's-complement bytes, the -d lookup dump shows
// unsigned bytes, a missing note still gets its (empty) note record, and
// folders are no database files.
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

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool Contains(const std::vector<unsigned char>& hay, const Bytes& needle) {
  return std::search(hay.begin(), hay.end(), needle.v.begin(), needle.v.end()) != hay.end();
}

TEST(Readings, BrokenHeadersAndShortDefinitionsAreRefusedFirst) {
  ScratchDir dir;
  DbFile shortTable('2');  // a "lookup table" whose length is below its own header
  shortTable.AddRaw(Bytes().u8(31).u8(2).le16(3).le16(0));
  dir.Write("short.dat", shortTable.Finish(false));
  const auto r = RunKalvert(dir, {"-d", "-xshort.dat"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(EndsWith(r.err, "Broken record at offset 29.\n")) << r.err;
  EXPECT_EQ(r.out.find("TYPE_LOOKUPTABLE"), std::string::npos);  // no -d lines for it

  DbFile def('D');
  def.Add(6, 0, 0, Bytes().u8(2).u8(1).le16(0).u8(0x20));  // 5 of the 7 definition bytes
  dir.Write("def.dat", def.Finish());
  const auto d = RunKalvert(dir, {"-xdef.dat"});
  EXPECT_EQ(d.status, 1);
  EXPECT_TRUE(EndsWith(d.err, "2. Failed read TYPE_DEFFIELD in file.\n")) << d.err;
}

TEST(Readings, TimeAndNumberColumnsKeepTheirSixteenBitForm) {
  // Start time, end time and end-date bytes of the one record written, which
  // follows the signature and header: body offsets 18, 22 and 20.
  const struct {
    std::string start, end, endDate;
    Bytes at18, at20, at22;
  } cases[] = {
      {"-1:00", "12::30", "65537", Bytes().u8(0xC4).u8(0xFF), Bytes().le16(1), Bytes().u8(0xD0).u8(0x02)},
      {":30", "7", "-1", Bytes().u8(0x1E).u8(0x00), Bytes().u8(0xFF).u8(0xFF), Bytes().u8(0xA4).u8(0x01)},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    dir.Write("book.dat", DbFile('2').Finish());
    dir.Write("in.csv", "\"t\",\"2000/01/05\",\"" + c.start + "\",\"" + c.end + "\",\"\",\"" + c.endDate + "\",\"\"\n");
    ASSERT_EQ(RunKalvert(dir, {"-xbook.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
    const std::vector<unsigned char> out = dir.Read("out.dat");
    ASSERT_GT(out.size(), 60u);
    const long body = 29 + 6;
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + body + 18, out.begin() + body + 20), c.at18.v) << c.start;
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + body + 20, out.begin() + body + 22), c.at20.v) << c.endDate;
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + body + 22, out.begin() + body + 24), c.at22.v) << c.end;
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

TEST(Readings, MissingNoteStillGetsAnEmptyNoteRecord) {
  ScratchDir dir;
  DbFile db('2');
  fixture::Appt a;
  a.description = "x";
  a.note = 5;
  db.Add(11, 2, 0, a.Encode());
  dir.Write("in.dat", db.Finish());
  const auto r = RunKalvert(dir, {"-xin.dat", "-oout.dat", "-s2"});
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(EndsWith(r.err, "Note record 5 not found.\n")) << r.err;
  const std::vector<unsigned char> out = dir.Read("out.dat");
  // The 37-byte data record at 29 now links note 0, which follows it empty.
  ASSERT_GT(out.size(), 72u);
  EXPECT_EQ(out[29 + 6 + 8], 0);
  EXPECT_EQ(out[29 + 6 + 9], 0);
  EXPECT_EQ(std::vector<unsigned char>(out.begin() + 66, out.begin() + 72), Bytes().u8(9).u8(2).le16(6).le16(0).v);
}

TEST(Readings, SeveralNoteColumnsGiveANoteEach) {
  ScratchDir dir;
  DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  db.Add(6, 0, 1, fixture::FieldDefBody(10, 2, 2, 0, 0, 0, "Note 1"));
  db.Add(6, 0, 2, fixture::FieldDefBody(10, 3, 4, 0, 0, 0, "Note 2"));
  dir.Write("in.dat", db.Finish());
  dir.Write("in.csv", "\"a\",\"n1\",\"n2\"\n\"b\",\"n3\",\"\"\n");
  ASSERT_EQ(RunKalvert(dir, {"-xin.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
  // Each link holds the number of its own note (an empty column: none); the
  // notes follow their record in link order.
  const auto record = [](int num, int link1, int link2, const char* text) {
    return Bytes().u8(11).u8(1).le16(15).le16(num).le16(7).le16(link1).le16(link2).u8(0).cstr(text);
  };
  const auto note = [](int num, const char* text) { return Bytes().u8(9).u8(1).le16(8).le16(num).str(text); };
  EXPECT_TRUE(Contains(dir.Read("out.dat"), record(0, 0, 1, "a")
                                                .bytes(note(0, "n1"))
                                                .bytes(note(1, "n2"))
                                                .bytes(record(1, 2, 0xFFFF, "b"))
                                                .bytes(note(2, "n3"))));
}

TEST(Readings, FoldersAreNoDatabaseFiles) {
  ScratchDir dir;
  dir.Write("in.dat", DbFile('D').Finish());
  const auto in = RunKalvert(dir, {"-x."});
  EXPECT_EQ(in.status, 1);
  EXPECT_TRUE(EndsWith(in.err, "Failed read file.\n")) << in.err;
  const auto out = RunKalvert(dir, {"-xin.dat", "-o."});
  EXPECT_EQ(out.status, 1);
  EXPECT_TRUE(EndsWith(out.err, "File can't open.\n  .: Is a directory\n")) << out.err;
}

}  // namespace
