// Definitions pass: field list and counters, copy rules, the type-14 record
// 0, the stop at the lookup table, the progress bar and broken records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbbuilder.h"
#include "reader_support.h"

namespace {

using fixture::Bytes;
using fixture::DbFile;
using fixture::FieldDefBody;
using readertest::Capture;
using readertest::Marks;
using readertest::Record;
using readertest::kRuler;

class ReadFieldTest : public readertest::ReaderTest {
 protected:
  PFDC Run(const std::vector<unsigned char>& file, readertest::Outcome* o = nullptr) {
    OpenDatabase(file);
    PFDC head = nullptr;
    const auto out = Capture([&] { head = ReadField(nullptr, &seek); });
    if (o) *o = out;
    return head;
  }
  SeekInfoLists seek;
};

TEST_F(ReadFieldTest, CountsFieldsAndSlotBytes) {
  const struct {
    std::vector<unsigned> types;
    int fields, bytes;
  } cases[] = {
      {{}, 0, 0},
      {{11, 9, 9, 9}, 3, 2},          // one slot per group, at its first button
      {{9}, 1, 0},                    // a button outside a group
      {{11, 2}, 1, 2},
      {{0, 1, 7, 8, 10, 13, 15}, 7, 15},
      {{11, 12, 9, 14, 9}, 2, 2},     // 12 and 14 leave the group open
      {{11, 2, 9}, 2, 2},             // a text closes the group
      {{12, 14, 16, 23, 255}, 0, 0},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    iSilent = 2;
    DbFile db;
    for (unsigned t : c.types) db.Add(TYPE_FIELDDEF, 0, 0, FieldDefBody(t, 1, 0, 0, 0, 0, "n"));
    PFDC head = Run(db.Finish());
    int n = 0;
    for (PFDC p = head; p; p = p->pnext_fdc) ++n;
    EXPECT_EQ(n, static_cast<int>(c.types.size()));
    EXPECT_EQ(iFileDefNum, c.fields) << c.types.size();
    EXPECT_EQ(iOffsetLength, c.bytes) << c.types.size();
  }
}

TEST_F(ReadFieldTest, BuildsListInFileOrderWithWholeNames) {
  iSilent = 2;
  DbFile db;
  db.Add(TYPE_FIELDDEF, 0, 0, FieldDefBody(2, 7, 0x0102, 0x20, 3, 4, std::string("Na\0me", 5)));
  db.Add(TYPE_DATA, 0, 0, Bytes().zeros(5));
  db.Add(TYPE_FIELDDEF, 0, 1, FieldDefBody(8, 9, -2, 0, 0, 0, ""));
  PFDC head = Run(db.Finish());
  ASSERT_NE(head, nullptr);
  ASSERT_NE(head->pnext_fdc, nullptr);
  EXPECT_EQ(head->pnext_fdc->pnext_fdc, nullptr);
  EXPECT_EQ(head->szName, std::string("Na\0me", 5));
  EXPECT_EQ(head->pfd->cFieldType, 2);
  EXPECT_EQ(head->pfd->cFieldID, 7);
  EXPECT_EQ(head->pfd->iDataOffset, 0x0102);
  EXPECT_EQ(head->pfd->cFlags, 0x20);
  EXPECT_EQ(head->pfd->cReserved1, 3);
  EXPECT_EQ(head->pfd->cReserved2, 4);
  EXPECT_EQ(head->pnext_fdc->pfd->iDataOffset, -2);
  EXPECT_EQ(head->pnext_fdc->szName, "");
}

TEST_F(ReadFieldTest, CopiesDefinitionRecordsByTypeAndStatus) {
  iSilent = 2;
  OpenOutput();
  const Bytes body = Bytes().str("xyz");
  const struct {
    unsigned type, status;
    bool copied;
  } cases[] = {
      {TYPE_CARDDEF, 0, true},    {TYPE_CARDDEF, 1, false},  {TYPE_CARDDEF, 3, false},
      {TYPE_CARDDEF, 2, true},    {TYPE_CATEGORY, 1, true},  {TYPE_CATEGORY, 3, true},
      {TYPE_USER15, 1, true},     {TYPE_VIEWPTDEF, 0, true}, {TYPE_VIEWPTTABLE, 0, false},
      {TYPE_DATA, 0, false},      {TYPE_NOTE, 0, false},     {TYPE_USER14, 0, false},
      {TYPE_USER14, 1, false},    {20, 0, true},             {20, 1, false},
      {TYPE_FIELDDEF, 1, true},
  };
  DbFile db;
  Bytes expected;
  int num = 10;
  for (const auto& c : cases) {
    const Bytes b = c.type == TYPE_FIELDDEF ? FieldDefBody(2, 1, 0, 0x20, 0, 0, "Nm") : body;
    db.Add(c.type, c.status, num, b);
    if (c.copied) expected.bytes(Record(c.type, c.status, num, b));
    ++num;
  }
  const auto file = db.Finish();
  Run(file);
  EXPECT_EQ(OutputBytes(), expected.v);
  // Every copied record is listed at its offset in the output.
  long at = 0;
  int listed = 0;
  for (const auto& node : seek.nodes) {
    EXPECT_GE(node.lSeekPt, at);
    at = node.lSeekPt;
    ++listed;
  }
  EXPECT_EQ(listed, 8);
}

TEST_F(ReadFieldTest, KeepsLastTypeFourteenRecordZeroAndDropsOthers) {
  iSilent = 2;
  OpenOutput();
  DbFile db;
  db.Add(TYPE_USER14, 0, 0, Bytes().str("first"));
  db.Add(TYPE_USER14, 0, 1, Bytes().str("record one"));
  db.Add(TYPE_USER14, 2, 0, Bytes().u8(1).u8(0).u8(0xFF));
  db.Add(TYPE_USER14, 0, 2, Bytes().str("two"));
  Run(db.Finish());
  EXPECT_EQ(szUserType14_0, (std::vector<unsigned char>{1, 0, 0xFF, 0}));
  EXPECT_TRUE(OutputBytes().empty());
  EXPECT_TRUE(seek.nodes.empty());
}

TEST_F(ReadFieldTest, EmptyTypeFourteenRecordZeroStillCounts) {
  iSilent = 2;
  DbFile db;
  db.Add(TYPE_USER14, 0, 0, Bytes());
  Run(db.Finish());
  EXPECT_EQ(szUserType14_0, std::vector<unsigned char>{0});
}

TEST_F(ReadFieldTest, StopsAtFirstLookupTableOrCleanEnd) {
  iSilent = 2;
  OpenOutput();
  DbFile db;
  db.Add(TYPE_FIELDDEF, 0, 0, FieldDefBody(2, 1, 0, 0, 0, 0, "A"));
  db.Add(TYPE_LOOKUPTABLE, 2, 0, Bytes().zeros(8));
  db.Add(TYPE_FIELDDEF, 0, 1, FieldDefBody(2, 1, 0, 0, 0, 0, "B"));
  db.Add(TYPE_CATEGORY, 0, 0, Bytes().str("c"));
  PFDC head = Run(db.Finish(false));
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->pnext_fdc, nullptr);
  EXPECT_EQ(iFileDefNum, 1);
  EXPECT_EQ(seek.nodes.size(), 1u);

