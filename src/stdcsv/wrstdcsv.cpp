// wrstdcsv: WriteStdCsv, the export of --format=csv.
#include "kalvert.h"

void WriteStdCsv(PFDC /*start_fdc*/, PSCSV /*start_scsv*/) { Fatal("CSV export is not available yet.\n"); }
