// adut14: numbers an item and files it in one of the two chains: plain
// appointments and events among the date heads of start_csvd, every other
// item in the flat other_csvd chain.
//
// Both chains are ordered by date, so an index by date tells where the walk
// of AddChainForDay would stop: the walk is started at the last node before
// the item's date instead of at the head, and does the filing itself. The
// chain orders, tie rules and counters are therefore exactly those of a walk
// from the head, and a book costs n log n instead of n x n.
#include <cstdint>
#include <iterator>

#include "kalvert.h"

namespace {

uint32_t DateKey(const CSVData& c) {
  return static_cast<uint32_t>(c.pnra->cYear) << 16 | static_cast<uint32_t>(c.pnra->cMonth) << 8 | c.pnra->cDay;
}

// The node the walk may start at: the last one dated before the key, or the
// head when there is none.
PCSVD WalkStart(const std::map<uint32_t, PCSVD>& index, uint32_t key, PCSVD head) {
  const auto at = index.lower_bound(key);
  return at == index.begin() ? head : std::prev(at)->second;
}

void FileInStart(PSCSV pscsv, PCSVD item) {
  const uint32_t key = DateKey(*item);
  const PCSVD from = WalkStart(pscsv->dateHeads, key, pscsv->start_csvd);
  const auto same = pscsv->dateHeads.find(key);
  const PCSVD oldHead = same == pscsv->dateHeads.end() ? nullptr : same->second;
  const PCSVD result = AddChainForDay(from, item, 0);
  if (from == pscsv->start_csvd) pscsv->start_csvd = result;
  // The item heads its date when the date is new or it took the head's place.
  if (!oldHead || item->pdown_csvd == oldHead) pscsv->dateHeads[key] = item;
}

void FileInOther(PSCSV pscsv, PCSVD item) {
  const uint32_t key = DateKey(*item);
  const PCSVD from = WalkStart(pscsv->lastOfDate, key, pscsv->other_csvd);
  const PCSVD result = AddChainForDay(from, item, 1);
  if (from == pscsv->other_csvd) pscsv->other_csvd = result;
  // The item goes first among its date: the date's last node changes only
  // when the date is new.
  pscsv->lastOfDate.emplace(key, item);
}

}  // namespace

void AddUserType14(PSCSV pscsv, std::unique_ptr<CSVData> curr_csvd, SeekInfoLists* /*pSeekInfo*/) {
  PCSVD item = curr_csvd.get();
  pscsv->items.push_back(std::move(curr_csvd));
  item->iRecordNum = state.iDataNum;
  item->iFirstRecord = state.iDataNum;
  const NonRepeaAppt& nra = *item->pnra;
  if (nra.iEndDate == 0 && nra.cFlags >= 0x20 && nra.cRepeatType == 1) {
    FileInStart(pscsv, item);
  } else {
    FileInOther(pscsv, item);
  }
}
