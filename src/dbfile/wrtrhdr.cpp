// wrtrhdr: every record header that goes to the output database is written
// here, registered first (except the lookup table's own) at the offset where
// it begins.
#include "kalvert.h"

void WriteRecordHeader(SeekInfoLists* pSeekInfo, const RecordHeader& rh) {
  if (pSeekInfo) AddSeekInfo(pSeekInfo, &rh, OutPos());
  if (fwrite_RHDR(&rh, kSizeRHDR, 1, files.fpout) != 1) Fatal("Failed write file.\n");
}
