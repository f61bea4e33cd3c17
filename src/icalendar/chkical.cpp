// chkical: CheckICalendarRun, the refusals of an iCalendar run, made before
// anything of the input is read.
#include "icalendar.h"

void CheckICalendarRun() {
  if (state.iFileType != 2) {
    Fatal("--format=ics exports appointment books (file type 2); this file is a general database.\n");
  }
  if (opt.bBom) Fatal("--bom with --format=ics: an iCalendar file has no byte order mark.\n");
}
