// Item list: making items and filing them in date and start-time order, seen
// directly in the chains and through the order of the exported lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbbuilder.h"
#include "reader_support.h"
#include "runner.h"

namespace {

using readertest::ReaderTest;

struct ItemDef {
  std::string name;
  unsigned year, month, day;
  int minutes;  // -1: no start time (0xFF 0xFF)
  unsigned flags = 0x87;
  int repeat = 1;
  unsigned endDate = 0;
};

std::unique_ptr<CSVData> Item(const ItemDef& s) {
  auto item = MakeCSVD(static_cast<int8_t>(s.repeat - 1));
  item->pszDescription = s.name;
  NonRepeaAppt& n = *item->pnra;
  n.cYear = static_cast<uint8_t>(s.year);
  n.cMonth = static_cast<uint8_t>(s.month);
  n.cDay = static_cast<uint8_t>(s.day);
  const unsigned t = static_cast<unsigned>(s.minutes) & 0xFFFF;
  n.cStartTimePri1 = static_cast<uint8_t>(t & 0xFF);
  n.cStartTimePri2 = static_cast<uint8_t>(t >> 8);
  n.cFlags = static_cast<uint8_t>(s.flags);
  n.cRepeatType = static_cast<int8_t>(s.repeat);
  n.iEndDate = static_cast<uint16_t>(s.endDate);
  return item;
}

std::string Names(PCSVD p) {
  std::string s;
  for (; p; p = p->pnext_csvd) s += p->pszDescription;
  return s;
}

// "head[down...]" for each date head of start_csvd.
std::string Heads(PCSVD p) {
  std::string s;
  for (; p; p = p->pnext_csvd) s += p->pszDescription + "[" + Names(p->pdown_csvd) + "]";
  return s;
}

class FilingTest : public ReaderTest {
 protected:
  void File(const std::vector<ItemDef>& defs) {
    for (const ItemDef& s : defs) AddUserType14(&scsv, Item(s), nullptr);
  }
  StartCSV scsv;
};

TEST(MakeCSVDTest, RepeatBlockOnlyForNonZeroFlag) {
  for (int flag : {0, 1, -1, 127, -128}) {
    auto item = MakeCSVD(static_cast<int8_t>(flag));
    ASSERT_NE(item->pnra, nullptr);
    EXPECT_EQ(item->pria != nullptr, flag != 0) << flag;
    EXPECT_EQ(item->pnra->iNoteRecNum, 0);
    EXPECT_EQ(item->pnra->iPrevRecNum, 0);
    EXPECT_EQ(item->pnra->cFlags, 0);
    EXPECT_EQ(item->cKind, 0);
    EXPECT_TRUE(item->pszDescription.empty());
    EXPECT_EQ(item->pdown_csvd, nullptr);
    EXPECT_EQ(item->pnext_csvd, nullptr);
    if (item->pria) {
      EXPECT_EQ(item->pria->cFreq, 0);
      EXPECT_EQ(item->pria->cDelete, 0);
    }
  }
}

TEST_F(FilingTest, TiesOnOneDateGiveLastFiledHeadThenTimeOrder) {
  File({{"A", 100, 0, 4, 600}, {"B", 100, 0, 4, 660}, {"C", 100, 0, 4, 600}, {"D", 100, 0, 4, 660},
        {"E", 100, 0, 4, 600}});
  EXPECT_EQ(Heads(scsv.start_csvd), "E[CABD]");
  EXPECT_EQ(scsv.other_csvd, nullptr);
  EXPECT_EQ(iUserType14, 1);
  EXPECT_EQ(iDataNum, 5);
  // Record numbers follow the filing order, not the chain order.
  std::string order;
  for (const auto& it : scsv.items) order += it->pszDescription + std::to_string(it->iRecordNum);
  EXPECT_EQ(order, "A0B1C2D3E4");
  EXPECT_EQ(scsv.start_csvd->iFirstRecord, 4);
  for (PCSVD p = scsv.start_csvd->pdown_csvd; p; p = p->pnext_csvd) EXPECT_EQ(p->pdown_csvd, nullptr);
}

TEST_F(FilingTest, DatesOrderTheHeadsAndEarlierTimesTakeOver) {
  File({{"x", 100, 0, 4, 600}, {"y", 100, 0, 2, -1}, {"z", 100, 0, 4, 540}});
  EXPECT_EQ(Heads(scsv.start_csvd), "y[]z[x]");
  EXPECT_EQ(iUserType14, 2);
  EXPECT_EQ(iDataNum, 3);
}

TEST_F(FilingTest, MissingStartTimeHeadsItsDateAndMissingDateSortsLast) {
  File({{"t", 100, 0, 4, 600}, {"u", 100, 0, 4, 700}, {"n", 100, 0, 4, -1}, {"m", 0xFF, 0xFF, 0xFF, 0},
        {"a", 99, 11, 30, 0}});
  EXPECT_EQ(Heads(scsv.start_csvd), "a[]n[tu]m[]");
  EXPECT_EQ(iUserType14, 3);
}

TEST_F(FilingTest, OtherChainIsFlatByDateWithLatestFiledFirst) {
  File({{"r1", 100, 0, 4, 600, 0x87, 2},      // repeats
        {"e", 100, 0, 1, 600, 0x87, 1, 3},    // iEndDate not 0
        {"td", 100, 0, 4, 0, 0x14, 1},        // ToDo
        {"r2", 100, 0, 4, 900, 0x87, 2},      // same date as r1 and td
        {"k", 100, 0, 2, 0, 0x05, 1},         // no known kind
        {"nd", 0xFF, 0xFF, 0xFF, 0, 0x87, 0}});  // repeat type 0, no date
  EXPECT_EQ(scsv.start_csvd, nullptr);
  EXPECT_EQ(Names(scsv.other_csvd), "ekr2tdr1nd");
  for (PCSVD p = scsv.other_csvd; p; p = p->pnext_csvd) EXPECT_EQ(p->pdown_csvd, nullptr);
  EXPECT_EQ(iUserType14, 0);
  EXPECT_EQ(iDataNum, 6);
}

TEST(AddChainForTimeTest, InsertsBeforeFirstLaterTime) {
  auto a = Item({"a", 100, 0, 0, 300});
  auto b = Item({"b", 100, 0, 0, 500});
  auto c = Item({"c", 100, 0, 0, 100});
  auto d = Item({"d", 100, 0, 0, 500});
  PCSVD head = AddChainForTime(nullptr, a.get());
  head = AddChainForTime(head, b.get());
  head = AddChainForTime(head, c.get());
  head = AddChainForTime(head, d.get());
  EXPECT_EQ(Names(head), "cabd");
}

// The filing decides the order of the export: other_csvd first, then date by
// date the head and its down chain.
TEST(FilingExportTest, ExportFollowsTheChains) {
  fixture::DbFile db;
  const struct {
    const char* name;
    unsigned day;
    int minutes;
    int repeat;
  } recs[] = {{"A", 4, 600, 1}, {"B", 4, 660, 1}, {"C", 4, 600, 1}, {"D", 4, 660, 1},
              {"E", 4, 600, 1}, {"F", 1, 720, 1}, {"R", 9, 480, 2}};
  int num = 0;
  for (const auto& r : recs) {
    fixture::Appt a;
    a.description = r.name;
    a.cDay = r.day;
    a.start(r.minutes).end(r.minutes + 30);
    a.cRepeatType = r.repeat;
    a.repeats = r.repeat > 1;
    a.ria[0] = 1;
    db.Add(TYPE_DATA, 0, num++, a.Encode());
  }
  fixture::ScratchDir dir;
  dir.Write("in.db", db.Finish());
  const auto r = fixture::RunKalvert(dir, {"-x" + dir.Path("in.db"), "-c1", "-s1"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string firsts;
  for (std::size_t at = 0; at < r.out.size();) {
    const std::size_t nl = r.out.find('\n', at);
    firsts += r.out[at];
    at = nl == std::string::npos ? r.out.size() : nl + 1;
  }
  EXPECT_EQ(firsts, "RFECABD");
}

}  // namespace
