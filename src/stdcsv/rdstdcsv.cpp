// rdstdcsv: ReadStdCsv, the import of --format=csv.
#include "kalvert.h"

void ReadStdCsv(PFDC /*start_fdc*/, PSCSV /*start_scsv*/, SeekInfoLists* /*pSeekInfo*/) {
  Fatal("CSV import is not available yet.\n");
}
