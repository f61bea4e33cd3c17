// Records that must come through a run whole: a cut file is read with a
// warning, every note link written points at its own note, and a copy keeps
// categories and notes byte for byte. Expected bytes are worked out from the
// record layouts.
#include <gtest/gtest.h>

#include <algorithm>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using Blob = std::vector<unsigned char>;
using fixture::Bytes;
using fixture::DbFile;
using fixture::FieldDefBody;
using fixture::RunKalvert;
using fixture::ScratchDir;

bool Contains(const Blob& hay, const Bytes& needle) {
  return std::search(hay.begin(), hay.end(), needle.v.begin(), needle.v.end()) != hay.end();
}

TEST(SafetyRecords, ACutFileIsReadWithAWarning) {
  DbFile db('2');
  long third = 0;
  for (int i = 0; i < 3; ++i) {
    fixture::Appt a;
    a.description = "Item";
    a.cDay = static_cast<unsigned>(i);
    third = db.Add(11, 0, i, a.Encode());
  }
  const Blob whole = db.Finish();
  Blob pastEnd = whole;
  pastEnd[18] = 0xF0;  // the lookup table's offset becomes 0x7FF0
  pastEnd[19] = 0x7F;
  const struct {
    const char* name;
    Blob file;
    std::string warning;
  } cases[] = {
      {"whole", whole, ""},
      {"no lookup table", db.Finish(false), "book.dat ends early; 3 records read.\n"},
      {"cut before the third record", Blob(whole.begin(), whole.begin() + third),
       "book.dat ends early; 2 records read.\n"},
      {"lookup table offset past the end", pastEnd, "book.dat ends early; 3 records read.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write("book.dat", c.file);
    const auto r = RunKalvert(dir, {"-xbook.dat", "-obook.dat", "-s2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.find("ends early") != std::string::npos, !c.warning.empty()) << r.err;
    EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
  }
}

// Fields: a text (indirect, slot 0) and two note links (slots 2 and 4), so
// the fixed area holds 6 bytes and the text starts at 7.
TEST(SafetyRecords, EveryNoteLinkPointsAtItsOwnNote) {
  ScratchDir dir;
  DbFile db('D');
  db.Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  db.Add(6, 0, 1, FieldDefBody(10, 2, 2, 0, 0, 0, "Note 1"));
  db.Add(6, 0, 2, FieldDefBody(10, 3, 4, 0, 0, 0, "Note 2"));
  dir.Write("in.dat", db.Finish());
  dir.Write("in.csv", "\"a\",\"n1\",\"\"\n\"b\",\"\",\"n2\"\n");
  ASSERT_EQ(RunKalvert(dir, {"-xin.dat", "-iin.csv", "-oout.dat", "-s2"}).status, 0);
  const auto record = [](int num, int link1, int link2, const char* text) {
    return Bytes().u8(11).u8(1).le16(15).le16(num).le16(7).le16(link1).le16(link2).u8(0).cstr(text);
  };
  const auto note = [](int num, const char* text) { return Bytes().u8(9).u8(1).le16(8).le16(num).str(text); };
  const Bytes want =
      record(0, 0, 0xFFFF, "a").bytes(note(0, "n1")).bytes(record(1, 0xFFFF, 1, "b")).bytes(note(1, "n2"));
  EXPECT_TRUE(Contains(dir.Read("out.dat"), want));
}

// A copy keeps the category and every byte of a note (CR LF, a lone LF, a
// NUL), whatever -n shapes for the text output.
TEST(SafetyRecords, ACopyKeepsCategoriesAndNotesAsStored) {
  static const char kNote[] = "Agenda:\r\n1. Budget\n2. Rota\0end";
  const Bytes stored = Bytes().str(std::string(kNote, sizeof kNote - 1));
  DbFile book('2');
  fixture::Appt a;
  a.description = "Staff";
  a.category = "Work";
  a.location = "Room";
  a.note = 0;
  book.Add(11, 0, 0, a.Encode());
  book.Add(9, 0, 0, stored);
  const Bytes bookNote = Bytes().u8(9).u8(2).le16(6 + static_cast<int>(stored.size())).le16(0).bytes(stored);
  // A card file: a text at 5 (slot 0) and a note link (slot 2) to note 0.
  DbFile cards('D');
  cards.Add(6, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  cards.Add(6, 0, 1, FieldDefBody(10, 2, 2, 0, 0, 0, "Note"));
  cards.Add(9, 0, 0, stored);
  cards.Add(11, 0, 0, Bytes().le16(5).le16(0).u8(0).cstr("x"));
  const Bytes cardNote = Bytes().u8(9).u8(1).le16(6 + static_cast<int>(stored.size())).le16(0).bytes(stored);
  const struct {
    Blob file;
    const char* option;
    Bytes want;
  } cases[] = {
      {book.Finish(), "-n0", Bytes().cstr("Staff").cstr("Work").cstr("Room")},
      {book.Finish(), "-n1", bookNote},
      {book.Finish(), "-n2", bookNote},
      {cards.Finish(), "-n1", cardNote},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    ScratchDir dir;
    dir.Write("in.dat", c.file);
    ASSERT_EQ(RunKalvert(dir, {"-xin.dat", c.option, "-oout.dat", "-s2"}).status, 0);
    EXPECT_TRUE(Contains(dir.Read("out.dat"), c.want));
  }
}

}  // namespace