  // No lookup table: the pass ends at the end of the file, also after a
  // header cut short.
  ResetGlobals();
  iSilent = 2;
  DbFile db2;
  db2.Add(TYPE_FIELDDEF, 0, 0, FieldDefBody(2, 1, 0, 0, 0, 0, "A"));
  db2.AddRaw(Bytes().u8(6).u8(0).u8(7));
  readertest::Outcome o;
  head = Run(db2.Finish(false), &o);
  EXPECT_EQ(o.status, 0);
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(iFileDefNum, 1);
}

TEST_F(ReadFieldTest, BrokenRecordsEndTheRun) {
  const struct {
    Bytes raw;
    std::string message;
  } cases[] = {
      {Record(TYPE_FIELDDEF, 0, 0, Bytes().zeros(6)), "2. Failed read TYPE_DEFFIELD in file.\n"},
      {Bytes().u8(TYPE_FIELDDEF).u8(0).le16(20).le16(0).zeros(9), "3. Failed read TYPE_DEFFIELD in file.\n"},
      {Bytes().u8(TYPE_CATEGORY).u8(0).le16(20).le16(0).zeros(3), "4. Failed read TYPE_DEFFIELD in file.\n"},
      {Bytes().u8(TYPE_USER14).u8(0).le16(9).le16(0).zeros(2), "4. Failed read TYPE_DEFFIELD in file.\n"},
      {Bytes().u8(TYPE_CARDDEF).u8(1).le16(9).le16(0).zeros(2), "4. Failed read TYPE_DEFFIELD in file.\n"},
      // A length below 6 is refused before the type is looked at.
      {Record(TYPE_CATEGORY, 0, 0, Bytes().str("ok")).bytes(Bytes().u8(TYPE_LOOKUPTABLE).u8(0).le16(5).le16(0)),
       "Broken record at offset 37.\n"},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    iSilent = 2;
    iDebugG = 1;
    DbFile db;
    db.AddRaw(c.raw);
    readertest::Outcome o;
    Run(db.Finish(false), &o);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, c.message);
  }
}

