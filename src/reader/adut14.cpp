// adut14: numbers an item and files it in one of the two chains: plain
// appointments and events among the date heads of start_csvd, every other
// item in the flat other_csvd chain.
//
// Both chains are ordered by date, so an index by date tells where the walk
// of AddChainForDay would stop: the walk is started at the last node before
// the item's date instead of at the head, and does the filing itself. The
// chain orders, tie rules and counters are therefore exactly those of a walk
// from the head. A date's down chain is ordered by start time, so an index
// by date and start time tells where AddChainForTime's walk would stop, and
// the item is linked in there: many items on one date cost n log n, not n x n.
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

// Date and start time in one key, ordered as the date bytes and then as the
// signed start time.
uint64_t StartKey(uint32_t dateKey, const CSVData& c) {
  const uint16_t start = static_cast<uint16_t>(StartTime(*c.pnra));
  return static_cast<uint64_t>(dateKey) << 16 | static_cast<uint16_t>(start ^ 0x8000u);
}

// Links the item into its date's down chain after the last node that starts
// no later than it, where AddChainForTime's walk would put it, and counts it
// as AddChainForDay counts an item that joins a known date.
void FileInDownChain(PSCSV pscsv, PCSVD head, PCSVD item, uint32_t dateKey) {
  const uint64_t key = StartKey(dateKey, *item);
  auto& index = pscsv->lastOfStart;
  const auto after = index.upper_bound(key);
  const bool samePrefix = after != index.begin() && std::prev(after)->first >> 16 == dateKey;
  PCSVD* link = samePrefix ? &std::prev(after)->second->pnext_csvd : &head->pdown_csvd;
  item->pnext_csvd = *link;
  *link = item;
  index[key] = item;
  state.iDataNum = CutTo16(state.iDataNum + 1L);
}

void FileInStart(PSCSV pscsv, PCSVD item) {
  const uint32_t key = DateKey(*item);
  const auto same = pscsv->dateHeads.find(key);
  const PCSVD oldHead = same == pscsv->dateHeads.end() ? nullptr : same->second;
  if (oldHead && StartTime(*oldHead->pnra) < StartTime(*item->pnra)) {
    FileInDownChain(pscsv, oldHead, item, key);
    return;
  }
  const PCSVD from = WalkStart(pscsv->dateHeads, key, pscsv->start_csvd);
  const PCSVD result = AddChainForDay(from, item, 0);
  if (from == pscsv->start_csvd) pscsv->start_csvd = result;
  pscsv->dateHeads[key] = item;  // a new date, or the item took the head's place
  // The old head now leads the down chain and every node there starts no
  // earlier than it: it is the last of its start time only when that time is
  // new to the chain.
  if (oldHead) pscsv->lastOfStart.emplace(StartKey(key, *oldHead), oldHead);
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
