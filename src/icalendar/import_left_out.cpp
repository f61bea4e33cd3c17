// import_left_out: a build without libical has no iCalendar import; the
// options refuse it before any file is read.

#include "calendar_parts.h"

void ReadICalendar(PSCSV /*start_scsv*/, SeekInfoLists* /*pSeekInfo*/) {
  Fatal("This kalvert was built without libical: it can't import iCalendar.\n");
}

bool ICalendarImportBuilt() { return false; }
