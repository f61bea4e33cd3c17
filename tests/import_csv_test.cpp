// The CSV side of the import: field extraction in both modes, the cut of
// long texts, the repeat-rule texts, and how appointment, event and ToDo
// lines become items.
#include <string>
#include <vector>

#include "import_support.h"

namespace {

using importtest::Capture;
using importtest::ImportTest;

struct FieldCase {
  std::string line;
  int num;
  char mode;
  std::string want;
};

TEST(GetCSV, TakesFieldsInQuotedAndPlainMode) {
  const std::string lunch = "\"Lunch\",\"2000/01/05\",\"12:00\"\n";
  const std::vector<FieldCase> cases = {
      {lunch, 1, '"', "Lunch"},
      {lunch, 2, '"', "2000/01/05"},
      {lunch, 4, '"', ""},
      {"\"a\",123,\"b\"\n", 2, '"', "b"},  // unquoted text is no field
      {"\"\",x,\"c\"", 1, '"', ""},
      {"\"\",x,\"c\"", 2, '"', "c"},
      {"\"say \"\"hi\"\"\"", 1, '"', "say "},  // no escape: "" closes and reopens
      {"\"say \"\"hi\"\"\"", 2, '"', "hi"},
      {"\"say \"\"hi\"\"\"", 3, '"', ""},
      {"\"a\"\t\"b\"\n", 2, '"', "b"},          // separators are never looked at
      {"\"a\",\"bc\n", 2, '"', "bc\n"},         // a missing last quote runs to the end
      {"\"a,b\",\"c\"", 1, '"', "a,b"},
      {"", 1, '"', ""},
      {"\n", 2, '"', ""},
      {"a,,b\n", 1, '0', "a"},
      {"a,,b\n", 2, '0', ""},
      {"a,,b\n", 3, '0', "b"},  // the line feed is not part of the field
      {"a,,b\n", 4, '0', ""},
      {" \"x\" ,y", 1, '0', " \"x\" "},
      {"a\tb,c", 1, '0', "a\tb"},  // the comma is the only separator
      {",,x", 1, '0', ""},
      {"", 3, '0', ""},
      {"\n", 1, '0', ""},
      {std::string("a,b\0c,d", 7), 2, '0', "b"},  // a NUL ends the line
      {std::string("a,b\0c,d", 7), 3, '0', ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetCSV(c.line, static_cast<int16_t>(c.num), c.mode), c.want)
        << "line [" << c.line << "] field " << c.num << " mode " << c.mode;
  }
}

TEST(CutString, NeverSplitsATwoByteCharacter) {
  struct Case {
    std::string in;
    int cut;
    std::string want;
  };
  const std::string a49(49, 'a'), a50(50, 'a'), a51(51, 'a');
  const std::vector<Case> cases = {
      {std::string(60, 'a'), 51, a51},
      {a51, 51, a51},
      {a50 + "\xA4", 51, a50},                      // lead byte at index 50 of 51 bytes
      {a50 + "\xA4\xA2", 51, a50},                  // the pair would end past the limit
      {a49 + "\xA4\xA2" "b", 51, a49 + "\xA4\xA2"},  // the pair ends at the limit
      {a50 + "\x80" "x", 51, a50 + "\x80"},         // 0x80 is a character of its own
      {std::string(18, 'a') + "\xB0", 19, std::string(18, 'a')},
      {"\xA4", 19, "\xA4"},  // shorter than the limit: unchanged
      {"", 19, ""},
  };
  for (const auto& c : cases) {
    std::string s = c.in;
    EXPECT_EQ(CutString(s, 0, c.cut), c.want) << "input of " << c.in.size() << " bytes";
    EXPECT_EQ(s, c.want);
  }
}

TEST(RepeatRules, DayAndMonthTextsGiveTheirRules) {
  const std::vector<std::pair<std::string, int>> days = {
      {"", 0},        {"15", 15},        {"-1", -1},          {"MON", 129},   {"MON:WED", 133},
      {"2th/MON", 641}, {"1th/SUN", 448}, {"2th/MON:WED:FRI", 0x295},
      {"MON:TUE:WED:THU:FRI:SAT:SUN", 255}, {"MONMON", 129}, {"Monday", 128}, {"128", 128},
      {"1th/", 384},  {"200th/MON", 128 + 256 * 200 + 1 - 65536},  // kept modulo 2^16
  };
  for (const auto& d : days) EXPECT_EQ(GetRepeatDay(d.first), d.second) << d.first;

  const std::vector<std::pair<std::string, int>> months = {
      {"", 0},       {"0", 0},       {"5", 5},          {"12", 0},  {"JAN", 1},    {"JAN:JUL", 65},
      {"DEC", 1024}, {"NOV", 2048},  {"NOV:DEC", 3072}, {"jan", 0},
      {"JAN:FEB:MAR:APR:MAY:JUN:JUL:AUG:SEP:OCT:DEC:NOV", 4095},
  };
  for (const auto& m : months) EXPECT_EQ(GetRepeatMonth(m.first), m.second) << m.first;
}

// An appointment line with the given columns 1 to 12, or fewer.
std::string ApptLine(const std::vector<std::string>& cols, char sep = ',') {
  std::string line;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (i) line += sep;
    line += "\"" + cols[i] + "\"";
  }
  return line + "\n";
}

