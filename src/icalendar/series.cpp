// series: PlanSeries, the dates of one item: its own date, or the series of
// its repeat rule from the first occurrence on or after the repeat block's
// first date through its last date, with the deleted and checked-off
// occurrences.
#include "icalendar.h"

namespace ical {
namespace {

// A rule that takes no day for this long takes none: a day-of-month or
// weekday pattern repeats within 8 years (29 February across a century year).
constexpr long kSearchDays = 9 * 366L;

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

bool WarnSingle(const CSVData& csvd, const std::string& szWhy) {
  Warn(csvd, "its repeat rule can't be written in iCalendar (" + szWhy + "); written as one occurrence on its date");
  return false;
}

// The 4-byte entries: a date and a status, 0 deleted, 1 checked off (ToDo).
void ReadDeleted(const CSVData& csvd, Series* pSeries) {
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
        Warn(csvd, "the occurrence of " + DateLabel(date) + " checked off is none of its rule's; left out");
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
bool PlanRepeat(const CSVData& csvd, Series* pSeries) {
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

bool PlanSeries(const CSVData& csvd, Series* pSeries) {
  const NonRepeaAppt& nra = *csvd.pnra;
  *pSeries = Series{};
  if (!DateFromBytes(nra.cYear, nra.cMonth, nra.cDay, &pSeries->start)) {
    Warn(csvd, "its date is not a date; left out");
    return false;
  }
  if (nra.cRepeatType <= 1 || !csvd.pria) return true;
  const CalDate own = pSeries->start;
  if (PlanRepeat(csvd, pSeries)) return true;
  *pSeries = Series{};
  pSeries->start = own;
  return true;
}

}  // namespace ical
