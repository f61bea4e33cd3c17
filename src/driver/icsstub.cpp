// icsstub: stands in for the iCalendar export until it is built; a weak
// definition, so the real one replaces it.
#include "kalvert.h"

__attribute__((weak)) void WriteICalendar(PSCSV /*start_scsv*/) { Fatal("iCalendar export is not available.\n"); }
