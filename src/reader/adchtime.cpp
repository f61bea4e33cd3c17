// adchtime: files an item in the down chain of a date head, in ascending
// start-time order; items of equal start time keep their filing order.
#include "kalvert.h"

PCSVD AddChainForTime(PCSVD start_csvd, PCSVD curr_csvd) {
  const int16_t iStartTimeCurr = StartTime(*curr_csvd->pnra);
  PCSVD prev = nullptr;
  PCSVD work = start_csvd;
  while (work && StartTime(*work->pnra) <= iStartTimeCurr) {
    prev = work;
    work = work->pnext_csvd;
  }
  curr_csvd->pnext_csvd = work;
  if (!prev) return curr_csvd;
  prev->pnext_csvd = curr_csvd;
  return start_csvd;
}
