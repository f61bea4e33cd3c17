// The export: repeat-rule texts, the time rule and the date key in-process;
// the text of a small appointment book through the whole program in every
// layout and under the kind, date and note options.
#include <algorithm>

#include "inproc.h"
#include "runner.h"

namespace {

using fixture::Appt;

TEST(ExportText, RepeatRuleTexts) {
  const struct {
    int16_t iDay;
    const char* text;
  } days[] = {
      {0, "0"},
      {-300, "-300"},
      {0x0081, "MON"},
      {0x0295, "2th/MON:WED:FRI"},
      {0x00FF, "MON:TUE:WED:THU:FRI:SAT:SUN"},
      {0x0105, "1th/"},
      {0x7FC0, "127th/SUN"},
  };
  for (const auto& c : days) EXPECT_EQ(ReadRepeatDay(c.iDay), c.text) << c.iDay;
  const struct {
    uint16_t iMonth;
    const char* text;
  } months[] = {
      {0x0000, "0"},
      {0x0001, "JAN"},
      {0x0C00, "DEC:NOV"},
      {0x1000, ""},
      {0x0480, "AUG:DEC"},
      // Negative rules: remainder and quotient truncate toward zero.
      {0xFFFF, "JAN:FEB:MAR:APR:MAY:JUN:JUL:AUG"},
      {0x8001, "JAN:SEP"},
  };
  for (const auto& c : months) EXPECT_EQ(ReadRepeatMonth(static_cast<int16_t>(c.iMonth)), c.text) << c.iMonth;
}

std::unique_ptr<CSVData> Item(const std::string& desc, uint8_t cYear, uint8_t cMonth, uint8_t cDay) {
  auto p = std::make_unique<CSVData>();
  p->pnra =
      std::make_unique<NonRepeaAppt>(NonRepeaAppt{0, 0, 0, 0, 0, 0, 0, 0, cYear, cMonth, cDay, 0, 0, 0, 0, 0, 0, 0, 1});
  p->cKind = KIND_APPT;
  p->pszDescription = desc;
  return p;
}

class ExportUnit : public inproc::Test {};

TEST_F(ExportUnit, TimeRule) {
  const struct {
    uint8_t lo, hi;
    std::string text;
  } cases[] = {
      {0x00, 0x00, "00:00"},  {0x01, 0x01, "04:17"}, {0xA0, 0x05, "24:00"},
      {0xFF, 0x7F, "546:07"}, {0x00, 0x80, "NONE"},  {0x01, 0x80, "NONE"},
  };
  MutableOptions().iCSV = 1;
  for (const auto& c : cases) {
    auto p = Item("T", 100, 5, 14);
    p->pnra->cStartTimePri1 = p->pnra->cEndTimeYear = c.lo;
    p->pnra->cStartTimePri2 = p->pnra->cEndTimeMonth = c.hi;
    EXPECT_EQ(inproc::Capture([&] { WriteCSV(p.get()); }).out, "T,2000/06/15," + c.text + "," + c.text + ",,0,\n");
  }
}

TEST_F(ExportUnit, DateKeyAndDownChainsJudgedByTheirHead) {
  const struct {
    uint8_t y, m, d;
    int32_t key;
  } cases[] = {
      {100, 98, 0, 20009901}, {100, 99, 0, 200010001},       {100, 0, 254, 200001255},
      {0xFF, 0, 0, 21550101}, {0xFF, 0xFF, 0xFF, INT32_MIN}, {255, 200, 200, INT32_MIN},
  };
  MutableOptions().iCSV = 1;
  StartCSV scsv;
  for (const auto& c : cases) {  // printed from its key on, not after it
    auto p = Item("k", c.y, c.m, c.d);
    scsv.start_csvd = p.get();
    MutableOptions().lCutStart = MutableOptions().lCutEnd = c.key;
    EXPECT_NE(inproc::Capture([&] { OutputData(&scsv); }).out, "") << c.key;
    MutableOptions().lCutStart = c.key + 1;
    MutableOptions().lCutEnd = std::max(opt.lCutStart, 22000101);
    EXPECT_EQ(inproc::Capture([&] { OutputData(&scsv); }).out, "") << c.key;
  }
  auto head = Item("head", 100, 0, 0), down = Item("down", 150, 0, 0);
  auto late = Item("late", 101, 0, 0), lateDown = Item("lateDown", 100, 0, 1), other = Item("other", 100, 6, 0);
  other->pnra->cRepeatType = 2;
  other->pria = std::make_unique<RepeatInformationAppt>();
  head->pdown_csvd = down.get();
  head->pnext_csvd = late.get();
  late->pdown_csvd = lateDown.get();
  scsv.start_csvd = head.get();
  scsv.other_csvd = other.get();
  MutableOptions().lCutStart = 20000101;
  MutableOptions().lCutEnd = 20001231;
  EXPECT_EQ(inproc::Capture([&] { OutputData(&scsv); }).out,
            "other,2000/07/01,00:00,00:00,,0,,0,0,0,1900/01/01,1900/01/01,0\n"
            "head,2000/01/01,00:00,00:00,,0,\ndown,2050/01/01,00:00,00:00,,0,\n");
}

// Note 0; then Meeting and Early (same date, Early earlier, so Early heads
// the date), Weekly (repeats), Party (event), Buy milk (ToDo) and Old.
std::vector<unsigned char> Book() {
  fixture::DbFile db;
  db.Add(9, 0, 0, inproc::Text("a\r\nb"));
  Appt m, w, p, t, o;
  m.cYear = 100;
  m.cMonth = 5;
  m.cDay = 14;
  m.description = "Meeting";
  m.category = "Work";
  m.location = "Room 2";
  db.Add(11, 0, 0, m.start(570).end(600).Encode());
  m.description = "Early";
  m.location = "";
  m.note = 0;
  db.Add(11, 0, 1, m.start(480).end(510).Encode());
  w.description = "Weekly";
  w.cRepeatType = 2;
  w.repeats = true;
  const unsigned char ria[12] = {1, 0x85, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0};
  std::copy(ria, ria + 12, w.ria);
  db.Add(11, 0, 2, w.start(600).end(660).Encode());
  p.cFlags = 0x26;
  p.cYear = 100;
  p.cMonth = 6;
  p.description = "Party";
  p.location = "Hall";
  db.Add(11, 0, 3, p.Encode());
  t.cFlags = 0x14;
  t.cYear = 100;
  t.cMonth = 2;
  t.cDay = 9;
  t.t1 = '1';
  t.t2 = 0;
  t.lead = 0xFF;
  t.description = "Buy milk";
  t.location = "Store";
  db.Add(11, 0, 4, t.Encode());
  o.cYear = 99;
  o.cMonth = 11;
  o.cDay = 30;
  o.description = "Old";
  o.location = "50% A&B #1";
  db.Add(11, 0, 5, o.start(0).end(60).Encode());
  return db.Finish();
}

const std::string W =
    "\"Weekly\",\"2000/01/01\",\"10:00\",\"11:00\",\"\",\"0\",\"\",\"1\",\"MON:WED\",\"0\",\"2000/01/01\","
    "\"2000/12/31\",\"0\"\n";
const std::string O = "\"Old\",\"1999/12/31\",\"00:00\",\"01:00\",\"50% AB 1\",\"0\",\"\"\n";
const std::string E = "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a\\nb\"\n";
const std::string M = "\"Meeting\",\"2000/06/15\",\"09:30\",\"10:00\",\"Room 2\",\"0\",\"\"\n";
const std::string P = "\"Party\",\"2000/07/01\",\"NONE\",\"NONE\",\"Hall\",\"0\",\"\"\n";

TEST(ExportEndToEnd, OptionsAndLayouts) {
  const struct {
    std::vector<std::string> options;
    std::string out;
  } cases[] = {
      {{}, W + O + E + M},
      {{"-a2"}, O + E + M},
      {{"-a3"}, W},
      {{"-e", "-a"}, W + O + E + M + P},
      {{"-a", "-e"}, P},
      {{"-t"}, "\"Buy milk\",\"2000/03/10\",\"0\",\"\",\"1\",\"\"\n"},
      {{"-t3"}, ""},
      {{"-t4"}, "\"Buy milk\",\"2000/03/10\",\"\",\"\",\"\",\"0\",\"\"\n"},
      {{"-a2", "-s0"}, ""},
      {{"-g000101", "-f001231"}, W + E + M},
      {{"-g20000616", "-e", "-a"}, P},
      {{"-a2", "-n1", "-g000615"}, "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a  b\"\n" + M},
      {{"-a2", "-n0", "-g000615"}, "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a\nb\"\n" + M},
      // Old alone, in each layout: "&" and "#" dropped from its location.
      {{"-a2", "-f991231", "-c1"}, "Old,1999/12/31,00:00,01:00,50% AB 1,0,\n"},
      {{"-a2", "-f991231", "-c0"}, "Old\n1999/12/31\n00:00\n01:00\n50% AB 1\n0\n\n\n"},
      {{"-a2", "-f991231", "-b"}, "\"Old\"\t\"1999/12/31\"\t\"00:00\"\t\"01:00\"\t\"50% AB 1\"\t\"0\"\t\"\"\n\n"},
      {{"-a2", "-f991231", "-b", "-c1"}, O},  // quotes from -b, commas from -c1
  };
  fixture::ScratchDir dir;
  dir.Write("book.dat", Book());
  for (auto c : cases) {
    c.options.push_back("-xbook.dat");
    const fixture::RunResult r = fixture::RunKalvert(dir, c.options);
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(0, c.out)) << c.options[0] << r.err;
  }
}

}  // namespace