std::unique_ptr<CSVData> Appt(const std::string& line, int16_t nKind = 135) {
  auto item = MakeCSVD(1);
  CSVToNRAAppt(item.get(), line, nKind);
  return item;
}

class CSVToItem : public ImportTest {};

TEST_F(CSVToItem, LunchLineFillsEveryField) {
  auto item = Appt(ApptLine({"Lunch", "2000/01/05", "12:30", "13:00", "Office", "0", "", "0", "", "0", "", ""}));
  const NonRepeaAppt& n = *item->pnra;
  EXPECT_EQ(item->pszDescription, "Lunch");
  EXPECT_EQ(item->pszLocation, "Office");
  EXPECT_EQ(item->pszCategory, "");
  EXPECT_EQ(item->pszNote, "");
  EXPECT_EQ(n.cYear, 100);
  EXPECT_EQ(n.cMonth, 0);
  EXPECT_EQ(n.cDay, 4);
  EXPECT_EQ(n.cStartTimePri1, 0xEE);
  EXPECT_EQ(n.cStartTimePri2, 0x02);
  EXPECT_EQ(n.cEndTimeYear, 0x0C);
  EXPECT_EQ(n.cEndTimeMonth, 0x03);
  EXPECT_EQ(item->iStartTimeFlag, 0);
  EXPECT_EQ(item->iEndTimeFlag, 0);
  EXPECT_EQ(n.iEndDate, 0);
  EXPECT_EQ(n.iNoteRecNum, -1);
  EXPECT_EQ(n.iPrevRecNum, -1);
  EXPECT_EQ(n.iNextRecNum, -1);
  EXPECT_EQ(n.cFlags, 0x87);
  EXPECT_EQ(n.cRepeatType, 1);
  EXPECT_EQ(n.cLeadTimeDay, 5);
  EXPECT_EQ(n.cLeadTime, 0);
  const RepeatInformationAppt& r = *item->pria;
  EXPECT_EQ(r.cStartYear, 0xFF);  // empty repeat dates: no date
  EXPECT_EQ(r.cEndDay, 0xFF);
  EXPECT_EQ(r.cDelete, 0);
}

TEST_F(CSVToItem, TimeColumns) {
  struct Case {
    std::string text;
    unsigned lo, hi;
    int flag;
  };
  const std::vector<Case> cases = {
      {"NONE", 0xFF, 0xFF, 1}, {"", 0xFF, 0xFF, 1},     {"none", 0xFF, 0xFF, 1},
      {"12:00 NONE", 0xFF, 0xFF, 1}, {"9:05", 0x21, 0x02, 0}, {"00:00", 0, 0, 0},
      {"-1:00", 0xC4, 0xFF, 0},  // -60 minutes in two's complement
      {":30", 0x1E, 0x00, 0},    {"12::30", 0xD0, 0x02, 0}, {"12", 0xD0, 0x02, 0},
      {" 7:5x", 0xA9, 0x01, 0},  {"24:00", 0xA0, 0x05, 0},
      {"1092:16", 0x00, 0x00, 0},  // 65536 minutes, kept modulo 2^16
      {"99999:0", 0x44, 0x8D, 0},  // 99999 x 60 = 5999940 = 91 x 65536 + 36164
  };
  for (const auto& c : cases) {
    auto item = Appt(ApptLine({"t", "2000/01/05", c.text, c.text, "", "0", ""}));
    EXPECT_EQ(item->pnra->cStartTimePri1, c.lo) << c.text;
    EXPECT_EQ(item->pnra->cStartTimePri2, c.hi) << c.text;
    EXPECT_EQ(item->pnra->cEndTimeYear, c.lo) << c.text;
    EXPECT_EQ(item->pnra->cEndTimeMonth, c.hi) << c.text;
    EXPECT_EQ(item->iStartTimeFlag, c.flag) << c.text;
    EXPECT_EQ(item->iEndTimeFlag, c.flag) << c.text;
  }
}

