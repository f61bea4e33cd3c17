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
  ForEachFiled(*start_scsv, [](PCSVD p) {
    if (InDateRange(*p->pnra) && KindPasses(*p)) WriteCSV(p);
  });
}
