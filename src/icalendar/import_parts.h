// import_parts: the pieces of the iCalendar import, for this folder's files
// only. libical parses the calendar, resolves its time zones and expands its
// repeat rules; what is read here besides is the file's lines, so that every
// message can name the line it is about.
#pragma once

#include <libical/ical.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "calendar_parts.h"

namespace ical {

// ---------------------------------------------------------------------------
// Content lines (content_lines)
// ---------------------------------------------------------------------------

// A content line with its continuation lines joined, and the line of the file
// it starts on.
using ContentLine = TextLine;

// A component among the lines: lines [first, end) from its BEGIN to its END.
struct LineRange {
  std::size_t first = 0, end = 0;
  long lLine = 0;  // the line of its BEGIN
};

// The file's lines, its VCALENDARs and, for each, the components directly
// inside it in their order.
struct CalendarFile {
  std::vector<ContentLine> lines;
  std::vector<LineRange> calendars;
  std::vector<std::vector<LineRange>> components;  // by calendar
};

// Reads the whole file. A file that does not begin with BEGIN:VCALENDAR, a
// BEGIN without its END, an END without its BEGIN, a NUL byte and a line
// without a name and a colon end the run with the line.
CalendarFile ReadContentLines(std::FILE* f);
[[noreturn]] void LineError(long lLine, const std::string& why);
// The first line of the component (its BEGIN line when none) whose property
// is named szName; nested components' lines are not searched.
const ContentLine& PropertyLine(const CalendarFile& file, const LineRange& range, const char* szName);
// The value of a content line: what follows the colon after the name and
// parameters (a colon inside a quoted parameter value does not count).
std::string RawValue(const std::string& line);

// ---------------------------------------------------------------------------
// Time zones (time_zones)
// ---------------------------------------------------------------------------

// The organiser's zone: --timezone, else the machine's (TZ, else the system's
// /etc/localtime, else UTC). An unknown name given with --timezone ends the run.
icaltimezone* OrganiserZone(std::string* pName);
// t as the organiser's clock shows it: a UTC or zoned time converted into
// zone; a floating time and a date as they are.
icaltimetype InZone(const icaltimetype& t, icaltimezone* zone);

// ---------------------------------------------------------------------------
// The run (calendar_import, import_texts)
// ---------------------------------------------------------------------------

struct ImportRun {
  explicit ImportRun(const std::string& szEncoding) : codec(szEncoding) {}
  TextCodec codec;
  icaltimezone* zone = nullptr;
  std::string szZone;
  const CalendarFile* file = nullptr;
  long lReplaced = 0;  // characters the code page can't hold, written as '?'
  long lWarnings = 0;
};

// One component being read, and how messages name it.
struct Source {
  icalcomponent* comp = nullptr;
  LineRange range;
  std::string szUid, szSummary;  // UTF-8
};

// "Warning: FILE line N (UID u, "summary"): what." on standard error, counted.
void ItemWarning(ImportRun& run, const Source& src, const std::string& szWhat);

// How a text is kept: on one line (breaks become spaces, with a warning), as
// a note (breaks become CR LF), or as it is.
enum class TextShape : uint8_t { kOneLine, kNote, kAsIs };
// A property's UTF-8 text in the organiser's code page, cut to nMax bytes
// (0: no limit) without splitting a character, with a warning naming the
// property; a character the code page can't hold becomes '?', counted.
std::string OrganiserText(ImportRun& run, const Source& src, const char* szProperty, const std::string& utf8,
                          std::size_t nMax, TextShape shape);

// ---------------------------------------------------------------------------
// Components into items (import_items, import_rules)
// ---------------------------------------------------------------------------

// Checks a date or date-time value of the property on its line: a day of the
// calendar, a time of the day.
void CheckTime(const ImportRun& run, const Source& src, const char* szProperty, const icaltimetype& t);
// The organiser's date bytes of t, false (after a warning that names it
// szWhat) outside 1900 to 2155.
bool DateBytes(ImportRun& run, const Source& src, const icaltimetype& t, uint8_t* pYear, uint8_t* pMonth, uint8_t* pDay,
               const char* szWhat = "its date");
inline CalDate DateOf(const icaltimetype& t) { return CalDate{t.year, t.month, t.day}; }

// The item of a VEVENT or VTODO, its repeat rule left to AddRepeat; null
// (after a warning) when it is left out.
std::unique_ptr<BookItem> ComponentItem(ImportRun& run, const Source& src);

// The repeat rule, deleted and checked-off dates of a series, and the
// occurrences moved out of it (overrides: components of the same UID with
// RECURRENCE-ID). Items made of the series go to *pItems: the series as one
// repeating item, or its occurrences when the organiser can't hold its rule.
void AddSeries(ImportRun& run, const Source& master, std::unique_ptr<BookItem> item,
               const std::vector<Source>& overrides, std::vector<std::unique_ptr<BookItem>>* pItems);

// The value of the first X- property named szName, or null.
const char* XValue(icalcomponent* comp, const char* szName);
// An X- property's whole number within [lMin, lMax]; lDefault when absent
// or not such a number (then with a warning).
long XNumber(ImportRun& run, const Source& src, const char* szName, long lMin, long lMax, long lDefault);

}  // namespace ical
