// The import in-process: CSV fields, the repeat type of odd repeat columns,
// and general-database records written from lines, checked byte for byte.
#include <deque>

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

// The item of a line of the quoted columns.
std::unique_ptr<CSVData> Appt(const std::vector<std::string>& cols) {
  std::string line;
  for (const std::string& c : cols) line += (line.empty() ? "\"" : ",\"") + c + "\"";
  auto item = MakeCSVD(1);
  CSVToNRAAppt(item.get(), line + "\n", 135);
  return item;
}

class Import : public inproc::Test {};

// The repeat type of odd columns; cFreq keeps its low 8 bits (the types of
// the columns an export writes are the legacy round trip's).
TEST_F(Import, RepeatTypeOfOddColumns) {
  const std::tuple<std::string, std::string, std::string, int> cases[] = {
      {"0", "", "", 1}, {"257", "", "", 2}, {"256", "", "", 1}, {"1", "MON", "JAN", 0}, {"1", "128", "0", 0}};
  for (const auto& [freq, day, month, type] : cases) {
    auto item = Appt({"r", "2000/01/05", "", "", "", "0", "", freq, day, month, "2000/01/01", "2000/12/31"});
    EXPECT_EQ(item->pnra->cRepeatType, type) << freq << "/" << day << "/" << month;
  }
}

TEST_F(Import, WriteDBSlotsTextsAndRadioGroups) {
  // clang-format off
  const struct { std::vector<uint8_t> types, reserved; int slots; std::string line; Bytes body; } cases[] = {
      {{2, 2, 7, 8, 0}, {}, 11, "\"ab\",\"c\",\"9:05\",\"1994/12/31\",\"5\"\n",
       Bytes().le16(12).le16(15).u8(0x21).u8(0x02).u8(0x5E).u8(0x0B).u8(0x1E).le16(5).u8(0).cstr("ab").cstr("c")},
      {{11, 9, 9, 9, 2}, {0, 1, 2, 3}, 4, "\"0\",\"1\",\"0\",\"x\"\n", Bytes().le16(2).le16(5).u8(0).cstr("x")},
      // The last set button of a group wins; an unset group keeps the value.
      {{11, 9, 9, 11, 9, 9}, {0, 1, 2, 0, 5, 6}, 4, "\"1\",\"1\",\"0\",\"0\"\n", Bytes().le16(2).le16(2).u8(0)},
      {{11, 12, 9, 2}, {0, 0, 4}, 4, "\"1\",\"t\"\n", Bytes().le16(5).le16(0).u8(0).cstr("t")},  // 12 ends the group
      {{2, 16, 14, 2}, {}, 4, "\"a\",\"b\"\n", Bytes().le16(5).le16(7).u8(0).cstr("a").cstr("b")}};
  // clang-format on
  for (const auto& c : cases) {
    std::deque<FieldDefineChain> defs;
    for (std::size_t i = 0; i < c.types.size(); ++i) {
      const uint8_t reserved = i < c.reserved.size() ? c.reserved[i] : 0;  // cReserved1 of a radio button
      defs.emplace_back().pfd =
          std::make_unique<FieldDefine>(FieldDefine{c.types[i], static_cast<uint8_t>(i), 0, 0x20, reserved, 0});
      if (i) defs[i - 1].pnext_fdc = &defs.back();
    }
    state.iOffsetLength = static_cast<int16_t>(c.slots);
    state.iDataNum = 0;
    if (files.fpout) std::fclose(files.fpout);
    OpenOutput();
    SeekInfoLists seek;
    EXPECT_EQ(Capture([&] { WriteDB(&defs.front(), &seek, c.line); }).status, 0);
    EXPECT_EQ(OutputBytes(), Record(11, 1, 0, c.body).v) << c.line;
  }
}

}  // namespace
