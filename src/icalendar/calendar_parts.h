// calendar_parts: the pieces of the iCalendar export, for this folder's files
// only (its interface is icalendar.h): dates of the proleptic Gregorian
// calendar as iCalendar writes them, repeat rules, texts, names and
// components.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "book_items.h"
#include "icalendar.h"
#include "line_syntax.h"
#include "text_codec.h"

namespace ical {

// ---------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------

struct CalDate {
  int y{}, m{}, d{};  // month 1 to 12, day 1 to 31
};

// Year minus 1900, month minus 1, day minus 1; false for 0xFF (no date) and
// for bytes that name no day of the calendar.
inline bool DateFromBytes(uint8_t cYear, uint8_t cMonth, uint8_t cDay, CalDate* pDate) {
  if (IsNoDate(cYear, cMonth, cDay) || cMonth > 11) return false;
  const CalDate date{cYear + 1900, cMonth + 1, cDay + 1};
  if (date.d > DaysInMonth(date.y, date.m)) return false;
  *pDate = date;
  return true;
}

// Days since 1970-01-01 and back (the civil-calendar algorithms).
inline long DayNumber(const CalDate& date) {
  const long y = date.m <= 2 ? date.y - 1 : date.y;
  const long era = y / 400;  // the organiser's years are 1900 to 2155: no era before 0
  const long yoe = y - era * 400;
  const long doy = (153L * (date.m + (date.m > 2 ? -3 : 9)) + 2) / 5 + date.d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

inline CalDate DateOfDay(long z) {
  z += 719468;
  const long era = z / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return CalDate{static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0)), m, d};
}

inline CalDate AddDays(const CalDate& date, long n) { return DateOfDay(DayNumber(date) + n); }

// 0 Monday to 6 Sunday (1970-01-01 was a Thursday).
inline int Weekday(const CalDate& date) {
  const long r = (DayNumber(date) + 3) % 7;
  return static_cast<int>(r < 0 ? r + 7 : r);
}

inline bool operator<(const CalDate& a, const CalDate& b) { return DayNumber(a) < DayNumber(b); }

// The DATE form: YYYYMMDD (years 1900 to 2155).
inline std::string DateValue(const CalDate& date) {
  std::string s;
  AppendPadded(s, static_cast<unsigned long>(date.y), 4);
  AppendPadded(s, static_cast<unsigned long>(date.m), 2);
  AppendPadded(s, static_cast<unsigned long>(date.d), 2);
  return s;
}

// The legacy text's form, used in messages.
inline std::string DateLabel(const CalDate& date) {
  char sz[16];
  std::snprintf(sz, sizeof sz, "%04d/%02d/%02d", date.y, date.m, date.d);
  return sz;
}

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
  bool bRepeats{};
  CalDate start;  // the item's date, or the first date of the series
  Rule rule;
  bool bUntil{};
  CalDate until;
  std::vector<CalDate> exdates;       // deleted occurrences
  std::vector<CalDate> completed;     // occurrences of a ToDo checked off
  std::vector<CalDate> strayChecked;  // days checked off that are none of the rule's
};

// Whether the rule's pattern takes the day (the interval takes no part).
bool Takes(const Rule& rule, const CalDate& day);
// Whether the series has an occurrence on the day: its pattern takes it, and
// the interval counts whole days, weeks (from Monday), months or years from
// the first occurrence.
bool InSeries(const Series& series, const CalDate& day);

// False (after a warning) when the item has no date to write.
bool PlanSeries(const BookItem& csvd, Series* pSeries);

// ---------------------------------------------------------------------------
// Text (ictext, fold), names (icuid, sha1) and messages (label)
// ---------------------------------------------------------------------------

// The item's texts as iCalendar wants them, counting what could not be kept.
struct TextContext {
  TextCodec codec;
  long lControls = 0;  // control characters written as U+FFFD
  explicit TextContext(const std::string& szEncoding);
};

// An organiser text as an escaped TEXT value in UTF-8.
std::string TextValue(TextContext& ctx, const BookItem& csvd, const std::string& bytes);
// Without an encoding a byte above 0x7F ends the run: iCalendar is UTF-8 and
// the code page is not known.
void RequireAscii(const BookItem& csvd, const std::string& bytes);
// The note as stored, up to its first NUL.
inline std::string NoteOf(const BookItem& csvd) { return csvd.pszStoredNote.substr(0, csvd.pszStoredNote.find('\0')); }
// The name an item's UID is made of: its kind, date, start time
// (appointments) and description, as stored.
std::string UidName(const BookItem& csvd);
// The UIDs of the items: NameUuid of their names, items of one name told
// apart by a counter given in the order of their content.
std::vector<std::string> Uids(const std::vector<PCSVD>& items);
// "<label>: <what>." on standard error; the run goes on.
void Warn(const BookItem& csvd, const std::string& szWhat);

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

void EventComponents(TextContext& ctx, const BookItem& csvd, const Series& series, std::vector<Component>* pComps);
void TodoComponents(TextContext& ctx, const BookItem& csvd, const Series& series, std::vector<Component>* pComps);
// LOCATION and CATEGORIES, of every kind of item.
void AppendPlaceAndCategory(TextContext& ctx, const BookItem& csvd, Component* pComp);
// The VALARM lines of an alarm lead minutes before the start.
void AppendAlarm(const std::string& szSummary, unsigned uLead, Component* pComp);
// The iCalendar priority (1 highest to 9 lowest) of a ToDo priority; 0 when
// the characters are not a priority of the table.
int PriorityLevel(uint8_t c1);

// The repeat properties shared by both kinds: RRULE and EXDATE, each date
// followed by szTime (empty, or "THHMMSS").
void AppendRepeat(const Series& series, const std::string& szTime, Component* pComp);
// X-KALVERT-DATE, X-KALVERT-REPEAT-FROM and X-KALVERT-REPEAT-KIND of a series
// whose item's date or repeat start is not its first occurrence, or whose
// repeat kind is custom.
void AppendKeptDates(const BookItem& csvd, const Series& series, Component* pComp);

}  // namespace ical
