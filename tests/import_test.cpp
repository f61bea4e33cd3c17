// The import in-process: CSV fields, general-database records written from
// lines, checked byte for byte, and the filing order of a date's items.
#include "inproc.h"

namespace {

using fixture::Bytes;
using inproc::Capture;
using inproc::Record;

// Quoted: unquoted text is no field, "" closes and reopens, separators are
// never looked at, a missing last quote runs to the end. Plain: the line feed
// is not part of the field, a NUL ends the line.
TEST(ImportText, GetCSVInQuotedAndPlainMode) {
  // clang-format off
  const std::tuple<std::string, int16_t, char, std::string> cases[] = {
      {"\"Lunch\",\"2000/01/05\",\"12:00\"\n", 2, '"', "2000/01/05"}, {"\"a\",123,\"b\"\n", 2, '"', "b"},
      {"\"say \"\"hi\"\"\"", 2, '"', "hi"}, {"\"a\",\"bc\n", 2, '"', "bc\n"}, {"\"a,b\"\t\"c\"", 2, '"', "c"},
      {"a,,b\n", 2, '0', ""}, {"a,,b\n", 3, '0', "b"}, {" \"x\" ,y", 1, '0', " \"x\" "},
      {std::string("a,b\0c,d", 7), 3, '0', ""}};
  // clang-format on
  for (const auto& [line, num, mode, want] : cases) EXPECT_EQ(GetCSV(line, num, mode), want) << line;
}

class Import : public inproc::Test {};

// The definitions read from a general database, the fixed area counted as
// the reader counts it (a group's slot at its first button, types 12 and 14
// leave the group open), then a line written.
TEST_F(Import, WriteDBSlotsTextsAndRadioGroups) {
  // clang-format off
  const struct { std::vector<uint8_t> types, reserved; std::string line; Bytes body; } cases[] = {
      {{2, 2, 7, 8, 0}, {}, "\"ab\",\"c\",\"9:05\",\"1994/12/31\",\"5\"\n",
       Bytes().le16(12).le16(15).u8(0x21).u8(0x02).u8(0x5E).u8(0x0B).u8(0x1E).le16(5).u8(0).cstr("ab").cstr("c")},
      {{11, 9, 9, 9, 2}, {0, 1, 2, 3}, "\"0\",\"1\",\"0\",\"x\"\n", Bytes().le16(2).le16(5).u8(0).cstr("x")},
      // The last set button of a group wins; an unset group keeps the value.
      {{11, 9, 9, 11, 9, 9}, {0, 1, 2, 0, 5, 6}, "\"1\",\"1\",\"0\",\"0\"\n", Bytes().le16(2).le16(2).u8(0)},
      // In the record 12 and 14 end the group: its button writes no slot.
      {{11, 12, 9, 2}, {0, 0, 4}, "\"1\",\"t\"\n", Bytes().le16(5).le16(0).u8(0).cstr("t")},
      {{11, 14, 9, 2}, {0, 0, 4}, "\"1\",\"t\"\n", Bytes().le16(5).le16(0).u8(0).cstr("t")},
      {{2, 16, 14, 2}, {}, "\"a\",\"b\"\n", Bytes().le16(5).le16(7).u8(0).cstr("a").cstr("b")},
      // A text ends the group: the button after it is in none and writes nothing.
      {{11, 9, 2, 9, 2}, {0, 1, 0, 2}, "\"1\",\"t\",\"1\",\"u\"\n",
       Bytes().le16(1).le16(7).le16(9).u8(0).cstr("t").cstr("u")}};
  // clang-format on
  for (const auto& c : cases) {
    fixture::DbFile db('D');
    for (std::size_t i = 0; i < c.types.size(); ++i) {
      const unsigned reserved = i < c.reserved.size() ? c.reserved[i] : 0;  // cReserved1 of a radio button
      db.Add(6, 0, static_cast<int>(i),
             fixture::FieldDefBody(c.types[i], static_cast<unsigned>(i), 0, 0x20, reserved, 0, "f"));
    }
    ResetGlobals();
    OpenDatabase(db.Finish());
    SeekInfoLists seek;
    PFDC fdc = nullptr;
    Capture([&] { fdc = ReadField(nullptr, &seek); });
    OpenOutput();
    EXPECT_EQ(Capture([&] { WriteDB(fdc, &seek, c.line); }).status, 0);
    EXPECT_EQ(OutputBytes(), Record(11, 1, 0, c.body).v) << c.line;
  }
}

// Plain appointments filed one by one: a date's head is the last item that
// starts no later than every other, and its down chain runs by start time,
// equal times in filing order. Record numbers follow the filing order.
TEST_F(Import, FilingOrdersADateByStartTime) {
  StartCSV scsv;
  const auto file = [&](uint8_t day, int16_t start) {
    auto item = MakeCSVD(false);
    NonRepeaAppt& nra = *item->pnra;
    std::tie(nra.cYear, nra.cMonth, nra.cDay, nra.cFlags, nra.cRepeatType) = std::tuple(99, 0, day, 0x80, 1);
    nra.cStartTimePri1 = static_cast<uint8_t>(start & 0xFF);
    nra.cStartTimePri2 = static_cast<uint8_t>(start >> 8);
    FileItem(&scsv, std::move(item), nullptr);
  };
  file(1, 60), file(1, 500);  // an earlier date with a down chain of its own
  for (const int16_t start : {60, 120, 120, 90, 120, 60, 60, 90, 61, 30, 60}) file(2, start);
  for (const int16_t start : {60, 120, -32768, -32768, 90, 30}) file(3, start);  // -32768: no time
  std::vector<int> got;
  for (PCSVD h = scsv.start_csvd; h; h = h->pnext_csvd)
    for (PCSVD p = h; p; p = p == h ? h->pdown_csvd : p->pnext_csvd) got.push_back(p->iRecordNum);
  // Date 2, by filing order from 2: 60 heads; 120, 120 go down; 90 before
  // them; 120 last; 60 and 60 take the head in turn; 90 after the first 90;
  // 61 after the 60s; 30 takes the head; 60 after the other 60s. Date 3, from
  // 13: no time is the earliest start, so each untimed item takes the head;
  // 90 goes after 60, 30 after the untimed item that went down.
  EXPECT_EQ(got, (std::vector<int>{0, 1, 11, 8, 7, 2, 12, 10, 5, 9, 3, 4, 6, 16, 15, 18, 13, 17, 14}));
  EXPECT_EQ(state.iUserType14, 3);
}

}  // namespace
