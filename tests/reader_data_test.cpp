// Data pass: what the appointment book files for each kind byte, -m with and
// without -o, broken data records, the second progress bar, and the lines and
// copies of a general database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbbuilder.h"
#include "reader_support.h"

namespace {

using fixture::Appt;
using fixture::Bytes;
using fixture::DbFile;
using fixture::FieldDefBody;
using readertest::Capture;
using readertest::Marks;
using readertest::Outcome;
using readertest::Record;

class ReadDataTest : public readertest::ReaderTest {
 protected:
  Outcome Run(const std::vector<unsigned char>& file) {
    OpenDatabase(file);
    return Capture([&] {
      PFDC fdc = ReadField(nullptr, &seek);
      std::fseek(fp, lFirst, SEEK_SET);
      ReadData(fdc, &scsv, &seek);
    });
  }
  SeekInfoLists seek;
  StartCSV scsv;
};

// Kind bytes of every range, with other records in between; one record is
// marked as garbage and is decoded all the same.
std::vector<unsigned char> Book(unsigned unknownKind = 0x05) {
  const struct {
    unsigned flags;
    int repeat;
    unsigned status;
  } recs[] = {{0x85, 1, 0}, {0x26, 1, 0}, {0x14, 1, 0}, {unknownKind, 0, 0}, {0x7F, 2, 0}, {0x10, 1, 1}};
  DbFile db;
  db.Add(TYPE_CATEGORY, 0, 0, Bytes().str("cat"));
  int num = 20;
  for (const auto& r : recs) {
    Appt a;
    a.cFlags = r.flags;
    a.cRepeatType = r.repeat;
    a.repeats = r.repeat > 1;
    a.description = "d" + std::to_string(num);
    a.location = "L";
    db.Add(TYPE_DATA, r.status, num++, a.Encode());
    db.Add(TYPE_NOTE, 0, 0, Bytes().str("n"));
  }
  return db.Finish();
}

TEST_F(ReadDataTest, FilesEveryDataRecordOfTheBook) {
  iSilent = 2;
  const Outcome o = Run(Book());
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "");
  ASSERT_EQ(scsv.items.size(), 6u);
  const struct {
    uint8_t kind;
    bool pria;
    const char* text;
  } want[] = {{0x80, false, "d20"}, {0x20, false, "d21"}, {0x10, false, "d22"},
              {0, true, ""},        {0x20, true, "d24"},  {0x10, false, "d25"}};
  for (std::size_t i = 0; i < 6; ++i) {
    const CSVData& it = *scsv.items[i];
    EXPECT_EQ(it.iRecordNum, static_cast<int16_t>(i));
    EXPECT_EQ(it.cKind, want[i].kind) << i;
    EXPECT_EQ(it.pria != nullptr, want[i].pria) << i;
    EXPECT_EQ(it.pszDescription, want[i].text) << i;
  }
  // The record without a known kind stays as made: all zero, on other_csvd.
  const CSVData& unknown = *scsv.items[3];
  EXPECT_EQ(unknown.pnra->cFlags, 0);
  EXPECT_EQ(unknown.pnra->iLength, 0);
  EXPECT_EQ(unknown.pnra->cRepeatType, 0);
  bool onOther = false;
  for (PCSVD p = scsv.other_csvd; p; p = p->pnext_csvd) onOther = onOther || p == &unknown;
  EXPECT_TRUE(onOther);
  EXPECT_EQ(iDataNum, 6);
}

TEST_F(ReadDataTest, MergeLeavesTheInputItemsOutOnlyWithOutput) {
  iSilent = 2;
  iMerge = 1;
  Outcome o = Run(Book());
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(scsv.items.size(), 6u);

  ResetGlobals();
  scsv = StartCSV();
  iSilent = 2;
  iMerge = 1;
  OpenOutput();
  o = Run(Book());
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(scsv.items.empty());
  EXPECT_EQ(scsv.start_csvd, nullptr);
  EXPECT_EQ(scsv.other_csvd, nullptr);
  EXPECT_EQ(iDataNum, 0);
  // Only the category record was copied, by the definitions pass.
  EXPECT_EQ(OutputBytes(), Record(TYPE_CATEGORY, 0, 0, Bytes().str("cat")).v);
}

TEST_F(ReadDataTest, RecordsThatCannotBeHandled) {
  const struct {
    const char* name;
    Bytes raw;
    bool output;
    std::string err;
  } cases[] = {
      {"unknown kind with -o", [] {
         Appt a;
         a.cFlags = 0x0F;
         return Record(TYPE_DATA, 0, 33, a.Encode());
       }(),
       true, "TYPE_DATA record 33 has no known kind; can't write it.\n"},
      {"short fixed part", Record(TYPE_DATA, 0, 7, Bytes().zeros(26)), false, "Broken TYPE_DATA record 7.\n"},
      {"short body", Bytes().u8(TYPE_DATA).u8(0).le16(40).le16(2).zeros(10), false,
       "40\n2. Failed read TYPE_DATA in file.\n"},
      {"short header length", Bytes().u8(TYPE_DATA).u8(0).le16(3).le16(2).zeros(10), false,
       "Broken record at offset 29.\n"},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    scsv = StartCSV();
    iSilent = 2;
    if (c.output) OpenOutput();
    DbFile db;
    db.AddRaw(c.raw);
    const Outcome o = Run(db.Finish(false));
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
  }
  // Without -o the record of no known kind is filed and never shown.
  ResetGlobals();
  scsv = StartCSV();
  iSilent = 2;
  const Outcome o = Run(Book(0x0F));
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(scsv.items.size(), 6u);
}

