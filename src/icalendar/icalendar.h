// icalendar: the iCalendar export of the appointment book. One VCALENDAR
// holds a VEVENT per appointment and event and a VTODO per ToDo item, their
// repeat rules as RRULE with EXDATE, in UTF-8 with CRLF line ends.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "../encoding/textcodec.h"
#include "caldate.h"
#include "kalvert.h"

namespace ical {

// ---------------------------------------------------------------------------
// Repeat rules (rrule, series)
// ---------------------------------------------------------------------------

enum class Freq : uint8_t { kDaily, kWeekly, kMonthly, kYearly };

// A repeat block read for its meaning.
struct Rule {
  Freq freq = Freq::kDaily;
  int interval = 1;
  uint8_t weekdays = 0;  // bit 0 Monday to bit 6 Sunday
  uint8_t weeks = 0;     // bit 0 first to bit 3 fourth week of the month, bit 4 the last
  int monthday = 0;      // 1 to 31; 0 when the rule names weekdays
  uint16_t months = 0;   // bit 0 January to bit 11 December; 0 for every month
};

// Reads the repeat block of an item of repeat kind cRepeatType. False, with
// the reason in *pWhy, for a rule that iCalendar can't state as meant.
bool ReadRule(const RepeatInformationAppt& r, int8_t cRepeatType, Rule* pRule, std::string* pWhy);
// The RRULE value without UNTIL.
std::string RuleText(const Rule& rule);

// What an item's dates become: one occurrence, or a series.
struct Series {
  bool bRepeats = false;
  CalDate start;  // the item's date, or the first date of the series
  Rule rule;
  bool bUntil = false;
  CalDate until;
  std::vector<CalDate> exdates;    // deleted occurrences
  std::vector<CalDate> completed;  // occurrences of a ToDo checked off
};

// False (after a warning) when the item has no date to write.
bool PlanSeries(const CSVData& csvd, Series* pSeries);

// ---------------------------------------------------------------------------
// Text (ictext, fold), names (icuid, sha1) and messages (label)
// ---------------------------------------------------------------------------

// The item's texts as iCalendar wants them, counting what could not be kept.
struct TextContext {
  TextCodec codec;
  bool bAsciiKept = true;  // the code page's bytes 1 to 0x7F are ASCII: such texts need no conversion
  long lControls = 0;      // control characters written as U+FFFD
  explicit TextContext(const std::string& szEncoding);
};

// An organiser text as an escaped TEXT value in UTF-8.
std::string TextValue(TextContext& ctx, const CSVData& csvd, const std::string& bytes);
// Without an encoding a byte above 0x7F ends the run: iCalendar is UTF-8 and
// the code page is not known.
void RequireAscii(const CSVData& csvd, const std::string& bytes);
// The note as stored, up to its first NUL.
inline std::string NoteOf(const CSVData& csvd) { return csvd.pszStoredNote.substr(0, csvd.pszStoredNote.find('\0')); }
// Appends one content line, folded at 75 octets, with CRLF.
void AppendFolded(std::string* pOut, const std::string& line);
std::array<uint8_t, 20> Sha1(const std::string& data);
// A name-based UUID (version 5) in kalvert's own namespace.
std::string NameUuid(const std::string& name);
// "the appointment of 1999/04/05 (data record 3)", for messages.
std::string ItemLabel(const CSVData& csvd);
// "<label>: <what>." on standard error; the run goes on.
void Warn(const CSVData& csvd, const std::string& szWhat);

// ---------------------------------------------------------------------------
// Components (vevent, vtodo, valarm, priority)
// ---------------------------------------------------------------------------

// One component: its content lines after UID and DTSTAMP, folded, each
// ending in CRLF.
struct Component {
  explicit Component(const char* kind) : szKind(kind) { text.reserve(512); }
  const char* szKind;
  std::string text;
  // Appends the content line made of the parts.
  void Add(std::initializer_list<std::string_view> parts);
};

void EventComponents(TextContext& ctx, const CSVData& csvd, const Series& series, std::vector<Component>* pComps);
void TodoComponents(TextContext& ctx, const CSVData& csvd, const Series& series, std::vector<Component>* pComps);
// The VALARM lines of an alarm lead minutes before the start.
void AppendAlarm(const std::string& szSummary, unsigned uLead, Component* pComp);
// The iCalendar priority (1 highest to 9 lowest) of a ToDo priority; 0 when
// the characters are not a priority of the table.
int PriorityLevel(uint8_t c1, uint8_t c2);

// The repeat properties shared by both kinds: RRULE and EXDATE, each date
// followed by szTime (empty, or "THHMMSS").
void AppendRepeat(const Series& series, const std::string& szTime, Component* pComp);

}  // namespace ical
