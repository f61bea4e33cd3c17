// repeat_rules: a repeat block's meaning and its RRULE (ReadRule, RuleText),
// the dates of one item (PlanSeries) and the repeat properties of a
// component (AppendRepeat).
//
// Repeat kinds: 2 daily, 4 weekly, 8 monthly, 16 yearly, every cFreq units;
// 32 custom, every year in the months of its month rule. The day rule
// (Weeks, Days): bit 7 of Days clear, Days is a day of the month; set, bits 0
// to 6 are Monday to Sunday and Weeks selects weeks of the month (1 first, 2
// second, 4 third, 8 fourth, 16 last). The month rule: Month1 January to
// August, bits 0 to 3 of Month2 September to December in calendar order.

#include "calendar_parts.h"

namespace ical {
namespace {

constexpr uint8_t kWeekdaySet = 0x80;

bool Refuse(std::string* pWhy, const std::string& szWhy) {
  *pWhy = szWhy;
  return false;
}

// The day rule of a monthly, yearly or custom rule.
bool ReadDayRule(const RepeatInformationAppt& r, Rule* pRule, std::string* pWhy) {
  if ((r.Days & kWeekdaySet) == 0) {
    if (r.Weeks != 0) return Refuse(pWhy, "a day of the month with weeks of the month");
    if (r.Days < 1 || r.Days > 31) return Refuse(pWhy, "day " + std::to_string(r.Days) + " of the month");
    pRule->monthday = r.Days;
    return true;
  }
  pRule->weekdays = r.Days & 0x7F;
  pRule->weeks = r.Weeks;
  if (pRule->weekdays == 0) return Refuse(pWhy, "a weekday rule with no weekday");
  if (r.Weeks == 0) return Refuse(pWhy, "a weekday rule with no week of the month");
  if (r.Weeks > 0x1F) return Refuse(pWhy, "weeks of the month of unknown meaning");
  return true;
}

}  // namespace

bool ReadRule(const RepeatInformationAppt& r, int8_t cRepeatType, Rule* pRule, std::string* pWhy) {
  Rule rule;
  const uint16_t months = static_cast<uint16_t>(r.Month2 << 8 | r.Month1);
  const bool bCustom = cRepeatType == kRepeatCustom;
  rule.interval = bCustom ? 1 : r.cFreq;
  if (rule.interval < 1) return Refuse(pWhy, "an interval of " + std::to_string(r.cFreq));
  switch (cRepeatType) {
    case kRepeatDaily:
      rule.freq = Freq::kDaily;
      if (r.Days != 0 || r.Weeks != 0 || months != 0) return Refuse(pWhy, "a daily rule with a day or month rule");
      break;
    case kRepeatWeekly:
      rule.freq = Freq::kWeekly;
      rule.weekdays = r.Days & 0x7F;
      if (months != 0 || r.Weeks != 0) return Refuse(pWhy, "a weekly rule with a month or week rule");
      if ((r.Days & kWeekdaySet) == 0 || rule.weekdays == 0) return Refuse(pWhy, "a weekly rule with no weekday");
      break;
    case kRepeatMonthly:
      rule.freq = Freq::kMonthly;
      if (months != 0) return Refuse(pWhy, "a monthly rule with a month rule");
      if (!ReadDayRule(r, &rule, pWhy)) return false;
      break;
    case kRepeatYearly:
    case kRepeatCustom:
      rule.freq = Freq::kYearly;
      rule.months = months;
      if (months == 0) return Refuse(pWhy, "a yearly rule with no month");
      if (months > 0x0FFF) return Refuse(pWhy, "a month rule of unknown meaning");
      if (!ReadDayRule(r, &rule, pWhy)) return false;
      break;
    default:
      return Refuse(pWhy, "repeat kind " + std::to_string(cRepeatType) + " of unknown meaning");
  }
  *pRule = rule;
  return true;
}

std::string RuleText(const Rule& rule) {
  static const char* const kFreq[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  static const char* const kDay[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
  static const char* const kWeek[] = {"1", "2", "3", "4", "-1"};
  std::string s = std::string("FREQ=") + kFreq[static_cast<int>(rule.freq)];
  if (rule.interval > 1) s += ";INTERVAL=" + std::to_string(rule.interval);
  std::string list;
  const auto add = [&list](const std::string& item) { list += (list.empty() ? "" : ",") + item; };
  for (int m = 0; m < 12; ++m) {
    if (rule.months >> m & 1) add(std::to_string(m + 1));
  }
  if (!list.empty()) s += ";BYMONTH=" + list;
  if (rule.monthday != 0) s += ";BYMONTHDAY=" + std::to_string(rule.monthday);
  // Weekly rules take every week, the others the weeks of the month given.
  list.clear();
  const bool bEveryWeek = rule.weeks == 0;
  for (int w = 0; w < 5; ++w) {
    if (!bEveryWeek && !(rule.weeks >> w & 1)) continue;
    for (int d = 0; d < 7; ++d) {
      if (rule.weekdays >> d & 1) add((bEveryWeek ? "" : kWeek[w]) + std::string(kDay[d]));
    }
    if (bEveryWeek) break;
  }
  if (!list.empty()) s += ";BYDAY=" + list;
  if (rule.freq == Freq::kWeekly) s += ";WKST=MO";
  return s;
}

}  // namespace ical

namespace ical {

constexpr uint8_t kLastWeek = 0x10;

// Whether the rule's pattern takes the day; the interval counts from the
// first occurrence, so it takes no part here.
bool Takes(const Rule& rule, const CalDate& day) {
  if (rule.months != 0 && !(rule.months >> (day.m - 1) & 1)) return false;
  if (rule.monthday != 0) return day.d == rule.monthday;
  if (rule.weekdays == 0) return true;
  if (!(rule.weekdays >> Weekday(day) & 1)) return false;
  if (rule.weeks == 0) return true;
  const int iWeek = (day.d - 1) / 7;
  const bool bLast = day.d + 7 > DaysInMonth(day.y, day.m);
  return (iWeek < 4 && (rule.weeks >> iWeek & 1)) || (bLast && (rule.weeks & kLastWeek));
}

// Whether the series has an occurrence on the day: its pattern takes it, and
// the interval counts whole days, weeks (from Monday), months or years from
// the first occurrence.
bool InSeries(const Series& series, const CalDate& day) {
  if (day < series.start || (series.bUntil && series.until < day) || !Takes(series.rule, day)) return false;
  const CalDate& first = series.start;
  long lSteps = DayNumber(day) - DayNumber(first);
  if (series.rule.freq == Freq::kWeekly) lSteps = (lSteps - Weekday(day) + Weekday(first)) / 7;
  if (series.rule.freq == Freq::kMonthly) lSteps = (day.y - first.y) * 12L + day.m - first.m;
  if (series.rule.freq == Freq::kYearly) lSteps = day.y - first.y;
  return lSteps % series.rule.interval == 0;
}

}  // namespace ical

namespace ical {
namespace {

// A rule that takes no day for this long takes none: a day-of-month or
// weekday pattern repeats within 8 years (29 February across a century year).
constexpr long kSearchDays = 9 * 366L;

bool WarnSingle(const BookItem& csvd, const std::string& szWhy) {
  Warn(csvd, "its repeat rule can't be written in iCalendar (" + szWhy + "); written as one occurrence on its date");
  return false;
}

// The 4-byte entries: a date and a status, 0 deleted, 1 checked off (ToDo).
void ReadDeleted(const BookItem& csvd, Series* pSeries) {
  const std::vector<unsigned char>& v = csvd.pszDelRepeat;
  for (std::size_t i = 0; i + 4 <= v.size(); i += 4) {
    CalDate date;
    if (!DateFromBytes(v[i], v[i + 1], v[i + 2], &date)) {
      Warn(csvd, "a deleted occurrence whose date is not a date is left out");
      continue;
    }
    const unsigned cStatus = v[i + 3];
    if (cStatus == 1 && csvd.cKind == KIND_TODO) {
      if (InSeries(*pSeries, date)) {
        pSeries->completed.push_back(date);
      } else {
        Warn(csvd, "the occurrence of " + DateLabel(date) +
                       " checked off is none of its rule's; kept only in "
                       "X-KALVERT-CHECKED-OFF");
        pSeries->strayChecked.push_back(date);
      }
      continue;
    }
    if (cStatus != 0) {
      Warn(csvd, "the occurrence of " + DateLabel(date) + " has status " + std::to_string(cStatus) +
                     " of unknown meaning; written as deleted");
    }
    pSeries->exdates.push_back(date);
  }
}

// The series of a repeat block; false after a warning when the item is to be
// written as one occurrence.
bool PlanRepeat(const BookItem& csvd, Series* pSeries) {
  const RepeatInformationAppt& r = *csvd.pria;
  std::string szWhy;
  if (!ReadRule(r, csvd.pnra->cRepeatType, &pSeries->rule, &szWhy)) return WarnSingle(csvd, szWhy);
  CalDate first;
  if (!DateFromBytes(r.cStartYear, r.cStartMonth, r.cStartDay, &first)) {
    return WarnSingle(csvd, "its first date is not a date");
  }
  const bool bOpen = r.cEndYear == 0xFF && r.cEndMonth == 0xFF && r.cEndDay == 0xFF;
  pSeries->bUntil = !bOpen;
  if (!bOpen && !DateFromBytes(r.cEndYear, r.cEndMonth, r.cEndDay, &pSeries->until)) {
    return WarnSingle(csvd, "its last date is not a date");
  }
  long lEnd = DayNumber(first) + kSearchDays;
  if (pSeries->bUntil && DayNumber(pSeries->until) < lEnd) lEnd = DayNumber(pSeries->until);
  for (long n = DayNumber(first); n <= lEnd; ++n) {
    if (!Takes(pSeries->rule, DateOfDay(n))) continue;
    pSeries->start = DateOfDay(n);
    pSeries->bRepeats = true;
    ReadDeleted(csvd, pSeries);
    return true;
  }
  return WarnSingle(csvd, "no day from " + DateLabel(first) +
                              (pSeries->bUntil ? " to " + DateLabel(pSeries->until) : std::string(" on")) + " fits it");
}

}  // namespace

bool PlanSeries(const BookItem& csvd, Series* pSeries) {
  const NonRepeaAppt& nra = *csvd.pnra;
  *pSeries = Series{};
  if (!DateFromBytes(nra.cYear, nra.cMonth, nra.cDay, &pSeries->start)) {
    Warn(csvd, "its date is not a date; left out");
    return false;
  }
  if (!Repeats(nra.cRepeatType) || !csvd.pria) return true;
  const CalDate own = pSeries->start;
  if (PlanRepeat(csvd, pSeries)) return true;
  *pSeries = Series{};
  pSeries->start = own;
  return true;
}

void AppendRepeat(const Series& series, const std::string& szTime, Component* pComp) {
  if (!series.bRepeats) return;
  const std::string szUntil = series.bUntil ? ";UNTIL=" + DateValue(series.until) + szTime : std::string();
  pComp->Add({"RRULE:", RuleText(series.rule), szUntil});
  const char* szExdate = szTime.empty() ? "EXDATE;VALUE=DATE:" : "EXDATE:";
  for (const CalDate& date : series.exdates) pComp->Add({szExdate, DateValue(date), szTime});
}

void AppendKeptDates(const BookItem& csvd, const Series& series, Component* pComp) {
  if (!series.bRepeats) return;
  const NonRepeaAppt& nra = *csvd.pnra;
  const RepeatInformationAppt& r = *csvd.pria;
  CalDate own, from;
  if (DateFromBytes(nra.cYear, nra.cMonth, nra.cDay, &own) && DayNumber(own) != DayNumber(series.start)) {
    pComp->Add({"X-KALVERT-DATE:", DateValue(own)});
  }
  if (DateFromBytes(r.cStartYear, r.cStartMonth, r.cStartDay, &from) && DayNumber(from) != DayNumber(series.start)) {
    pComp->Add({"X-KALVERT-REPEAT-FROM:", DateValue(from)});
  }
  std::string list;
  for (const CalDate& date : series.strayChecked) list += (list.empty() ? "" : ",") + DateValue(date);
  if (!list.empty()) pComp->Add({"X-KALVERT-CHECKED-OFF:", list});
  if (nra.cRepeatType != kRepeatCustom) return;
  pComp->Add({"X-KALVERT-REPEAT-KIND:CUSTOM"});
  if (r.cFreq != 1) pComp->Add({"X-KALVERT-EVERY:", std::to_string(r.cFreq)});
}

}  // namespace ical
