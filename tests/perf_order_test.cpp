// The shortcuts that keep large books cheap (filing by a date index, lookup
// lists with a kept tail and count, quoted columns taken in one walk) must
// give exactly what the plain walks give. Each is compared here, on large
// seeded inputs full of ties, with a straightforward model of the walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../src/import/csvitem.h"
#include "kalvert.h"

namespace {

// --- Filing -----------------------------------------------------------------

struct Spec {
  uint8_t year, month, day;
  int16_t start;
  bool plain;  // goes among the date heads
};

// The chains as a model: date groups of the plain items (head first, then
// the down chain), and the flat chain of every other item; items by index.
struct Model {
  struct Group {
    uint32_t date;
    std::vector<int> items;
  };
  std::vector<Group> groups;
  std::vector<int> other;
  int dates = 0;
};

uint32_t Key(const Spec& s) { return uint32_t{s.year} << 16 | uint32_t{s.month} << 8 | s.day; }

void ModelFile(Model& m, const std::vector<Spec>& specs, int i) {
  const Spec& s = specs[static_cast<std::size_t>(i)];
  if (!s.plain) {
    // Before the first item of the same or a later date.
    auto at = std::find_if(m.other.begin(), m.other.end(),
                           [&](int j) { return Key(specs[static_cast<std::size_t>(j)]) >= Key(s); });
    m.other.insert(at, i);
    return;
  }
  auto g = std::find_if(m.groups.begin(), m.groups.end(), [&](const Model::Group& x) { return x.date >= Key(s); });
  if (g == m.groups.end() || g->date != Key(s)) {
    m.groups.insert(g, Model::Group{Key(s), {i}});
    ++m.dates;
    return;
  }
  auto start = [&](int j) { return specs[static_cast<std::size_t>(j)].start; };
  if (start(g->items.front()) < s.start) {
    // After the last item of the down chain that starts no later.
    auto at = g->items.begin() + 1;
    while (at != g->items.end() && start(*at) <= s.start) ++at;
    g->items.insert(at, i);
  } else {
    g->items.insert(g->items.begin(), i);  // takes the head's place
  }
}

std::vector<Spec> Specs(unsigned seed, int n, int nDates) {
  std::mt19937 rng(seed);
  std::vector<Spec> v;
  for (int i = 0; i < n; ++i) {
    Spec s{};
    const int d = static_cast<int>(rng() % static_cast<unsigned>(nDates));
    s.year = rng() % 50 == 0 ? 0xFF : static_cast<uint8_t>(99 + d / 336);
    s.month = static_cast<uint8_t>(d / 28 % 12);
    s.day = static_cast<uint8_t>(d % 28);
    s.start = rng() % 8 == 0 ? int16_t{-1} : static_cast<int16_t>(60 * (rng() % 4));  // many equal times
    s.plain = rng() % 3 != 0;
    v.push_back(s);
  }
  return v;
}

std::unique_ptr<CSVData> MakeItem(const Spec& s, int i) {
  auto item = MakeCSVD(s.plain ? 0 : 1);
  NonRepeaAppt& n = *item->pnra;
  n.cYear = s.year;
  n.cMonth = s.month;
  n.cDay = s.day;
  n.cStartTimePri1 = static_cast<uint8_t>(static_cast<uint16_t>(s.start) & 0xFF);
  n.cStartTimePri2 = static_cast<uint8_t>(static_cast<uint16_t>(s.start) >> 8);
  n.cFlags = 0x87;
  n.cRepeatType = s.plain ? 1 : 2;
  item->pszDescription = std::to_string(i);
  return item;
}

int IndexOf(PCSVD p) { return std::stoi(p->pszDescription); }

TEST(PerfOrder, FilingByIndexGivesTheOrderOfTheWalk) {
  // Few dates: long down chains; many dates: long chains of heads.
  for (const int nDates : {3, 40, 2000}) {
    SCOPED_TRACE(nDates);
    ResetGlobals();
    const std::vector<Spec> specs = Specs(static_cast<unsigned>(nDates), 3000, nDates);
    StartCSV scsv;
    SeekInfoLists seek;
    Model model;
    for (int i = 0; i < static_cast<int>(specs.size()); ++i) {
      AddUserType14(&scsv, MakeItem(specs[static_cast<std::size_t>(i)], i), &seek);
      ModelFile(model, specs, i);
    }
    std::vector<int> other;
    for (PCSVD p = scsv.other_csvd; p; p = p->pnext_csvd) other.push_back(IndexOf(p));
    EXPECT_EQ(other, model.other);
    std::vector<std::vector<int>> groups, want;
    for (PCSVD h = scsv.start_csvd; h; h = h->pnext_csvd) {
      groups.push_back({IndexOf(h)});
      for (PCSVD d = h->pdown_csvd; d; d = d->pnext_csvd) groups.back().push_back(IndexOf(d));
    }
    for (const auto& g : model.groups) want.push_back(g.items);
    EXPECT_EQ(groups, want);
    // Numbers in filing order, and the date count of the chain record.
    EXPECT_EQ(iDataNum, 3000);
    EXPECT_EQ(iUserType14, model.dates);
    for (int i = 0; i < 3000; ++i) EXPECT_EQ(scsv.items[static_cast<std::size_t>(i)]->iRecordNum, i);
  }
}

TEST(PerfOrder, FilingIntoChainsMadeElsewhereStillFollowsThem) {
  // A second StartCSV, and items filed alternately into two of them: the
  // index follows whichever chains it is handed.
  ResetGlobals();
  const std::vector<Spec> specs = Specs(7, 400, 30);
  StartCSV a, b;
  SeekInfoLists seek;
  Model ma, mb;
  for (int i = 0; i < 400; ++i) {
    const bool toA = i % 3 != 1;
    AddUserType14(toA ? &a : &b, MakeItem(specs[static_cast<std::size_t>(i)], i), &seek);
    ModelFile(toA ? ma : mb, specs, i);
  }
  for (auto [scsv, model] : {std::pair<StartCSV*, Model*>{&a, &ma}, {&b, &mb}}) {
    std::vector<int> other;
    for (PCSVD p = scsv->other_csvd; p; p = p->pnext_csvd) other.push_back(IndexOf(p));
    EXPECT_EQ(other, model->other);
    std::vector<int> heads, want;
    for (PCSVD h = scsv->start_csvd; h; h = h->pnext_csvd) heads.push_back(IndexOf(h));
    for (const auto& g : model->groups) want.push_back(g.items.front());
    EXPECT_EQ(heads, want);
  }
}

// --- Lookup lists -----------------------------------------------------------

TEST(PerfOrder, LookupListsKeepRecordOrderAndCount) {
  ResetGlobals();
  bInterceptExit = true;
  std::mt19937 rng(11);
  SeekInfoLists seek;
  struct Reg {
    int type, num, order;
  };
  std::vector<Reg> regs;
  for (int i = 0; i < 4000; ++i) {
    const int type = static_cast<int>(rng() % 4) + 9;
    // Mostly rising numbers, with falls, repeats and negative numbers.
    const int num = rng() % 5 == 0 ? static_cast<int>(rng() % 300) - 20 : i / 2;
    const RecordHeader rh{static_cast<uint8_t>(type), 2, 10, static_cast<int16_t>(num)};
    AddSeekInfo(&seek, &rh, i);
    regs.push_back({type, num, i});
  }
  std::stable_sort(regs.begin(), regs.end(),
                   [](const Reg& x, const Reg& y) { return x.type != y.type ? x.type < y.type : x.num < y.num; });
  std::vector<int> got, want;
  for (const Reg& r : regs) want.push_back(r.order);
  for (int type = 0; type < kSeekInfoTypes; ++type) {
    int n = 0;
    for (PSINF p = seek.heads[static_cast<std::size_t>(type)]; p; p = p->pnext_sinf, ++n) got.push_back(p->lSeekPt);
    EXPECT_EQ(seek.counts[static_cast<std::size_t>(type)], n) << type;
  }
  EXPECT_EQ(got, want);
  // The 4096th registration is still refused.
  for (int i = 4000; i < kMaxLookUpEntries; ++i) {
    const RecordHeader rh{TYPE_DATA, 2, 10, 0};
    AddSeekInfo(&seek, &rh, i);
  }
  const RecordHeader rh{TYPE_DATA, 2, 10, 0};
  EXPECT_THROW(AddSeekInfo(&seek, &rh, 0), KalvertExit);
}

// --- Quoted columns ---------------------------------------------------------

TEST(PerfOrder, QuotedColumnsMatchGetCSV) {
  std::vector<std::string> lines = {
      "",
      "\n",
      "\"Lunch\",\"2000/01/05\",\"12:00\"\n",
      "\"a\",123,\"b\"",
      "\"\",x,\"c\"",
      "\"say \"\"hi\"\"\"",
      "\"open,\"to the end\n",
      "\"\"\"\"\"\"",
      "no quotes, at all\n",
      "\"x\"\t\"y\"\t\"\"\n",
  };
  std::mt19937 rng(5);
  const char alphabet[] = {'"', ',', 'a', ' ', '\t', '\n', '\xA4'};
  for (int i = 0; i < 300; ++i) {
    std::string line;
    const int len = static_cast<int>(rng() % 40);
    for (int k = 0; k < len; ++k) line += alphabet[rng() % sizeof alphabet];
    lines.push_back(line);
  }
  for (const std::string& line : lines) {
    const csvitem::QuotedColumns columns(line);
    for (long column = -1; column <= 25; ++column) {
      EXPECT_EQ(columns.At(column), GetCSV(line, static_cast<int16_t>(column), '"'))
          << "line [" << line << "] column " << column;
    }
    // Column numbers are cut to 16 bits on the way, as GetCSV receives them.
    EXPECT_EQ(columns.At(65537), GetCSV(line, 1, '"'));
  }
}

}  // namespace
