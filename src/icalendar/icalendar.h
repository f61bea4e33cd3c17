// icalendar: the appointment book and iCalendar, both ways. The export writes
// one VCALENDAR with a VEVENT per appointment and event and a VTODO per ToDo
// item, their repeat rules as RRULE with EXDATE, in UTF-8 with CRLF line ends;
// the import reads what calendar programs write back into items.
#pragma once

#include "book_items.h"
#include "kalvert.h"

// The export of --format=ics, at the place of the legacy text output.
void WriteICalendar(PSCSV start_scsv);
// The refusals of --format=ics once the file type is known.
void CheckICalendarRun();
// The import of --format=ics (-i), at the place of ReadCSV: the calendar's
// items filed beside the book's, those already in it left out.
void ReadICalendar(PSCSV start_scsv, SeekInfoLists* pSeekInfo);
// False when this build was made without libical, and so without the import.
bool ICalendarImportBuilt();
