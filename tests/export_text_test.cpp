// Repeat-rule texts, field quoting and the line layouts of the text output,
// checked in-process on hand-made items.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>

#include "kalvert.h"

namespace {

class ExportText : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    bInterceptExit = true;
  }
};

std::string Stdout(const std::function<void()>& run) {
  testing::internal::CaptureStdout();
  run();
  return testing::internal::GetCapturedStdout();
}

std::unique_ptr<CSVData> Item(uint8_t cKind, const std::string& szDesc, uint8_t cYear = 100, uint8_t cMonth = 5,
                              uint8_t cDay = 14) {
  auto p = std::make_unique<CSVData>();
  p->pnra = std::make_unique<NonRepeaAppt>();
  p->cKind = cKind;
  p->pszDescription = szDesc;
  p->pnra->cRepeatType = 1;
  p->pnra->cYear = cYear;
  p->pnra->cMonth = cMonth;
  p->pnra->cDay = cDay;
  return p;
}

void MakeRepeat(CSVData* p, RepeatInformationAppt r) {
  p->pnra->cRepeatType = 2;
  p->pria = std::make_unique<RepeatInformationAppt>(r);
}

TEST(ExportRepeatText, DayRule) {
  const struct { int16_t iDay; const char* text; } cases[] = {
      {0, "0"}, {128, "128"}, {-300, "-300"}, {0x0081, "MON"}, {0x0295, "2th/MON:WED:FRI"},
      {0x00FF, "MON:TUE:WED:THU:FRI:SAT:SUN"}, {0x0105, "1th/"}, {0x0085, "MON:WED"},
      {0x7FC0, "127th/SUN"}, {0x00C1, "MON:SUN"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadRepeatDay(c.iDay), c.text) << c.iDay;
}

TEST(ExportRepeatText, MonthRule) {
  const struct { uint16_t iMonth; const char* text; } cases[] = {
      {0x0000, "0"}, {0x0001, "JAN"}, {0x0C00, "DEC:NOV"},
      {0x0FFF, "JAN:FEB:MAR:APR:MAY:JUN:JUL:AUG:SEP:OCT:DEC:NOV"}, {0x1000, ""}, {0x0480, "AUG:DEC"},
      // Negative rules: remainder and quotient truncate toward zero.
      {0xFFFF, "JAN:FEB:MAR:APR:MAY:JUN:JUL:AUG"}, {0x8001, "JAN:SEP"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadRepeatMonth(static_cast<int16_t>(c.iMonth)), c.text) << c.iMonth;
}

TEST_F(ExportText, PrintStringInEveryLayout) {
  const struct { int16_t iCSV, iTAB; const char* line; } cases[] = {
      {2, 0, "\"AB 1\",\"50%\"\n"},
      {1, 0, "AB 1,50%\n"},
      {0, 0, "AB 1\n50%\n\n"},
      {0, 2, "\"AB 1\"\t\"50%\"\n\n"},
      {1, 2, "\"AB 1\",\"50%\"\n"},  // -b then -c1: quotes from iTAB, commas from iCSV
  };
  for (const auto& c : cases) {
    iCSV = c.iCSV;
    iTAB = c.iTAB;
    std::string sz;
    PrintString("A&B #1", sz, 1);
    PrintString("5&0%#", sz, 0);
    EXPECT_EQ(sz, c.line) << c.iCSV << "/" << c.iTAB;
  }
}

TEST_F(ExportText, TimeRule) {
  const struct { uint8_t lo, hi; const char* text; } cases[] = {
      {0x00, 0x00, "00:00"}, {0x00, 0x01, "04:16"}, {0x01, 0x01, "04:17"}, {0x00, 0x05, "21:20"},
      {0xA0, 0x05, "24:00"}, {0xFF, 0x7F, "546:07"}, {0x00, 0x80, "NONE"}, {0xFF, 0xFF, "NONE"},
      {0x01, 0x80, "NONE"},
  };
  iCSV = 1;
  for (const auto& c : cases) {
    auto p = Item(KIND_APPT, "T");
    p->pnra->cStartTimePri1 = c.lo;
    p->pnra->cStartTimePri2 = c.hi;
    p->pnra->cEndTimeYear = c.lo;
    p->pnra->cEndTimeMonth = c.hi;
    const std::string t = c.text;
    EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), "T,2000/06/15," + t + "," + t + ",,0,\n");
  }
}

// Repeat dates are written whatever the bytes hold; counts are signed.
TEST_F(ExportText, RepeatColumnsOfOddBlocks) {
  auto p = Item(KIND_APPT, "R");
  p->pnra->iEndDate = 65535;
  MakeRepeat(p.get(), {-3, 0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, -2});
  iCSV = 1;
  EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), "R,2000/06/15,00:00,00:00,,65535,,-3,0,JAN,2155/256/256,1900/01/01,-2\n");
}

TEST_F(ExportText, NoteRuleAndNoDate) {
  auto p = Item(KIND_APPT, "N", 0xFF, 0, 0);
  p->pnra->cStartTimePri2 = 0x80;
  p->pnra->cEndTimeMonth = 0x80;
  p->pszNote = "a\r\nb";
  iCSV = 1;
  const struct { int16_t iNote; const char* note; } cases[] = {
      {2, "a\\nb"}, {1, "a  b"}, {0, "a\r\nb"},
  };
  for (const auto& c : cases) {
    iNote = c.iNote;
    EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), std::string("N,,NONE,NONE,,0,") + c.note + "\n");
  }
}

