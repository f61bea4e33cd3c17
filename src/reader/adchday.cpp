// adchday: files an item in a chain ordered by date. In start_csvd (iFlag 0)
// each date has one head whose down chain holds the other items of that date;
// in other_csvd (iFlag 1) the chain is flat and the item filed last comes
// first among equal dates.
#include "kalvert.h"

namespace {

// Negative, zero or positive as a's date is earlier, equal or later than b's;
// the bytes compare unsigned, so a missing date (0xFF) sorts last.
int CompareDate(const NonRepeaAppt& a, const NonRepeaAppt& b) {
  if (a.cYear != b.cYear) return a.cYear < b.cYear ? -1 : 1;
  if (a.cMonth != b.cMonth) return a.cMonth < b.cMonth ? -1 : 1;
  if (a.cDay != b.cDay) return a.cDay < b.cDay ? -1 : 1;
  return 0;
}

void CountFiled(int16_t iFlag, bool bNewDate) {
  state.iDataNum = CutTo16(state.iDataNum + 1L);
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
    // Same date in start_csvd: join this date's down chain, or take the
    // head's place when the item does not start later than the head.
    if (StartTime(*work->pnra) < StartTime(curr)) {
      work->pdown_csvd = AddChainForTime(work->pdown_csvd, curr_csvd);
    } else {
      curr_csvd->pdown_csvd = work;
      curr_csvd->pnext_csvd = work->pnext_csvd;
      work->pnext_csvd = work->pdown_csvd;
      work->pdown_csvd = nullptr;
      LinkAfter(prev, curr_csvd, &start_csvd);
    }
    CountFiled(iFlag, false);
    return start_csvd;
  }
  curr_csvd->pnext_csvd = work;
  LinkAfter(prev, curr_csvd, &start_csvd);
  CountFiled(iFlag, true);
  return start_csvd;
}