TEST_F(ReadDataTest, SecondBarHasNoClosingMark) {
  const struct {
    std::vector<long> steps;
    int marks;
  } cases[] = {{{70, 100, 990}, 49}, {{70, 100, 950}, 47}, {{1200}, 0}};
  for (const auto& c : cases) {
    ResetGlobals();
    Bytes raw;
    raw.zeros(static_cast<std::size_t>(c.steps.front()));
    for (std::size_t i = 0; i + 1 < c.steps.size(); ++i) {
      raw.bytes(Record(TYPE_NOTE, 0, 0, Bytes().zeros(static_cast<std::size_t>(c.steps[i + 1] - c.steps[i] - 6))));
    }
    raw.bytes(Record(TYPE_LOOKUPTABLE, 2, 0, Bytes()));
    OpenInput(raw.v, c.steps.front());
    lFileLast = 1000;
    const Outcome o = Capture([&] { ReadData(nullptr, &scsv, &seek); });
    EXPECT_EQ(o.err, " Pass-2  |" + Marks(c.marks) + "|\n\n");
  }
}

// A general database: a text field stored indirectly, a note link and a
// flag word; two records, the first with a note.
std::vector<unsigned char> General(Bytes* defs, Bytes* recA, Bytes* recB) {
  DbFile db('D');
  const Bytes f1 = FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name");
  const Bytes f2 = FieldDefBody(10, 2, 2, 0, 0, 0, "Note");
  const Bytes f3 = FieldDefBody(0, 3, 4, 0, 0, 0, "Flag");
  db.Add(TYPE_FIELDDEF, 0, 0, f1);
  db.Add(TYPE_FIELDDEF, 0, 1, f2);
  db.Add(TYPE_FIELDDEF, 0, 2, f3);
  *defs = Record(TYPE_FIELDDEF, 0, 0, f1).bytes(Record(TYPE_FIELDDEF, 0, 1, f2)).bytes(Record(TYPE_FIELDDEF, 0, 2, f3));
  db.Add(TYPE_NOTE, 0, 5, Bytes().str("hi\r\nyo"));
  *recA = Bytes().le16(7).le16(5).le16(1).u8(0).cstr("Ann");
  *recB = Bytes().le16(6).le16(0xFFFF).le16(0).u8(0);
  db.Add(TYPE_DATA, 0, 40, *recA);
  db.Add(TYPE_DATA, 1, 41, *recB);
  return db.Finish();
}

TEST_F(ReadDataTest, GeneralDatabasePrintsAndCopiesWithNewNumbers) {
  iSilent = 2;
  iFileType = 1;
  OpenOutput();
  Bytes defs, recA, recB;
  const Outcome o = Run(General(&defs, &recA, &recB));
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "\"Ann\",\"hi\\nyo\",\"1\"\n\"\",\"\",\"0\"\n");
  EXPECT_EQ(o.err, "\n");
  // The note goes just before its record, both renumbered from 0.
  Bytes renumberedA = Bytes().le16(7).le16(0).le16(1).u8(0).cstr("Ann");
  Bytes want = defs;
  want.bytes(Record(TYPE_NOTE, 1, 0, Bytes().str("hi\r\nyo")));
  want.bytes(Record(TYPE_DATA, 0, 0, renumberedA));
  want.bytes(Record(TYPE_DATA, 1, 1, recB));
  EXPECT_EQ(OutputBytes(), want.v);
  EXPECT_EQ(iDataNum, 2);
  EXPECT_EQ(iNoteNum, 1);
  EXPECT_EQ(seek.nodes.size(), 6u);
}

TEST_F(ReadDataTest, GeneralDatabaseSilentAndMerged) {
  Bytes defs, recA, recB;
  // -s0 and -s2: no lines, records still copied.
  iSilent = 3;
  iFileType = 1;
  OpenOutput();
  Outcome o = Run(General(&defs, &recA, &recB));
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(iDataNum, 2);

  // -m with -o: neither printed nor copied, no note written.
  ResetGlobals();
  iSilent = 2;
  iFileType = 1;
  iMerge = 1;
  OpenOutput();
  o = Run(General(&defs, &recA, &recB));
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(OutputBytes(), defs.v);
  EXPECT_EQ(iNoteNum, 0);
  EXPECT_EQ(iDataNum, 0);
}

TEST_F(ReadDataTest, GeneralDatabaseRawDump) {
  iSilent = 2;
  iFileType = 1;
  iDebugG2 = 1;
  Bytes defs, recA, recB;
  const Outcome o = Run(General(&defs, &recA, &recB));
  ASSERT_EQ(o.status, 0);
  EXPECT_EQ(o.out,
            "\"Ann\",\"hi\\nyo\",\"1\"\n"
            "iSize=11\n(0)7\n(2)5\n(4)1\n(6)16640\n(8)28270\n(10)0\n"
            "\"\",\"\",\"0\"\n"
            "iSize=7\n(0)6\n(2)65535\n(4)0\n(6)0\n");
}

}  // namespace