TEST_F(CSVToItem, DateAndNumberColumns) {
  struct DateCase {
    std::string text;
    unsigned y, m, d;
  };
  const std::vector<DateCase> dates = {
      {"2000/01/05", 100, 0, 4}, {"2000//1///5", 100, 0, 4}, {"/2000/1/5", 100, 0, 4},
      {"1994/12/31", 94, 11, 30}, {"2000/3", 100, 2, 0xFF},  // a missing number is 0
      {"2000", 100, 0xFF, 0xFF},  {"", 0xFF, 0xFF, 0xFF},    {"1899/1/1", 0xFF, 0, 0},
      {"2156/1/1", 0, 0, 0},      {"67436/1/1", 0, 0, 0},   // 67436 - 1900 = 65536
  };
  for (const auto& c : dates) {
    auto item = Appt(ApptLine({"t", c.text, "", "", "", "0", ""}));
    EXPECT_EQ(item->pnra->cYear, c.y) << c.text;
    EXPECT_EQ(item->pnra->cMonth, c.m) << c.text;
    EXPECT_EQ(item->pnra->cDay, c.d) << c.text;
  }

  const std::vector<std::pair<std::string, unsigned>> numbers = {
      {"3", 3},         {"", 0},    {" -1", 65535}, {"65537", 1}, {"12abc", 12},
      {"+7", 7},        {"x9", 0},  {"99999999999999999999", 65535},  // 10^20 is a multiple of 2^16
  };
  for (const auto& c : numbers) {
    auto item = Appt(ApptLine({"t", "2000/01/05", "", "", "", c.first, ""}));
    EXPECT_EQ(item->pnra->iEndDate, c.second) << c.first;
  }
}

TEST_F(CSVToItem, RepeatTypeTable) {
  struct Case {
    std::string freq, day, month;
    int type;
  };
  const std::vector<Case> cases = {
      {"0", "", "", 1},          {"", "", "", 1},          {"1", "", "0", 2},
      {"257", "", "", 2},         // cFreq keeps the low 8 bits
      {"256", "", "", 1},        {"1", "MON:WED", "0", 4}, {"1", "15", "0", 8},
      {"1", "2th/MON", "0", 8},  {"1", "1th/", "0", 8},    {"1", "15", "JAN:JUL", 16},
      {"0", "15", "JAN:JUL", 32}, {"0", "", "DEC", 32},
      {"0", "15", "0", 0},        // day rule without frequency or month rule
      {"1", "MON", "JAN", 0},     // weekday set with a month rule
      {"1", "128", "0", 0},      {"1", "256", "0", 0},
  };
  for (const auto& c : cases) {
    auto item = Appt(ApptLine({"r", "2000/01/05", "", "", "", "0", "", c.freq, c.day, c.month, "2000/01/01",
                               "2000/12/31"}));
    EXPECT_EQ(item->pnra->cRepeatType, c.type) << c.freq << " / " << c.day << " / " << c.month;
  }
  auto item = Appt(ApptLine({"r", "2000/01/05", "", "", "", "0", "", "3", "2th/MON:WED:FRI", "NOV:DEC",
                             "2000/01/01", "2000/12/31", "7"}));
  const RepeatInformationAppt& r = *item->pria;
  EXPECT_EQ(r.cFreq, 3);
  EXPECT_EQ(r.Days, 0x95);
  EXPECT_EQ(r.Weeks, 2);
  EXPECT_EQ(r.Month1, 0);
  EXPECT_EQ(r.Month2, 0x0C);
  EXPECT_EQ(r.cStartYear, 100);
  EXPECT_EQ(r.cEndMonth, 11);
  EXPECT_EQ(r.cEndDay, 30);
  EXPECT_EQ(r.cDelete, 0);  // column 13 is not read
  EXPECT_EQ(item->pszDelRepeat.size(), 0u);
}

