// The shortcut that keeps large books cheap, filing by a date index, must
// give exactly what the plain walk gives: compared on a large seeded input
// full of ties with a model of the walk. (The lookup lists' order and counts
// are in every lookup table the writer tests check byte for byte.)
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "inproc.h"

namespace {

TEST(PerfOrder, FilingByIndexGivesTheOrderOfThePlainWalk) {
  ResetGlobals();
  std::mt19937 rng(3);
  StartCSV scsv;
  std::vector<uint32_t> key;  // date key and start of item i
  std::vector<int16_t> start;
  // Model: the flat chain, then each date's head followed by its down chain;
  // items by record number, which is their filing order.
  std::vector<std::vector<int>> model(1);
  for (int i = 0; i < 4000; ++i) {
    // Three crowded dates (long down chains) among many (a long chain of heads).
    const unsigned d = rng() % 2 ? rng() % 3 : rng() % 2000, y = rng() % 50 == 0 ? 0xFF : 99 + d / 336;
    const int16_t s = rng() % 8 == 0 ? int16_t{-1} : static_cast<int16_t>(60 * (rng() % 4));
    // Repeating items, ToDo items and items of no known kind take the flat chain.
    const unsigned kind = rng() % 4, flags = kind == 0 ? 0x14 : kind == 1 ? 0x05 : rng() % 2 ? 0x87 : 0x26;
    const int8_t repeat = rng() % 3 == 0 ? 2 : 1;
    const bool plain = repeat == 1 && flags >= 0x20;
    key.push_back(y << 16 | (d / 28 % 12) << 8 | d % 28), start.push_back(s);
    AddUserType14(&scsv, inproc::Item("", flags, y, d / 28 % 12, d % 28, s, repeat), nullptr);
    auto g = std::find_if(model.begin() + 1, model.end(), [&](auto& x) { return key[x.front()] >= key.back(); });
    if (!plain) {  // before the first item of the same or a later date
      model[0].insert(std::find_if(model[0].begin(), model[0].end(), [&](int j) { return key[j] >= key.back(); }), i);
    } else if (g == model.end() || key[g->front()] != key.back()) {
      model.insert(g, {i});
    } else if (start[g->front()] >= s) {
      g->insert(g->begin(), i);  // takes the head's place
    } else {                     // after the last of the down chain that starts no later
      g->insert(std::find_if(g->begin() + 1, g->end(), [&](int j) { return start[j] > s; }), i);
    }
  }
  std::vector<std::vector<int>> got(1);
  for (PCSVD p = scsv.other_csvd; p; p = p->pnext_csvd) got[0].push_back(p->iRecordNum);
  for (PCSVD h = scsv.start_csvd; h; h = h->pnext_csvd) {
    got.emplace_back();
    for (PCSVD p = h; p; p = p == h ? h->pdown_csvd : p->pnext_csvd) got.back().push_back(p->iRecordNum);
  }
  EXPECT_EQ(got, model);
  EXPECT_EQ(state.iUserType14, static_cast<int>(model.size()) - 1);
}

}  // namespace
