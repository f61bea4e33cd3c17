// filing: makes the items of the appointment book, numbers each one and files
// it in one of the two chains: plain appointments and events among the date
// heads of start_csvd (each date's other items in the head's down chain, by
// start time), every other item in the flat other_csvd chain.
//
// Both chains are ordered by date, so an index by date tells where the walk
// of AddChainForDay would stop: the walk is started at the last node before
// the item's date instead of at the head, and does the filing itself. The
// chain orders, tie rules and counters are therefore exactly those of a walk
// from the head. A date's down chain is ordered by start time (items of one
// start time in filing order), so an index by date and start time tells
// where an item goes, and it is linked in there: many items on one date cost
// n log n, not n x n.

#include <cstdint>
#include <iterator>
#include <new>

#include "book_items.h"

std::unique_ptr<BookItem> MakeCSVD(bool bRepeat) {
  std::unique_ptr<NonRepeaAppt> pnra(new (std::nothrow) NonRepeaAppt{});
  if (!pnra) Fatal("1. Not enough memory in MakeCSVD.\n");
  std::unique_ptr<BookItem> pcsvd(new (std::nothrow) BookItem{});
  if (!pcsvd) Fatal("2. Not enough memory in MakeCSVD.\n");
  pcsvd->pnra = std::move(pnra);
  if (bRepeat) {
    pcsvd->pria.reset(new (std::nothrow) RepeatInformationAppt{});
    if (!pcsvd->pria) Fatal("3. Not enough memory in MakeCSVD.\n");
  }
  return pcsvd;
}

namespace {

// The date bytes as one key, ordered as they compare one by one (unsigned,
// so a missing date, 0xFF, sorts last).
uint32_t DateBytesKey(const NonRepeaAppt& nra) {
  return static_cast<uint32_t>(nra.cYear) << 16 | static_cast<uint32_t>(nra.cMonth) << 8 | nra.cDay;
}

// The node the walk may start at: the last one dated before the key, or the
// head when there is none.
PCSVD WalkStart(const std::map<uint32_t, PCSVD>& index, uint32_t key, PCSVD head) {
  const auto at = index.lower_bound(key);
  return at == index.begin() ? head : std::prev(at)->second;
}

// Date and start time in one key, ordered as the date bytes and then as the
// signed start time.
uint64_t StartKey(uint32_t dateKey, const BookItem& c) {
  const uint16_t start = static_cast<uint16_t>(StartTime(*c.pnra));
  return static_cast<uint64_t>(dateKey) << 16 | static_cast<uint16_t>(start ^ 0x8000u);
}

// Links the item into its date's down chain after the last node that starts
// no later than it.
void FileInDownChain(PSCSV pscsv, PCSVD head, PCSVD item, uint32_t dateKey) {
  const uint64_t key = StartKey(dateKey, *item);
  auto& index = pscsv->lastOfStart;
  const auto after = index.upper_bound(key);
  const bool samePrefix = after != index.begin() && std::prev(after)->first >> 16 == dateKey;
  PCSVD* link = samePrefix ? &std::prev(after)->second->pnext_csvd : &head->pdown_csvd;
  item->pnext_csvd = *link;
  *link = item;
  index[key] = item;
}

void FileInStart(PSCSV pscsv, PCSVD item) {
  const uint32_t key = DateBytesKey(*item->pnra);
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
  const uint32_t key = DateBytesKey(*item->pnra);
  const PCSVD from = WalkStart(pscsv->lastOfDate, key, pscsv->other_csvd);
  const PCSVD result = AddChainForDay(from, item, 1);
  if (from == pscsv->other_csvd) pscsv->other_csvd = result;
  // The item goes first among its date: the date's last node changes only
  // when the date is new.
  pscsv->lastOfDate.emplace(key, item);
}

}  // namespace

void FileItem(PSCSV pscsv, std::unique_ptr<BookItem> curr_csvd, SeekInfoLists* /*pSeekInfo*/) {
  PCSVD item = curr_csvd.get();
  pscsv->items.push_back(std::move(curr_csvd));
  item->iRecordNum = TakeDataNumber();
  item->iFirstRecord = item->iRecordNum;
  const NonRepeaAppt& nra = *item->pnra;
  if (nra.iEndDate == 0 && nra.cFlags >= KIND_EVENT && nra.cRepeatType == kRepeatNone) {
    FileInStart(pscsv, item);
  } else {
    FileInOther(pscsv, item);
  }
}

namespace {

// Negative, zero or positive as a's date is earlier, equal or later than b's.
int CompareDate(const NonRepeaAppt& a, const NonRepeaAppt& b) {
  const uint32_t ka = DateBytesKey(a), kb = DateBytesKey(b);
  return (ka > kb) - (ka < kb);
}

// The item's number was taken when it was filed; a new date of start_csvd
// is counted here.
void CountFiled(int16_t iFlag, bool bNewDate) {
  if (iFlag == 0 && bNewDate) state.iUserType14 = CutTo16(state.iUserType14 + 1L);
}

// The node before the item's place (or the chain head, when there is none)
// now leads to the item.
void LinkAfter(PCSVD prev, PCSVD curr_csvd, PCSVD* head) {
  if (prev) {
    prev->pnext_csvd = curr_csvd;
  } else {
    *head = curr_csvd;
  }
}

}  // namespace

PCSVD AddChainForDay(PCSVD start_csvd, PCSVD curr_csvd, int16_t iFlag) {
  if (!start_csvd) {
    CountFiled(iFlag, true);
    return curr_csvd;
  }
  const NonRepeaAppt& curr = *curr_csvd->pnra;
  PCSVD prev = nullptr;
  PCSVD work = start_csvd;
  for (; work; prev = work, work = work->pnext_csvd) {
    const int cmp = CompareDate(*work->pnra, curr);
    if (cmp < 0) continue;
    if (cmp > 0 || iFlag == 1) break;
    // Same date in start_csvd: the item takes the head's place (FileInStart
    // links an item that starts later than the head into the down chain
    // itself), and the old head leads the down chain.
    curr_csvd->pdown_csvd = work;
    curr_csvd->pnext_csvd = work->pnext_csvd;
    work->pnext_csvd = work->pdown_csvd;
    work->pdown_csvd = nullptr;
    LinkAfter(prev, curr_csvd, &start_csvd);
    CountFiled(iFlag, false);
    return start_csvd;
  }
  curr_csvd->pnext_csvd = work;
  LinkAfter(prev, curr_csvd, &start_csvd);
  CountFiled(iFlag, true);
  return start_csvd;
}