// Records laid so that the loop steps at the given input positions, with
// lFileLast 1000; the last record is the lookup table.
std::string Bar(const std::vector<long>& steps, long lFileLast_) {
  Bytes raw;
  raw.zeros(static_cast<std::size_t>(steps.front()));
  for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
    raw.bytes(Record(TYPE_DATA, 0, 0, Bytes().zeros(static_cast<std::size_t>(steps[i + 1] - steps[i] - 6))));
  }
  raw.bytes(Record(TYPE_LOOKUPTABLE, 2, 0, Bytes()));
  readertest::ReaderTest::OpenInput(raw.v, steps.front());
  lFileLast = static_cast<int32_t>(lFileLast_);
  const auto o = Capture([] { ReadField(nullptr, nullptr); });
  EXPECT_EQ(o.status, 0);
  return o.err;
}

TEST_F(ReadFieldTest, ProgressBarMarks) {
  const struct {
    std::vector<long> steps;
    long last;
    int marks;
  } cases[] = {
      {{70, 100, 990}, 1000, 49},  // 3 + 2 + 44, no closing mark
      {{70, 100, 950}, 1000, 48},  // 3 + 2 + 42, closing mark
      {{58}, 100, 29},             // 58 / 100 * 100 is 57.99...: 28 marks and the closing one
      {{70, 1200}, 1000, 4},       // past lFileLast nothing more is drawn
      {{100}, 0, 1},               // no lookup table offset: only the closing mark
      {{100}, -10, 1},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    EXPECT_EQ(Bar(c.steps, c.last), kRuler + " Pass-1  |" + Marks(c.marks) + "|\n") << c.steps.back();
  }
  ResetGlobals();
  iSilent = 2;
  EXPECT_EQ(Bar({70, 100, 990}, 1000), "");
}

TEST_F(ReadFieldTest, GeneralDatabaseEndsWithHeadingLine) {
  iSilent = 3;
  iFileType = 1;
  iHeader = 1;
  DbFile db('D');
  db.Add(TYPE_FIELDDEF, 0, 0, FieldDefBody(2, 1, 0, 0x20, 0, 0, "Na&me"));
  db.Add(TYPE_FIELDDEF, 0, 1, FieldDefBody(7, 2, 2, 0, 0, 0, "Time"));
  readertest::Outcome o;
  Run(db.Finish(), &o);
  EXPECT_EQ(o.err, "\n");
  EXPECT_EQ(o.out, "\"Name\",\"Time\"\n");
}

TEST_F(ReadFieldTest, DebugDumpsOfUserRecordsAndLookupTable) {
  iSilent = 2;
  iDebugG = 1;
  DbFile db;
  db.Add(TYPE_USER15, 0, 3, Bytes().u8('A').u8(0xC8));
  auto file = db.Finish();
  readertest::Outcome o;
  Run(file, &o);
  ASSERT_EQ(o.status, 0);
  const std::string user =
      "TYPE_USER(0):65, A, 41\n"
      "TYPE_USER(1):200, \xC8, ffffffc8\n\n";
  EXPECT_NE(o.out.find("    Record Type : TYPE_USER(15).\n  Record Status : 0. \n  Record Length : 8\n"
                       "  Record Number : 3\n\n  Index Current : 35\n\n" + user),
            std::string::npos)
      << o.out;
  // One entry: length 8, 0xFF 0xFF, 0, offset 29; then the 64 index bytes.
  EXPECT_NE(o.out.find("0:Index 1 = 8 index[0]=8, index[1]=0)\nIndex 2 = 65535 index[2]=ff, index[3]=ff\n"
                       "Index 3 = 0\nIndex 4 = 29\n\nIndex Current = 51\n\n0:iWork = 0\n\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("31:iWork = 0\n\n Index Current = 115\n\n"), std::string::npos);
}

}  // namespace
