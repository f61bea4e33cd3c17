// outdata: OutputData, which walks both item chains, applies the date range
// and the kind filters, and writes each chosen item.
#include <cstdio>
#include <string>

#include "kalvert.h"

namespace {

// The legacy text takes only repeat type 1 as happening once.
bool ModeTakes(int16_t iMode, const CSVData& csvd) {
  const int8_t cRepeatType = csvd.pnra->cRepeatType;
  return ClassTakes(iMode, cRepeatType == 1, cRepeatType > 1);
}

bool KindPasses(const CSVData& csvd) {
  if (opt.iAppt != 0 && csvd.cKind == KIND_APPT) return ModeTakes(opt.iAppt, csvd);
  if (opt.iEvent != 0 && csvd.cKind == KIND_EVENT) return ModeTakes(opt.iEvent, csvd);
  if (opt.iToDo != 0 && csvd.cKind == KIND_TODO) return opt.iToDo == 4 || ModeTakes(opt.iToDo, csvd);
  return false;
}

}  // namespace

void OutputData(PSCSV start_scsv) {
  for (PCSVD p = start_scsv->other_csvd; p; p = p->pnext_csvd) {
    if (InDateRange(*p->pnra) && KindPasses(*p)) WriteCSV(p);
  }
  // The items of a down chain share their date head's date.
  for (PCSVD head = start_scsv->start_csvd; head; head = head->pnext_csvd) {
    if (!InDateRange(*head->pnra)) continue;
    if (KindPasses(*head)) WriteCSV(head);
    for (PCSVD p = head->pdown_csvd; p; p = p->pnext_csvd) {
      if (KindPasses(*p)) WriteCSV(p);
    }
  }
}