TEST_F(ExportText, TodoLayouts) {
  auto p = Item(KIND_TODO, "Buy", 100, 2, 9);
  p->pnra->cStartTimePri1 = 'A';
  p->pnra->cStartTimePri2 = 'b';
  p->pnra->cEndTimeYear = 100;
  p->pnra->cEndTimeMonth = 3;
  p->pnra->cLeadTimeDay = 0;
  p->pnra->iEndDate = 7;
  p->pszNote = "n";
  iAppt = 0;
  iCSV = 1;
  iToDo = 1;
  EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), "Buy,2000/03/10,7,2000/04/01,Ab,n\n");
  p->pnra->cStartTimePri2 = 0;
  p->pnra->cLeadTimeDay = 0xFF;
  EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), "Buy,2000/03/10,7,,A,n\n");
  MakeRepeat(p.get(), {2, 0, 0, 0, 4, 100, 0, 0, 101, 0, 0, 1});
  iToDo = 4;
  EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), "Buy,2000/03/10,,,,7,n,2,0,DEC,2000/01/01,2001/01/01,1\n");
  // With an appointment or event selection every item takes the appointment layout.
  iEvent = 1;
  EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }),
            "Buy,2000/03/10,01:05,14:28,,7,n,2,0,DEC,2000/01/01,2001/01/01,1\n");
  iFileType = 1;
  EXPECT_EQ(Stdout([&] { WriteCSV(p.get()); }), "");
}

// Items of a down chain are judged by their head's date; other_csvd comes first.
TEST_F(ExportText, OutputOrderAndDateRange) {
  auto head = Item(KIND_APPT, "head", 100, 0, 0);
  auto down = Item(KIND_APPT, "down", 150, 0, 0);
  auto late = Item(KIND_APPT, "late", 101, 0, 0);
  auto lateDown = Item(KIND_APPT, "lateDown", 100, 0, 1);
  auto other = Item(KIND_APPT, "other", 100, 6, 0);
  MakeRepeat(other.get(), {});
  head->pdown_csvd = down.get();
  head->pnext_csvd = late.get();
  late->pdown_csvd = lateDown.get();
  StartCSV scsv;
  scsv.start_csvd = head.get();
  scsv.other_csvd = other.get();
  iCSV = 0;
  lCutStart = 20000101;
  lCutEnd = 20001231;
  const std::string out = Stdout([&] { OutputData(&scsv); });
  EXPECT_EQ(out.substr(0, out.find('\n')), "other");
  EXPECT_NE(out.find("\n\nhead\n"), std::string::npos);
  EXPECT_NE(out.find("\n\ndown\n"), std::string::npos);
  EXPECT_LT(out.find("\n\nhead\n"), out.find("\n\ndown\n"));
  EXPECT_EQ(out.find("late"), std::string::npos);
}

TEST_F(ExportText, KindFilterModes) {
  auto appt = Item(KIND_APPT, "appt");
  auto reptAppt = Item(KIND_APPT, "reptAppt");
  MakeRepeat(reptAppt.get(), {});
  auto zeroType = Item(KIND_APPT, "zeroType");
  zeroType->pnra->cRepeatType = 0;
  zeroType->pria = std::make_unique<RepeatInformationAppt>();
  auto event = Item(KIND_EVENT, "event");
  auto todo = Item(KIND_TODO, "todo");
  auto reptTodo = Item(KIND_TODO, "reptTodo");
  MakeRepeat(reptTodo.get(), {});
  auto none = Item(0, "none");
  PCSVD chain[] = {appt.get(), reptAppt.get(), zeroType.get(), event.get(), todo.get(), reptTodo.get(), none.get()};
  for (std::size_t i = 0; i + 1 < std::size(chain); ++i) chain[i]->pnext_csvd = chain[i + 1];
  StartCSV scsv;
  scsv.other_csvd = chain[0];

  // Repeat type 0 passes mode 1 only; an undecoded item never passes.
  const struct { int16_t a, e, t; const char* names; } cases[] = {
      {1, 0, 0, "appt reptAppt zeroType "}, {2, 0, 0, "appt "}, {3, 0, 0, "reptAppt "},
      {1, 1, 0, "appt reptAppt zeroType event "}, {0, 0, 3, "reptTodo "}, {0, 0, 4, "todo reptTodo "},
  };
  iCSV = 1;
  for (const auto& c : cases) {
    iAppt = c.a;
    iEvent = c.e;
    iToDo = c.t;
    std::string out = Stdout([&] { OutputData(&scsv); });
    std::string names;
    for (std::size_t at = 0; at < out.size(); at = out.find('\n', at) + 1) names += out.substr(at, out.find(',', at) - at) + " ";
    EXPECT_EQ(names, c.names) << c.a << c.e << c.t;
  }
}

TEST_F(ExportText, DateKey) {
  const struct { uint8_t y, m, d; int32_t key; } cases[] = {
      {100, 98, 0, 20009901}, {100, 99, 0, 200010001}, {100, 0, 254, 200001255},
      {0xFF, 0, 0, 21550101}, {0xFF, 0xFF, 0xFF, INT32_MIN}, {100, 150, 150, 2000151151},
      {255, 200, 200, INT32_MIN},
  };
  iCSV = 1;
  for (const auto& c : cases) {
    auto p = Item(KIND_APPT, "k", c.y, c.m, c.d);
    StartCSV scsv;
    scsv.start_csvd = p.get();
    lCutStart = lCutEnd = c.key;
    EXPECT_NE(Stdout([&] { OutputData(&scsv); }), "") << c.key;
    lCutStart = c.key + 1;
    lCutEnd = lCutStart > 22000101 ? lCutStart : 22000101;
    EXPECT_EQ(Stdout([&] { OutputData(&scsv); }), "") << c.key;
  }
}

}  // namespace
