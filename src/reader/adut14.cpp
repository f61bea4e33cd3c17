// adut14: numbers an item and files it in one of the two chains: plain
// appointments and events among the date heads of start_csvd, every other
// item in the flat other_csvd chain.
#include "kalvert.h"

void AddUserType14(PSCSV pscsv, std::unique_ptr<CSVData> curr_csvd, SeekInfoLists* /*pSeekInfo*/) {
  PCSVD item = curr_csvd.get();
  pscsv->items.push_back(std::move(curr_csvd));
  item->iRecordNum = iDataNum;
  item->iFirstRecord = iDataNum;
  const NonRepeaAppt& nra = *item->pnra;
  if (nra.iEndDate == 0 && nra.cFlags >= 0x20 && nra.cRepeatType == 1) {
    pscsv->start_csvd = AddChainForDay(pscsv->start_csvd, item, 0);
  } else {
    pscsv->other_csvd = AddChainForDay(pscsv->other_csvd, item, 1);
  }
}
