// Records that must come through a run whole: a cut file is read with a
// warning, and a copy keeps categories and notes byte for byte. Expected
// bytes are worked out from the record layouts.
#include <gtest/gtest.h>

#include <algorithm>

#include "dbbuilder.h"
#include "launch.h"

namespace {

using Blob = std::vector<unsigned char>;
using fixture::Bytes;
using fixture::DbFile;
using fixture::RunKalvert;
using fixture::ScratchDir;

bool Contains(const Blob& hay, const Bytes& needle) {
  return std::search(hay.begin(), hay.end(), needle.v.begin(), needle.v.end()) != hay.end();
}

TEST(SafetyRecords, ACutFileIsReadWithAWarning) {
  std::vector<long> at;
  const Blob whole = fixture::Book(3, &at);
  Blob pastEnd = whole;
  pastEnd[18] = 0xF0;  // the lookup table's offset becomes 0x7FF0
  pastEnd[19] = 0x7F;
  const struct {
    const char* name;
    Blob file;
    std::string warning;
  } cases[] = {
      {"whole", whole, ""},
      {"no lookup table", fixture::Book(3, nullptr, false), "book.dat ends early; 3 records read.\n"},
      {"cut before the third record", Blob(whole.begin(), whole.begin() + at[2]),
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
  const Blob file = book.Finish();
  const Bytes item = Bytes().cstr("Staff").cstr("Work").cstr("Room");
  const Bytes note = Bytes().u8(9).u8(2).le16(6 + static_cast<int>(stored.size())).le16(0).bytes(stored);
  for (const char* option : {"-n0", "-n1", "-n2"}) {
    SCOPED_TRACE(option);
    ScratchDir dir;
    dir.Write("in.dat", file);
    ASSERT_EQ(RunKalvert(dir, {"-xin.dat", option, "-oout.dat", "-s2"}).status, 0);
    EXPECT_TRUE(Contains(dir.Read("out.dat"), item));
    EXPECT_TRUE(Contains(dir.Read("out.dat"), note));
  }
}

}  // namespace
