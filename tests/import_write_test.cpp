// The database writers of the import, in-process on a temporary output file:
// appointment data and note records, the chain links with the two type-14
// records, and the records of a general database, each checked byte for byte.
#include <deque>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "import_support.h"

namespace {

using fixture::Bytes;
using importtest::Capture;
using importtest::ImportTest;

// A record as it appears in the file: header, then body.
Bytes Rec(unsigned type, unsigned status, int recnum, const Bytes& body) {
  Bytes b;
  b.u8(type).u8(status).le16(static_cast<int>(body.size()) + 6).le16(recnum).bytes(body);
  return b;
}

std::unique_ptr<CSVData> Item(int16_t recnum, const std::string& desc, const std::string& loc) {
  auto item = MakeCSVD(1);
  item->iRecordNum = recnum;
  item->iFirstRecord = recnum;
  item->pszDescription = desc;
  item->pszLocation = loc;
  NonRepeaAppt& n = *item->pnra;
  n.iNoteRecNum = -1;
  n.iPrevRecNum = -1;
  n.iNextRecNum = -1;
  n.cFlags = 0x87;
  n.cYear = 100;
  n.cMonth = 0;
  n.cDay = 4;
  n.cStartTimePri1 = n.cStartTimePri2 = 0xFF;
  n.cEndTimeYear = n.cEndTimeMonth = 0xFF;
  n.cLeadTimeDay = 5;
  n.cRepeatType = 1;
  return item;
}

std::vector<int> RecordNumbers(const SeekInfoLists& seek, uint8_t type) {
  std::vector<int> v;
  for (PSINF p = seek.heads[type]; p; p = p->pnext_sinf) v.push_back(p->iRecordNum);
  return v;
}

class WriteDATATest : public ImportTest {};

TEST_F(WriteDATATest, LunchGivesThePackedRecord) {
  OpenOutput();
  auto item = Item(3, "Lunch", "Office");
  item->pnra->cStartTimePri1 = 0xEE;
  item->pnra->cStartTimePri2 = 0x02;
  item->pnra->cEndTimeYear = 0x0C;
  item->pnra->cEndTimeMonth = 0x03;
  SeekInfoLists seek;
  WriteDATA(item.get(), &seek);

  Bytes body;
  body.le16(41).le16(33).le16(34).le16(41).le16(-1).le16(-1).le16(-1);
  body.u8(0x87).u8(100).u8(0).u8(4).u8(0xEE).u8(0x02).le16(0).u8(0x0C).u8(0x03).u8(5).u8(0).u8(1);
  body.cstr("Lunch").cstr("").cstr("Office");
  const Bytes want = Rec(11, 2, 3, body);
  ASSERT_EQ(want.size(), 47u);
  EXPECT_EQ(OutputBytes(), want.v);
  ASSERT_NE(seek.heads[TYPE_DATA], nullptr);
  EXPECT_EQ(seek.heads[TYPE_DATA]->lSeekPt, 0);
  EXPECT_EQ(seek.heads[TYPE_DATA]->iSize, 47);
  EXPECT_EQ(seek.heads[TYPE_NOTE], nullptr);
  EXPECT_EQ(item->pnra->iLength, 41);
  EXPECT_EQ(item->pnra->iOsRepeat, 41);
}

TEST_F(WriteDATATest, RepeatBlockDeletedOccurrencesAndNote) {
  OpenOutput();
  SeekInfoLists seek;
  // Two notes are already registered: this one is number 2.
  for (int i = 0; i < 2; ++i) {
    const RecordHeader rh{TYPE_NOTE, 2, 6, static_cast<int16_t>(i)};
    AddSeekInfo(&seek, &rh, 100);
  }
  auto item = Item(7, "R", "");
  item->pnra->cRepeatType = 2;
  RepeatInformationAppt& r = *item->pria;
  r.cFreq = 1;
  r.cStartYear = 100;
  r.cEndYear = 100;
  r.cEndMonth = 11;
  r.cEndDay = 30;
  r.cDelete = 2;
  item->pszDelRepeat = {1, 2, 3, 4, 5, 6, 7, 8};
  item->pszNote = "0123456789";
  item->pnra->iNoteRecNum = 0;
  WriteDATA(item.get(), &seek);

  Bytes body;
  body.le16(51).le16(29).le16(30).le16(31).le16(2).le16(-1).le16(-1);
  body.u8(0x87).u8(100).u8(0).u8(4).u8(0xFF).u8(0xFF).le16(0).u8(0xFF).u8(0xFF).u8(5).u8(0).u8(2);
  body.cstr("R").cstr("").cstr("");
  body.u8(1).u8(0).u8(0).u8(0).u8(0).u8(100).u8(0).u8(0).u8(100).u8(11).u8(30).u8(2);
  for (int i = 1; i <= 8; ++i) body.u8(static_cast<unsigned>(i));
  Bytes want = Rec(11, 2, 7, body);
  ASSERT_EQ(want.size(), 57u);  // 12 + 8 bytes more than without the repeat
  Bytes note;
  note.str("0123456789");
  want.bytes(Rec(9, 2, 2, note));
  EXPECT_EQ(OutputBytes(), want.v);
  EXPECT_EQ(RecordNumbers(seek, TYPE_NOTE), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(seek.heads[TYPE_NOTE]->pnext_sinf->pnext_sinf->iSize, 16);
  EXPECT_EQ(seek.heads[TYPE_NOTE]->pnext_sinf->pnext_sinf->lSeekPt, 57);
}

TEST_F(WriteDATATest, NoteNotFoundStillGetsAnEmptyNoteRecord) {
  OpenOutput();
  auto item = Item(0, "", "");
  item->pnra->iNoteRecNum = 5;
  SeekInfoLists seek;
  WriteDATA(item.get(), &seek);
  const auto out = OutputBytes();
  ASSERT_EQ(out.size(), 36u + 6u);
  EXPECT_EQ(std::vector<unsigned char>(out.end() - 6, out.end()), (std::vector<unsigned char>{9, 2, 6, 0, 0, 0}));
  EXPECT_EQ(out[6 + 8], 0);  // the data record links note 0
}

TEST_F(WriteDATATest, RecordsThatDoNotFit16BitsAreRefusedBeforeWriting) {
  OpenOutput();
  SeekInfoLists seek;
  // 33 + 32731 + 1 + 1 + 1 = 32767: the longest record.
  auto fits = Item(0, std::string(32731, 'd'), "");
  EXPECT_EQ(Capture([&] { WriteDATA(fits.get(), &seek); }).status, 0);
  EXPECT_EQ(OutputBytes().size(), 32767u);

  const std::vector<std::pair<std::size_t, std::size_t>> tooLong = {{32732, 0}, {0, 32762}};
  for (const auto& c : tooLong) {
    OpenOutput();  // a failure discards the output
    auto item = Item(1, std::string(c.first, 'd'), "");
    if (c.second) {
      item->pszNote = std::string(c.second, 'n');
      item->pnra->iNoteRecNum = 0;
    }
    const auto o = Capture([&] { WriteDATA(item.get(), &seek); });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Record too long to write.\n");
    EXPECT_EQ(RecordNumbers(seek, TYPE_DATA), std::vector<int>{0});  // nothing of the item was registered
  }
}

TEST_F(WriteDATATest, DebugDump) {
  OpenOutput();
  iDebugG = 1;
  auto item = Item(0, "Desc", "Loc");
  item->pnra->iEndDate = 3;
  item->pszNote = "N";
  item->pnra->iNoteRecNum = 0;
  SeekInfoLists seek;
  const auto o = Capture([&] { WriteDATA(item.get(), &seek); });
  EXPECT_EQ(o.out, "Desc\nLoc\n100, 0, 4\n3\nN\n\n");
}

class WriteUserType14Test : public ImportTest {};

// The bytes of one written item of WriteUserType14Test.ChainOrderLinksAndRecords.
Bytes ItemRecord(int recnum, int note, int prev, int next, unsigned day, const std::string& noteText) {
  fixture::Appt a;
  a.cDay = day;
  a.note = note;
  a.prev = prev;
  a.next = next;
  Bytes b = Rec(11, 2, recnum, a.Encode());
  if (note >= 0) {
    Bytes n;
    n.str(noteText);
    b.bytes(Rec(9, 2, note, n));
  }
  return b;
}

TEST_F(WriteUserType14Test, ChainOrderLinksAndRecords) {
  OpenOutput();
  std::vector<std::unique_ptr<CSVData>> items;
  auto make = [&](int16_t rec, unsigned day, const std::string& note) {
    items.push_back(Item(rec, "", ""));
    PCSVD p = items.back().get();
    p->pnra->cDay = static_cast<uint8_t>(day);
    p->pnra->cFlags = 0x87;
    if (!note.empty()) {
      p->pszNote = note;
      p->pnra->iNoteRecNum = 0;
    }
    return p;
  };
  PCSVD o1 = make(4, 0, "");
  PCSVD o2 = make(1, 2, "a");
  PCSVD h1 = make(0, 4, "");
  PCSVD d1 = make(2, 4, "bb");
  PCSVD d2 = make(5, 4, "");
  PCSVD h2 = make(3, 6, "ccc");
  StartCSV scsv;
  scsv.other_csvd = o1;
  o1->pnext_csvd = o2;
  scsv.start_csvd = h1;
  h1->pnext_csvd = h2;
  h1->pdown_csvd = d1;
  d1->pnext_csvd = d2;
  iUserType14 = 2;
  for (unsigned i = 0; i < 23; ++i) szUserType14_0.push_back(static_cast<unsigned char>(0x10 + i));
  szUserType14_0.push_back(0);

  SeekInfoLists seek;
  WriteUserType14(&scsv, &seek);

  Bytes want;
  want.bytes(ItemRecord(4, -1, -1, 1, 0, ""));
  want.bytes(ItemRecord(1, 0, 4, -1, 2, "a"));
  want.bytes(ItemRecord(0, -1, -1, 2, 4, ""));
  want.bytes(ItemRecord(2, 1, 0, 5, 4, "bb"));
  want.bytes(ItemRecord(5, -1, 2, -1, 4, ""));
  want.bytes(ItemRecord(3, 2, -1, -1, 6, "ccc"));
  Bytes r0;
  for (unsigned i = 0; i < 17; ++i) r0.u8(0x10 + i);
  r0.le16(4).le16(2).u8(0x25).u8(0x26);
  want.bytes(Rec(14, 2, 0, r0));
  Bytes r1;
  r1.u8(100).u8(0).u8(4).le16(0).u8(100).u8(0).u8(6).le16(3).u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF);
  want.bytes(Rec(14, 2, 1, r1));
  EXPECT_EQ(OutputBytes(), want.v);

  EXPECT_EQ(RecordNumbers(seek, TYPE_DATA), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(RecordNumbers(seek, TYPE_NOTE), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(RecordNumbers(seek, TYPE_USER14), (std::vector<int>{0, 1}));
  EXPECT_EQ(seek.heads[TYPE_USER14]->lSeekPt, static_cast<int32_t>(want.size()) - 29 - 21);
  EXPECT_EQ(seek.heads[TYPE_USER14]->pnext_sinf->iSize, 21);
}

TEST_F(WriteUserType14Test, EmptyChainsAndMissingRecord0) {
  OpenOutput();
  StartCSV scsv;
  SeekInfoLists seek;
  szUserType14_0 = {1, 2, 3, 4, 5};  // shorter than 23 bytes: the rest is 0
  WriteUserType14(&scsv, &seek);
  Bytes r0;
  r0.u8(1).u8(2).u8(3).u8(4).u8(5).zeros(12).u8(0xFF).u8(0xFF).le16(0).zeros(2);
  Bytes r1;
  r1.u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF);
  Bytes want = Rec(14, 2, 0, r0);
  want.bytes(Rec(14, 2, 1, r1));
  EXPECT_EQ(OutputBytes(), want.v);
}

class WriteDBTest : public ImportTest {
 protected:
  std::deque<FieldDefineChain> defs;

  // The definition list of the given types (cReserved1 of radio buttons in
  // reserved), and iOffsetLength as the definitions pass counts it.
  PFDC Defs(const std::vector<unsigned>& types, const std::vector<unsigned>& reserved = {}, int offsetLength = -1) {
    defs.clear();
    for (std::size_t i = 0; i < types.size(); ++i) {
      defs.emplace_back();
      defs.back().pfd = std::make_unique<FieldDefine>(FieldDefine{
          static_cast<uint8_t>(types[i]), static_cast<uint8_t>(i), 0, 0x20,
          static_cast<uint8_t>(i < reserved.size() ? reserved[i] : 0), 0});
      if (i) defs[i - 1].pnext_fdc = &defs.back();
    }
    iOffsetLength = static_cast<int16_t>(offsetLength);
    return defs.empty() ? nullptr : &defs.front();
  }

  std::vector<unsigned char> Write(PFDC fdc, const std::string& line, std::string* out = nullptr) {
    fpout = std::tmpfile();
    iOutAppt = 1;
    SeekInfoLists seek;
    const auto o = Capture([&] { WriteDB(fdc, &seek, line); });
    EXPECT_EQ(o.status, 0) << o.err;
    if (out) *out = o.out;
    auto bytes = OutputBytes();
    std::fclose(fpout);
    fpout = nullptr;
    return bytes;
  }
};

TEST_F(WriteDBTest, SlotsTextsAndNote) {
  PFDC fdc = Defs({2, 2, 7, 8, 0, 10}, {}, 13);
  iDataNum = 4;
  iNoteNum = 2;
  const std::string line = "\"ab\",\"c\",\"9:05\",\"1994/12/31\",\"5\",\"hello\\nworld\"\n";
  std::string out;
  const auto got = Write(fdc, line, &out);
  Bytes body;
  body.le16(14).le16(17).u8(0x21).u8(0x02).u8(0x5E).u8(0x0B).u8(0x1E).le16(5).le16(2);
  body.u8(0).cstr("ab").cstr("c");
  Bytes want = Rec(11, 1, 4, body);
  ASSERT_EQ(want.size(), 25u);
  Bytes note;
  note.str("hello\r\nworld");
  want.bytes(Rec(9, 1, 2, note));
  EXPECT_EQ(got, want.v);
  EXPECT_EQ(out, line);  // the line is echoed as read
  EXPECT_EQ(iDataNum, 5);
  EXPECT_EQ(iNoteNum, 3);
}

TEST_F(WriteDBTest, LayoutCases) {
  struct Case {
    const char* name;
    std::vector<unsigned> types, reserved;
    int offsetLength;
    std::string line;
    Bytes body;
  };
  std::vector<Case> cases;
  {
    Case c{"two texts and an empty time", {2, 2, 7}, {}, 6, "\"ab\",\"c\",\"\"\n", {}};
    c.body.le16(7).le16(10).u8(0x00).u8(0x80).u8(0).cstr("ab").cstr("c");
    cases.push_back(c);
  }
  {
    Case c{"empty texts, NONE time, empty date", {2, 2, 7, 8}, {}, 9, "\"\",\"\",\"NONE\",\"\"\n", {}};
    c.body.le16(9).le16(9).u8(0x00).u8(0x80).u8(0xFF).u8(0xFF).u8(0xFF).u8(0);
    cases.push_back(c);
  }
  {
    Case c{"radio group, second button", {11, 9, 9, 9, 2}, {0, 1, 2, 3, 0}, 4, "\"0\",\"1\",\"0\",\"x\"\n", {}};
    c.body.le16(2).le16(5).u8(0).cstr("x");
    cases.push_back(c);
  }
  {
    Case c{"radio group, none set", {11, 9, 9, 9, 2}, {0, 1, 2, 3, 0}, 4, "\"0\",\"0\",\"0\",\"\"\n", {}};
    c.body.le16(1).le16(4).u8(0);
    cases.push_back(c);
  }
  {
    Case c{"two groups: the last set button wins, an unset group keeps the value",
           {11, 9, 9, 11, 9, 9}, {0, 1, 2, 0, 5, 6}, 4, "\"1\",\"1\",\"0\",\"0\"\n", {}};
    c.body.le16(2).le16(2).u8(0);
    cases.push_back(c);
  }
  {
    Case c{"second group set", {11, 9, 9, 11, 9, 9}, {0, 1, 2, 0, 5, 6}, 4, "\"1\",\"0\",\"0\",\"1\"\n", {}};
    c.body.le16(1).le16(6).u8(0);
    cases.push_back(c);
  }
  {
    // 12 ends the group: the button writes nothing, its slot stays 0.
    Case c{"group start, 12, button", {11, 12, 9, 2}, {0, 0, 4, 0}, 4, "\"1\",\"t\"\n", {}};
    c.body.le16(5).le16(0).u8(0).cstr("t");
    cases.push_back(c);
  }
  {
    Case c{"types 14 and 16 take no column", {2, 16, 14, 2}, {}, 4, "\"a\",\"b\"\n", {}};
    c.body.le16(5).le16(7).u8(0).cstr("a").cstr("b");
    cases.push_back(c);
  }
  {
    Case c{"flag words", {0, 1}, {}, 4, "\"-1\",\"65537\"\n", {}};
    c.body.le16(0xFFFF).le16(1).u8(0);
    cases.push_back(c);
  }
  for (const auto& c : cases) {
    PFDC fdc = Defs(c.types, c.reserved, c.offsetLength);
    iDataNum = 0;
    EXPECT_EQ(Write(fdc, c.line), Rec(11, 1, 0, c.body).v) << c.name;
  }
}

TEST_F(WriteDBTest, LastNoteColumnGivesTheNote) {
  PFDC fdc = Defs({10, 10}, {}, 4);
  Bytes body;
  body.le16(0).le16(0).u8(0);
  Bytes note;
  note.str("second");
  Bytes want = Rec(11, 1, 0, body);
  want.bytes(Rec(9, 1, 0, note));
  EXPECT_EQ(Write(fdc, "\"first\",\"second\"\n"), want.v);

  iDataNum = 0;
  iNoteNum = 0;
  Bytes body2;
  body2.le16(0xFFFF).le16(0).u8(0);
  Bytes want2 = Rec(11, 1, 0, body2);
  want2.bytes(Rec(9, 1, 0, note));
  EXPECT_EQ(Write(fdc, "\"\",\"second\"\n"), want2.v);
}

TEST_F(WriteDBTest, PlainModeEchoAndNoOutput) {
  PFDC fdc = Defs({2, 2}, {}, 4);
  iCSV = 1;
  Bytes body;
  body.le16(5).le16(9).u8(0).cstr("a b").cstr("\"q\"");
  EXPECT_EQ(Write(fdc, "a b,\"q\"\n"), Rec(11, 1, 0, body).v);

  // -s0: no echo; without -o: echo, nothing written, counters kept.
  iSilent = 1;
  std::string out;
  Write(fdc, "x,y\n", &out);
  EXPECT_EQ(out, "");
  iSilent = 0;
  iOutAppt = 0;
  const int16_t before = iDataNum;
  const auto o = Capture([&] { WriteDB(fdc, nullptr, "x,y\n"); });
  EXPECT_EQ(o.out, "x,y\n");
  EXPECT_EQ(iDataNum, before);
}

TEST_F(WriteDBTest, DebugLinesAndTooLongRecords) {
  PFDC fdc = Defs({2, 0, 2}, {}, 6);
  iDebugG = 1;
  std::string out;
  Write(fdc, "\"ab\",\"1\",\"\"\n", &out);
  EXPECT_EQ(out, "\"ab\",\"1\",\"\"\npszData(0)=ab\npszData(2)=\n");
  iDebugG = 0;

  OpenOutput();
  SeekInfoLists seek;
  const auto o = Capture([&] { WriteDB(fdc, &seek, "\"" + std::string(40000, 't') + "\"\n"); });
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "Record too long to write.\n");
  EXPECT_EQ(seek.nodes.size(), 0u);
}

}  // namespace
