// icalendar: the iCalendar export of the appointment book. One VCALENDAR
// holds a VEVENT per appointment and event and a VTODO per ToDo item, their
// repeat rules as RRULE with EXDATE, in UTF-8 with CRLF line ends.
#pragma once

#include "book_items.h"
#include "kalvert.h"

// The export of --format=ics, at the place of the legacy text output.
void WriteICalendar(PSCSV start_scsv);
// The refusals of --format=ics once the file type is known.
void CheckICalendarRun();