TEST_F(CSVToItem, ShortLinesGetRepeatDefaults) {
  const std::vector<std::string> base = {"s", "2000/01/05", "", "", "", "0", ""};
  struct Case {
    std::vector<std::string> extra;
    unsigned days, month1, sy, sm, ey;
    int type;
  };
  const std::vector<Case> cases = {
      {{}, 0, 0, 0, 0, 0, 1},  // 7 columns: no repeat columns, no defaults
      {{"1"}, 0, 0, 94, 0, 99, 2},
      {{"1", "MON"}, 0x81, 0, 94, 0, 99, 4},
      {{"1", "15", "JAN"}, 15, 1, 94, 0, 99, 16},
      {{"1", "15", "JAN", "2000/03/01"}, 15, 1, 100, 2, 99, 16},
      {{"1", "15", "JAN", "2000/03/01", "2001/01/01"}, 15, 1, 100, 2, 101, 16},
  };
  for (const auto& c : cases) {
    std::vector<std::string> cols = base;
    cols.insert(cols.end(), c.extra.begin(), c.extra.end());
    auto item = Appt(ApptLine(cols));
    const RepeatInformationAppt& r = *item->pria;
    SCOPED_TRACE(cols.size());
    EXPECT_EQ(r.Days, c.days);
    EXPECT_EQ(r.Month1, c.month1);
    EXPECT_EQ(r.cStartYear, c.sy);
    EXPECT_EQ(r.cStartMonth, c.sm);
    EXPECT_EQ(r.cEndYear, c.ey);
    EXPECT_EQ(item->pnra->cRepeatType, c.type);
  }
  // A comma inside a quoted text adds a column: the 8-column defaults apply.
  auto item = Appt("\"a,b\",\"2000/01/05\",\"\",\"\",\"\",\"0\",\"\"\n");
  EXPECT_EQ(item->pszDescription, "a,b");
  EXPECT_EQ(item->pria->cStartYear, 94);
  EXPECT_EQ(item->pria->cEndYear, 99);
  EXPECT_EQ(item->pnra->cRepeatType, 1);
}

TEST_F(CSVToItem, NarrowLinesWarnAndStillMakeAnItem) {
  const std::string six = ApptLine({"a", "2000/01/05", "", "", "Desk", "0"});
  std::unique_ptr<CSVData> item;
  auto o = Capture([&] { item = Appt(six); });
  EXPECT_EQ(o.err, "I can't understand follow this record. Please check !\n<<< " + six + " >>>\n");
  EXPECT_EQ(item->pszLocation, "Desk");
  EXPECT_EQ(item->pszNote, "");
  EXPECT_EQ(item->pnra->iNoteRecNum, -1);

  // Too short for the location: empty texts, no note, the end time as made.
  o = Capture([&] { item = Appt("\"a\",\"2000/01/05\",\"10:00\"\n"); });
  EXPECT_NE(o.err.find("<<< \"a\",\"2000/01/05\",\"10:00\"\n >>>\n"), std::string::npos);
  EXPECT_EQ(item->pszLocation, "");
  EXPECT_EQ(item->pnra->iNoteRecNum, -1);
  EXPECT_EQ(item->pnra->cStartTimePri1, 0x58);
  EXPECT_EQ(item->pnra->cEndTimeYear, 0);
  EXPECT_EQ(item->pnra->cRepeatType, 1);

  o = Capture([&] { item = Appt(ApptLine({"a", "2000/01/05", "", "", "", "0", ""})); });
  EXPECT_EQ(o.err, "");
}

TEST_F(CSVToItem, TabSeparatedLinesCountTabs) {
  iTAB = 2;
  const std::vector<std::string> cols = {"Lunch", "2000/01/05", "12:30", "13:00", "Office", "0", "a\\nb"};
  std::unique_ptr<CSVData> item;
  auto o = Capture([&] { item = Appt(ApptLine(cols, '\t')); });
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(item->pszLocation, "Office");
  EXPECT_EQ(item->pszNote, "a\r\nb");
  EXPECT_EQ(item->pnra->iNoteRecNum, 0);  // a note will be written

  // Commas do not count as separators here: one column only.
  o = Capture([&] { item = Appt(ApptLine(cols)); });
  EXPECT_NE(o.err.find("Please check !"), std::string::npos);
  EXPECT_EQ(item->pszDescription, "Lunch");
  EXPECT_EQ(item->pnra->cYear, 0);  // column 2 is not read
}

TEST_F(CSVToItem, LongTextsAreCut) {
  const std::string desc = std::string(50, 'd') + "\xB0\xA1";
  const std::string loc = std::string(17, 'l') + "\xB0\xA1" "x";
  auto item = Appt(ApptLine({desc, "2000/01/05", "", "", loc, "0", ""}));
  EXPECT_EQ(item->pszDescription, std::string(50, 'd'));
  EXPECT_EQ(item->pszLocation, std::string(17, 'l') + "\xB0\xA1");
}

std::unique_ptr<CSVData> ToDo(const std::string& line) {
  auto item = MakeCSVD(1);
  CSVToNRAToDo(item.get(), line, 20);
  return item;
}

