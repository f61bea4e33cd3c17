// The import in-process: CSV fields, the cut of long texts, CSV lines made
// into items, and the appointment, chain and general-database records
// written from them, each checked byte for byte.
#include <deque>
#include <string>
#include <vector>

#include "inproc.h"

namespace {

using fixture::Bytes;
using inproc::Capture;
using inproc::Record;

TEST(ImportText, GetCSVInQuotedAndPlainMode) {
  const struct { std::string line; int num; char mode; std::string want; } cases[] = {
      {"\"Lunch\",\"2000/01/05\",\"12:00\"\n", 2, '"', "2000/01/05"},
      {"\"a\",123,\"b\"\n", 2, '"', "b"},       // unquoted text is no field
      {"\"say \"\"hi\"\"\"", 2, '"', "hi"},     // no escape: "" closes and reopens
      {"\"a\"\t\"b\"\n", 2, '"', "b"},          // separators are never looked at
      {"\"a\",\"bc\n", 2, '"', "bc\n"},         // a missing last quote runs to the end
      {"\"a,b\",\"c\"", 1, '"', "a,b"},
      {"\"a\"", 2, '"', ""},
      {"a,,b\n", 2, '0', ""},
      {"a,,b\n", 3, '0', "b"},  // the line feed is not part of the field
      {" \"x\" ,y", 1, '0', " \"x\" "},
      {std::string("a,b\0c,d", 7), 3, '0', ""},  // a NUL ends the line
  };
  for (const auto& c : cases) EXPECT_EQ(GetCSV(c.line, static_cast<int16_t>(c.num), c.mode), c.want) << c.line;
}

TEST(ImportText, CutStringNeverSplitsATwoByteCharacter) {
  const std::string a49(49, 'a'), a50(50, 'a');
  const struct { std::string in; int cut; std::string want; } cases[] = {
      {std::string(60, 'a'), 51, a50 + "a"},
      {a50 + "\xA4\xA2", 51, a50},                   // the pair would end past the limit
      {a49 + "\xA4\xA2" "b", 51, a49 + "\xA4\xA2"},  // the pair ends at the limit
      {a50 + "\x80" "x", 51, a50 + "\x80"},          // 0x80 is a character of its own
      {"\xA4", 19, "\xA4"},
  };
  for (const auto& c : cases) {
    std::string s = c.in;
    EXPECT_EQ(CutString(s, 0, c.cut), c.want) << c.in.size();
    EXPECT_EQ(s, c.want);
  }
}

std::string Line(const std::vector<std::string>& cols) {
  std::string line;
  for (const std::string& c : cols) line += (line.empty() ? "\"" : ",\"") + c + "\"";
  return line + "\n";
}

std::unique_ptr<CSVData> Appt(const std::string& line) {
  auto item = MakeCSVD(1);
  CSVToNRAAppt(item.get(), line, 135);
  return item;
}

class Import : public inproc::Test {};

// The Lunch line as an item and as the record written from it; two notes
// were written before, so its note is number 2.
TEST_F(Import, LunchLineGivesThePackedRecordAndItsNote) {
  OpenOutput();
  SeekInfoLists seek;
  for (int16_t i = 0; i < 2; ++i) {
    const RecordHeader rh{TYPE_NOTE, 2, 6, i};
    AddSeekInfo(&seek, &rh, 100);
  }
  auto item = Appt(Line({"Lunch", "2000/01/05", "12:30", "13:00", "Office", "0", "a\\nb", "0", "", "0", "", ""}));
  item->iRecordNum = 3;
  WriteDATA(item.get(), &seek);
  Bytes body;
  body.le16(41).le16(33).le16(34).le16(41).le16(2).le16(-1).le16(-1);
  body.u8(0x87).u8(100).u8(0).u8(4).u8(0xEE).u8(0x02).le16(0).u8(0x0C).u8(0x03).u8(5).u8(0).u8(1);
  body.cstr("Lunch").cstr("").cstr("Office");
  const Bytes data = Record(11, 2, 3, body);
  ASSERT_EQ(data.size(), 47u);
  EXPECT_EQ(OutputBytes(), Bytes(data).bytes(Record(9, 2, 2, inproc::Text("a\r\nb"))).v);
  EXPECT_EQ(seek.heads[TYPE_NOTE]->pnext_sinf->pnext_sinf->lSeekPt, 47);
}

TEST_F(Import, RepeatTypeTable) {
  const struct { std::string freq, day, month; int type; } cases[] = {
      {"0", "", "", 1},          {"1", "", "0", 2},         {"257", "", "", 2},  // cFreq keeps the low 8 bits
      {"256", "", "", 1},        {"1", "MON:WED", "0", 4},  {"1", "15", "0", 8},
      {"1", "2th/MON", "0", 8},  {"1", "15", "JAN:JUL", 16}, {"0", "15", "JAN:JUL", 32},
      {"0", "", "DEC", 32},      {"0", "15", "0", 0},        {"1", "MON", "JAN", 0},
      {"1", "128", "0", 0},
  };
  for (const auto& c : cases) {
    auto item = Appt(Line({"r", "2000/01/05", "", "", "", "0", "", c.freq, c.day, c.month, "2000/01/01", "2000/12/31"}));
    EXPECT_EQ(item->pnra->cRepeatType, c.type) << c.freq << "/" << c.day << "/" << c.month;
  }
  auto item = Appt(Line({"r", "2000/01/05", "", "", "", "0", "", "3", "2th/MON:WED:FRI", "NOV:DEC", "", ""}));
  const RepeatInformationAppt& r = *item->pria;
  EXPECT_EQ(std::vector<int>({r.cFreq, r.Days, r.Weeks, r.Month1, r.Month2, r.cStartYear, r.cEndDay}),
            std::vector<int>({3, 0x95, 2, 0, 0x0C, 0xFF, 0xFF}));  // empty dates: no date
}

TEST_F(Import, ShortLinesGetRepeatDefaults) {
  const std::vector<std::string> base = {"s", "2000/01/05", "", "", "", "0", ""};
  const struct { std::vector<std::string> extra; int days, month1, sy, sm, ey, type; } cases[] = {
      {{}, 0, 0, 0, 0, 0, 1},  // 7 columns: no repeat columns, no defaults
      {{"1"}, 0, 0, 94, 0, 99, 2},
      {{"1", "15", "JAN"}, 15, 1, 94, 0, 99, 16},
      {{"1", "15", "JAN", "2000/03/01"}, 15, 1, 100, 2, 99, 16},
  };
  for (const auto& c : cases) {
    std::vector<std::string> cols = base;
    cols.insert(cols.end(), c.extra.begin(), c.extra.end());
    auto item = Appt(Line(cols));
    const RepeatInformationAppt& r = *item->pria;
    EXPECT_EQ(std::vector<int>({r.Days, r.Month1, r.cStartYear, r.cStartMonth, r.cEndYear, item->pnra->cRepeatType}),
              std::vector<int>({c.days, c.month1, c.sy, c.sm, c.ey, c.type}))
        << cols.size();
  }
  // Too narrow: a warning, and still an item.
  std::unique_ptr<CSVData> item;
  const auto o = Capture([&] { item = Appt("\"a\",\"2000/01/05\",\"10:00\"\n"); });
  EXPECT_EQ(o.err, "I can't understand follow this record. Please check !\n<<< \"a\",\"2000/01/05\",\"10:00\"\n >>>\n");
  EXPECT_EQ(item->pnra->cStartTimePri1, 0x58);
}

// Items filed in two chains (other: o1 o2; dated: h1 with down chain d1 d2,
// then h2), written with their links, notes and the two type-14 records.
TEST_F(Import, ChainLinksAndTypeFourteenRecords) {
  OpenOutput();
  std::vector<std::unique_ptr<CSVData>> items;
  auto make = [&](int16_t rec, unsigned day, const std::string& note) {
    items.push_back(Appt(Line({"", "2000/01/01", "", "", "", "0", note})));
    PCSVD p = items.back().get();
    p->iRecordNum = p->iFirstRecord = rec;
    p->pnra->cDay = static_cast<uint8_t>(day);
    return p;
  };
  PCSVD o1 = make(4, 0, ""), o2 = make(1, 2, "a"), h1 = make(0, 4, ""), d1 = make(2, 4, "bb"), d2 = make(5, 4, "");
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
  const auto item = [&](int recnum, int note, int prev, int next, unsigned day, const std::string& noteText) {
    fixture::Appt a;
    a.cDay = day, a.note = note, a.prev = prev, a.next = next;
    want.bytes(Record(11, 2, recnum, a.Encode()));
    if (note >= 0) want.bytes(Record(9, 2, note, inproc::Text(noteText)));
  };
  item(4, -1, -1, 1, 0, "");
  item(1, 0, 4, -1, 2, "a");
  item(0, -1, -1, 2, 4, "");
  item(2, 1, 0, 5, 4, "bb");
  item(5, -1, 2, -1, 4, "");
  item(3, 2, -1, -1, 6, "ccc");
  Bytes r0;  // 17 bytes carried, the first date head and count, then the last two carried bytes
  for (unsigned i = 0; i < 17; ++i) r0.u8(0x10 + i);
  want.bytes(Record(14, 2, 0, r0.le16(4).le16(2).u8(0x25).u8(0x26)));
  Bytes r1;  // each date head: date and record number, then the closing bytes
  r1.u8(100).u8(0).u8(4).le16(0).u8(100).u8(0).u8(6).le16(3).u8(0x5A).u8(0).u8(0).u8(0xFF).u8(0xFF);
  want.bytes(Record(14, 2, 1, r1));
  EXPECT_EQ(OutputBytes(), want.v);
}

class WriteDBTest : public inproc::Test {
 protected:
  std::deque<FieldDefineChain> defs;
  // Field definitions of the types (cReserved1 of radio buttons in reserved).
  std::vector<unsigned char> Write(const std::vector<unsigned> types, const std::vector<unsigned>& reserved,
                                   int offsetLength, const std::string& line) {
    defs.clear();
    for (std::size_t i = 0; i < types.size(); ++i) {
      defs.emplace_back().pfd = std::make_unique<FieldDefine>(FieldDefine{
          static_cast<uint8_t>(types[i]), static_cast<uint8_t>(i), 0, 0x20,
          static_cast<uint8_t>(i < reserved.size() ? reserved[i] : 0), 0});
      if (i) defs[i - 1].pnext_fdc = &defs.back();
    }
    iOffsetLength = static_cast<int16_t>(offsetLength);
    if (fpout) std::fclose(fpout);
    OpenOutput();
    SeekInfoLists seek;
    EXPECT_EQ(Capture([&] { WriteDB(&defs.front(), &seek, line); }).status, 0);
    return OutputBytes();
  }
};

TEST_F(WriteDBTest, SlotsTextsRadioGroupsAndNotes) {
  iDataNum = 4;
  iNoteNum = 2;
  Bytes body;
  body.le16(14).le16(17).u8(0x21).u8(0x02).u8(0x5E).u8(0x0B).u8(0x1E).le16(5).le16(2).u8(0).cstr("ab").cstr("c");
  EXPECT_EQ(Write({2, 2, 7, 8, 0, 10}, {}, 13, "\"ab\",\"c\",\"9:05\",\"1994/12/31\",\"5\",\"hello\\nworld\"\n"),
            Record(11, 1, 4, body).bytes(Record(9, 1, 2, inproc::Text("hello\r\nworld"))).v);
  const struct { std::vector<unsigned> types, reserved; std::string line; Bytes body; } cases[] = {
      {{11, 9, 9, 9, 2}, {0, 1, 2, 3}, "\"0\",\"1\",\"0\",\"x\"\n", Bytes().le16(2).le16(5).u8(0).cstr("x")},
      {{11, 9, 9, 9, 2}, {0, 1, 2, 3}, "\"0\",\"0\",\"0\",\"\"\n", Bytes().le16(1).le16(4).u8(0)},
      // The last set button of a group wins; an unset group keeps the value.
      {{11, 9, 9, 11, 9, 9}, {0, 1, 2, 0, 5, 6}, "\"1\",\"1\",\"0\",\"0\"\n", Bytes().le16(2).le16(2).u8(0)},
      {{11, 12, 9, 2}, {0, 0, 4}, "\"1\",\"t\"\n", Bytes().le16(5).le16(0).u8(0).cstr("t")},  // 12 ends the group
      {{2, 16, 14, 2}, {}, "\"a\",\"b\"\n", Bytes().le16(5).le16(7).u8(0).cstr("a").cstr("b")},
  };
  for (const auto& c : cases) {
    iDataNum = 0;
    EXPECT_EQ(Write(c.types, c.reserved, 4, c.line), Record(11, 1, 0, c.body).v) << c.line;
  }
}

}  // namespace