TEST_F(CSVToItem, ToDoLines) {
  auto item = ToDo(ApptLine({"Buy", "2000/01/10", "0", "2000/02/01", "2", "call\\nback", "0", "", "0", "", ""}));
  const NonRepeaAppt& n = *item->pnra;
  EXPECT_EQ(item->pszDescription, "Buy");
  EXPECT_EQ(n.cFlags, 0x16);
  EXPECT_EQ(n.cYear, 100);
  EXPECT_EQ(n.cDay, 9);
  EXPECT_EQ(n.cEndTimeYear, 100);
  EXPECT_EQ(n.cEndTimeMonth, 1);
  EXPECT_EQ(n.cLeadTimeDay, 0);
  EXPECT_EQ(n.cStartTimePri1, '2');
  EXPECT_EQ(n.cStartTimePri2, 0);
  EXPECT_EQ(item->pszNote, "call\r\nback");
  EXPECT_EQ(n.iNoteRecNum, 0);
  EXPECT_EQ(n.cLeadTime, 0xFF);
  EXPECT_EQ(n.cRepeatType, 1);
  EXPECT_EQ(n.iPrevRecNum, -1);
  EXPECT_EQ(item->pszLocation, "");

  item = ToDo(ApptLine({"Sum", "2000/01/10", "4", "", "", "", "1", "MON", "0", "2000/01/03", "2000/12/25"}));
  EXPECT_EQ(item->pnra->cFlags, 0x14);
  EXPECT_EQ(item->pnra->cEndTimeYear, 0xFF);
  EXPECT_EQ(item->pnra->cLeadTimeDay, 0xFF);
  EXPECT_EQ(item->pnra->cStartTimePri1, '1');  // empty priority
  EXPECT_EQ(item->pnra->iEndDate, 4);
  EXPECT_EQ(item->pnra->iNoteRecNum, -1);
  EXPECT_EQ(item->pnra->cRepeatType, 4);
  EXPECT_EQ(item->pria->cStartDay, 2);
  EXPECT_EQ(item->pria->cEndMonth, 11);

  // A short ToDo line: no warning, no note.
  std::unique_ptr<CSVData> shortItem;
  const auto o = Capture([&] { shortItem = ToDo("\"AB\",\"2000/01/10\",\"0\",\"\",\"AB\"\n"); });
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(shortItem->pnra->cStartTimePri1, 'A');
  EXPECT_EQ(shortItem->pnra->iNoteRecNum, -1);
}

class ReadCSVTest : public ImportTest {};

TEST_F(ReadCSVTest, KindPerOptionsAndEveryLineIsAnItem) {
  struct Case {
    int16_t appt, event, todo, alarm;
    uint8_t flags, kind;
  };
  const std::vector<Case> cases = {
      {1, 0, 0, 7, 0x87, KIND_APPT}, {1, 0, 0, 0, 0x80, KIND_APPT}, {1, 1, 0, 3, 0x26, KIND_EVENT},
      {0, 1, 0, 7, 0x26, KIND_EVENT}, {0, 1, 1, 7, 0x14, KIND_TODO}, {1, 1, 4, 7, 0x14, KIND_TODO},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    bInterceptExit = true;
    iAppt = c.appt;
    iEvent = c.event;
    iToDo = c.todo;
    iAlarm = c.alarm;
    // A NUL ends the first line; an empty line and a last line without a
    // line feed are lines like any other.
    static constexpr char kText[] = "\"x\",\"2000/01/05\",\"\",\"\",\"\",\"0\",\"\"\0junk\n\n\"y\"";
    OpenCSV(std::string(kText, sizeof kText - 1));
    StartCSV scsv;
    SeekInfoLists seek;
    const auto o = Capture([&] { ReadCSV(nullptr, &scsv, &seek); });
    ASSERT_EQ(o.status, 0);
    ASSERT_EQ(scsv.items.size(), 3u);
    for (const auto& item : scsv.items) {
      EXPECT_EQ(item->cKind, c.kind);
      EXPECT_EQ(item->pnra->cFlags, c.flags);
    }
    EXPECT_EQ(scsv.items[0]->pszDescription, "x");
    EXPECT_EQ(scsv.items[1]->pszDescription, "");
    EXPECT_EQ(scsv.items[2]->pszDescription, "y");
    EXPECT_EQ(iDataNum, 3);
  }
}

TEST_F(ReadCSVTest, LongLinesAreReadWhole) {
  const std::string note(20000, 'n');
  OpenCSV(ApptLine({"long", "2000/01/05", "", "", "", "0", note}));
  StartCSV scsv;
  SeekInfoLists seek;
  ReadCSV(nullptr, &scsv, &seek);
  ASSERT_EQ(scsv.items.size(), 1u);
  EXPECT_EQ(scsv.items[0]->pszNote, note);
}

}  // namespace
