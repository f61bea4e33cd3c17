// import_rules: a series of the calendar as the organiser keeps it: its RRULE
// as a repeat block when the organiser's rule takes the same days (checked
// against libical's own expansion), EXDATE and checked-off occurrences as
// the block's entries, moved occurrences as items of their own; a rule the
// organiser can't hold as its occurrences (--expand-until) or its first.

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>

#include "import_parts.h"

namespace ical {
namespace {

constexpr uint8_t kWeekdaySet = 0x80;
constexpr uint8_t kEveryWeek = 0x1F;  // first to fourth and the last week of the month
constexpr long kCheckDays = 3 * 366L;
constexpr int kCheckOccurrences = 24;
constexpr int kMaxCount = 100000;
constexpr std::size_t kMaxEntries = 127;  // the block counts its entries in a signed byte

bool Refuse(std::string* pWhy, const std::string& szWhy) {
  *pWhy = szWhy;
  return false;
}

bool Has(const short* values) { return values[0] != ICAL_RECURRENCE_ARRAY_MAX; }

// Bit 0 Monday to bit 6 Sunday.
int WeekdayBit(short day) { return (static_cast<int>(icalrecurrencetype_day_day_of_week(day)) + 5) % 7; }

// BYDAY as weekdays and weeks of the month: every weekday named with the same
// weeks (a week number of 0 is every week).
bool DayRule(const icalrecurrencetype& r, Rule* pRule, std::string* pWhy) {
  uint8_t days = 0;
  std::vector<int> positions;
  for (int i = 0; r.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    days = static_cast<uint8_t>(days | 1 << WeekdayBit(r.by_day[i]));
    const int pos = icalrecurrencetype_day_position(r.by_day[i]);
    if (pos != -1 && (pos < 0 || pos > 4)) return Refuse(pWhy, "BYDAY with the week " + std::to_string(pos));
    if (std::find(positions.begin(), positions.end(), pos) == positions.end()) positions.push_back(pos);
  }
  uint8_t weeks = 0;
  for (const int pos : positions)
    weeks = static_cast<uint8_t>(weeks | (pos == 0 ? kEveryWeek : pos < 0 ? 0x10 : 1 << (pos - 1)));
  int nDays = 0;
  for (int d = 0; d < 7; ++d) nDays += days >> d & 1;
  int nEntries = 0;
  while (r.by_day[nEntries] != ICAL_RECURRENCE_ARRAY_MAX) ++nEntries;
  const bool bEveryMixed = positions.size() > 1 && std::find(positions.begin(), positions.end(), 0) != positions.end();
  if (bEveryMixed || nEntries != nDays * static_cast<int>(positions.size())) {
    return Refuse(pWhy, "BYDAY with other weeks for other weekdays");
  }
  pRule->weekdays = days;
  pRule->weeks = weeks;
  return true;
}

// The day of the month: one BYMONTHDAY, BYDAY, or the first day's.
bool MonthDayRule(const icalrecurrencetype& r, const CalDate& first, Rule* pRule, std::string* pWhy) {
  if (Has(r.by_month_day)) {
    if (r.by_month_day[1] != ICAL_RECURRENCE_ARRAY_MAX) return Refuse(pWhy, "several BYMONTHDAY");
    if (Has(r.by_day)) return Refuse(pWhy, "BYMONTHDAY with BYDAY");
    if (r.by_month_day[0] < 1) return Refuse(pWhy, "BYMONTHDAY=" + std::to_string(r.by_month_day[0]));
    pRule->monthday = r.by_month_day[0];
    return true;
  }
  if (Has(r.by_day)) return DayRule(r, pRule, pWhy);
  pRule->monthday = first.d;
  return true;
}

// The organiser's rule of r from the first day; false with the reason for a
// rule it has no words for.
bool HoldRule(const icalrecurrencetype& r, const CalDate& first, Rule* pRule, std::string* pWhy) {
  if (r.freq < ICAL_DAILY_RECURRENCE || r.freq > ICAL_YEARLY_RECURRENCE) {
    return Refuse(pWhy, std::string("FREQ=") + icalrecur_freq_to_string(r.freq));
  }
  if (Has(r.by_set_pos)) return Refuse(pWhy, "BYSETPOS");
  if (Has(r.by_week_no)) return Refuse(pWhy, "BYWEEKNO");
  if (Has(r.by_year_day)) return Refuse(pWhy, "BYYEARDAY");
  if (Has(r.by_hour) || Has(r.by_minute) || Has(r.by_second)) return Refuse(pWhy, "BYHOUR, BYMINUTE or BYSECOND");
  if (r.interval < 1 || r.interval > 127) return Refuse(pWhy, "INTERVAL=" + std::to_string(r.interval));
  Rule rule;
  rule.interval = r.interval;
  for (int i = 0; r.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    if (r.by_month[i] < 1 || r.by_month[i] > 12) return Refuse(pWhy, "BYMONTH=" + std::to_string(r.by_month[i]));
    rule.months = static_cast<uint16_t>(rule.months | 1 << (r.by_month[i] - 1));
  }
  const bool bMonths = rule.months != 0;
  switch (r.freq) {
    case ICAL_DAILY_RECURRENCE:
      rule.freq = Freq::kDaily;
      if (Has(r.by_day) || Has(r.by_month_day) || bMonths)
        return Refuse(pWhy, "a daily rule with BYDAY, BYMONTHDAY or BYMONTH");
      break;
    case ICAL_WEEKLY_RECURRENCE:
      rule.freq = Freq::kWeekly;
      if (Has(r.by_month_day) || bMonths) return Refuse(pWhy, "a weekly rule with BYMONTHDAY or BYMONTH");
      if (!Has(r.by_day)) {
        rule.weekdays = static_cast<uint8_t>(1 << Weekday(first));
      } else if (!DayRule(r, &rule, pWhy)) {
        return false;
      } else if (rule.weeks != kEveryWeek) {
        return Refuse(pWhy, "a weekly rule with weeks of the month");
      }
      rule.weeks = 0;
      break;
    case ICAL_MONTHLY_RECURRENCE:
      rule.freq = Freq::kMonthly;
      if (bMonths) return Refuse(pWhy, "a monthly rule with BYMONTH");
      if (!MonthDayRule(r, first, &rule, pWhy)) return false;
      break;
    default:
      rule.freq = Freq::kYearly;
      if (!bMonths && Has(r.by_day)) return Refuse(pWhy, "a yearly rule with BYDAY and no BYMONTH");
      if (!bMonths) rule.months = static_cast<uint16_t>(1 << (first.m - 1));
      if (!MonthDayRule(r, first, &rule, pWhy)) return false;
      break;
  }
  *pRule = rule;
  return true;
}

// The repeat block of a rule.
void WriteBlock(const Series& series, const CalDate& from, RepeatInformationAppt* pBlock) {
  const Rule& rule = series.rule;
  RepeatInformationAppt& b = *pBlock;
  b.cFreq = static_cast<int8_t>(rule.interval);
  b.Days = static_cast<uint8_t>(rule.monthday != 0   ? rule.monthday
                                : rule.weekdays != 0 ? kWeekdaySet | rule.weekdays
                                                     : 0);
  b.Weeks = rule.weeks;
  b.Month1 = static_cast<uint8_t>(rule.months & 0xFF);
  b.Month2 = static_cast<uint8_t>(rule.months >> 8);
  b.cStartYear = static_cast<uint8_t>(from.y - 1900);
  b.cStartMonth = static_cast<uint8_t>(from.m - 1);
  b.cStartDay = static_cast<uint8_t>(from.d - 1);
  if (!series.bUntil) {
    b.cEndYear = b.cEndMonth = b.cEndDay = 0xFF;
  } else {
    b.cEndYear = static_cast<uint8_t>(series.until.y - 1900);
    b.cEndMonth = static_cast<uint8_t>(series.until.m - 1);
    b.cEndDay = static_cast<uint8_t>(series.until.d - 1);
  }
}

int8_t RepeatKind(const Source& src, const Rule& rule) {
  const char* kind = XValue(src.comp, "X-KALVERT-REPEAT-KIND");
  if (rule.freq == Freq::kYearly && rule.interval == 1 && kind && std::strcmp(kind, "CUSTOM") == 0)
    return kRepeatCustom;
  static const int8_t kKinds[] = {kRepeatDaily, kRepeatWeekly, kRepeatMonthly, kRepeatYearly};
  return kKinds[static_cast<int>(rule.freq)];
}

// The last day of the series: its UNTIL in the zone of its start (a time
// before the start's time of that day ends it the day before), or the day of
// its COUNT-th occurrence. False when it has neither.
bool LastDay(const icalrecurrencetype& r, const icaltimetype& dtstart, CalDate* pUntil) {
  if (r.count > 0) {
    icalrecur_iterator* it = icalrecur_iterator_new(r, dtstart);
    icaltimetype last = dtstart;
    for (int n = 0; it && n < std::min(r.count, kMaxCount); ++n) {
      const icaltimetype t = icalrecur_iterator_next(it);
      if (icaltime_is_null_time(t)) break;
      last = t;
    }
    if (it) icalrecur_iterator_free(it);
    *pUntil = DateOf(last);
    return true;
  }
  if (icaltime_is_null_time(r.until)) return false;
  icaltimetype until = r.until;
  if (!until.is_date && !dtstart.is_date) {
    if (dtstart.zone) until = icaltime_convert_to_zone(until, const_cast<icaltimezone*>(dtstart.zone));
    const long lUntil = until.hour * 3600L + until.minute * 60 + until.second;
    const long lStart = dtstart.hour * 3600L + dtstart.minute * 60 + dtstart.second;
    if (lUntil < lStart) until = icaltime_add(until, icaldurationtype_from_int(-86400));
  }
  *pUntil = DateOf(until);
  return true;
}

// Whether the organiser's series takes the days libical's expansion of the
// rule takes, over its first occurrences or years.
bool SameDays(const icalrecurrencetype& r, const icaltimetype& dtstart, const Series& series) {
  icalrecur_iterator* it = icalrecur_iterator_new(r, dtstart);
  if (!it) return false;
  long lLast = DayNumber(series.start) + kCheckDays;
  if (series.bUntil) lLast = std::min(lLast, DayNumber(series.until));
  long lNext = DayNumber(series.start);
  bool bSame = true;
  bool bEnded = true;
  for (int n = 0; bSame; ++n) {
    const icaltimetype t = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(t)) break;
    const long lDay = DayNumber(DateOf(t));
    if (lDay > lLast) break;
    if (n == kCheckOccurrences) {
      bEnded = false;
      lLast = lDay - 1;
      break;
    }
    for (; lNext < lDay && bSame; ++lNext) bSame = !InSeries(series, DateOfDay(lNext));
    bSame = bSame && InSeries(series, DateOf(t));
    lNext = lDay + 1;
  }
  icalrecur_iterator_free(it);
  for (; bEnded && lNext <= lLast && bSame; ++lNext) bSame = !InSeries(series, DateOfDay(lNext));
  return bSame;
}

// The occurrences of the series up to lLastDay (days since 1970), in the
// organiser's zone: those of its RRULE and RDATE, without its EXDATE.
std::vector<icaltimetype> Occurrences(ImportRun& run, const Source& src, const icaltimetype& dtstart, long lLastDay,
                                      std::size_t nMax) {
  std::vector<icaltimetype> out;
  std::vector<icaltimetype> excluded;
  for (icalproperty* p = icalcomponent_get_first_property(src.comp, ICAL_EXDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(src.comp, ICAL_EXDATE_PROPERTY)) {
    excluded.push_back(InZone(icalproperty_get_datetime_with_component(p, src.comp), run.zone));
  }
  const auto add = [&](const icaltimetype& t) {
    const icaltimetype local = InZone(t, run.zone);
    if (DayNumber(DateOf(local)) > lLastDay) return;
    for (const icaltimetype& x : excluded) {
      if (icaltime_compare(x, local) == 0 || (x.is_date && DayNumber(DateOf(x)) == DayNumber(DateOf(local)))) return;
    }
    out.push_back(local);
  };
  icalproperty* rrule = icalcomponent_get_first_property(src.comp, ICAL_RRULE_PROPERTY);
  icalrecur_iterator* it = rrule ? icalrecur_iterator_new(icalproperty_get_rrule(rrule), dtstart) : nullptr;
  for (std::size_t n = 0; it && n < nMax; ++n) {
    const icaltimetype t = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(t) || DayNumber(DateOf(InZone(t, run.zone))) > lLastDay) break;
    add(t);
  }
  if (it) icalrecur_iterator_free(it);
  if (!rrule) add(dtstart);
  for (icalproperty* p = icalcomponent_get_first_property(src.comp, ICAL_RDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(src.comp, ICAL_RDATE_PROPERTY)) {
    const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
    icaltimetype t = icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
    if (!t.zone && dtstart.zone && !icaltime_is_utc(t)) t.zone = dtstart.zone;
    add(t);
  }
  std::sort(out.begin(), out.end(),
            [](const icaltimetype& a, const icaltimetype& b) { return icaltime_compare(a, b) < 0; });
  return out;
}

std::unique_ptr<BookItem> Copy(const BookItem& item) {
  std::unique_ptr<BookItem> copy = MakeCSVD(true);
  copy->pszDescription = item.pszDescription;
  copy->pszCategory = item.pszCategory;
  copy->pszLocation = item.pszLocation;
  copy->pszNote = item.pszNote;
  copy->pszStoredNote = item.pszStoredNote;
  copy->cKind = item.cKind;
  *copy->pnra = *item.pnra;
  return copy;
}

// The item moved to the occurrence at t: its date, and for an appointment
// its times moved with it.
void MoveTo(ImportRun& run, const Source& src, const icaltimetype& t, BookItem* pItem) {
  NonRepeaAppt& nra = *pItem->pnra;
  DateBytes(run, src, t, &nra.cYear, &nra.cMonth, &nra.cDay);
  const int iStart = StartTime(nra);
  if (t.is_date || pItem->cKind != KIND_APPT || iStart < 0) return;
  const int iEnd = EndTime(nra);
  const int iNewStart = t.hour * 60 + t.minute;
  nra.cStartTimePri1 = static_cast<uint8_t>(iNewStart & 0xFF);
  nra.cStartTimePri2 = static_cast<uint8_t>(iNewStart >> 8);
  if (iEnd < 0) return;
  const int iNewEnd = std::min(iNewStart + iEnd - iStart, 1440);
  nra.cEndTimeYear = static_cast<uint8_t>(iNewEnd & 0xFF);
  nra.cEndTimeMonth = static_cast<uint8_t>(iNewEnd >> 8);
}

// A rule the organiser can't hold: its occurrences up to --expand-until as
// items of their own, or its first occurrence alone.
void Unheld(ImportRun& run, const Source& src, std::unique_ptr<BookItem> item, const icaltimetype& dtstart,
            const std::string& szWhy, const std::vector<icaltimetype>& moved,
            std::vector<std::unique_ptr<BookItem>>* pItems) {
  const std::string szHead = "its repeat rule can't be kept by the organiser (" + szWhy + "); ";
  if (opt.lExpandUntil == 0) {
    ItemWarning(run, src, szHead + "only its first occurrence is kept (--expand-until=DATE writes each up to DATE)");
    pItems->push_back(std::move(item));
    return;
  }
  const CalDate until{opt.lExpandUntil / 10000, opt.lExpandUntil / 100 % 100, opt.lExpandUntil % 100};
  std::size_t n = 0;
  for (const icaltimetype& t : Occurrences(run, src, dtstart, DayNumber(until), 4096)) {
    const auto same = [&t](const icaltimetype& m) { return icaltime_compare(m, t) == 0; };
    if (std::any_of(moved.begin(), moved.end(), same)) continue;
    std::unique_ptr<BookItem> one = Copy(*item);
    MoveTo(run, src, t, one.get());
    pItems->push_back(std::move(one));
    ++n;
  }
  ItemWarning(run, src,
              szHead + "its " + std::to_string(n) + " occurrence(s) up to " + DateLabel(until) +
                  " are written as items of their own");
}

// An entry of the repeat block; a day outside the organiser's years takes
// none (no occurrence falls on it).
void PutEntry(const CalDate& day, uint8_t cStatus, std::vector<unsigned char>* pEntries) {
  if (day.y < 1900 || day.y > 2155) return;
  pEntries->insert(pEntries->end(), {static_cast<unsigned char>(day.y - 1900), static_cast<unsigned char>(day.m - 1),
                                     static_cast<unsigned char>(day.d - 1), cStatus});
}

// Checks that every occurrence keeps its day in the organiser's zone, and
// warns once when one has another time than the first.
bool KeepsDays(ImportRun& run, const Source& src, const icaltimetype& dtstart, std::string* pWhy) {
  if (dtstart.is_date || !dtstart.zone || dtstart.zone == run.zone) return true;
  icalproperty* rrule = icalcomponent_get_first_property(src.comp, ICAL_RRULE_PROPERTY);
  icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(rrule), dtstart);
  const icaltimetype first = InZone(dtstart, run.zone);
  bool bKept = true, bWarned = false;
  for (int n = 0; it && n < kCheckOccurrences && bKept; ++n) {
    const icaltimetype t = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(t) || DayNumber(DateOf(t)) > DayNumber(DateOf(dtstart)) + kCheckDays) break;
    const icaltimetype local = InZone(t, run.zone);
    bKept = local.year == t.year && local.month == t.month && local.day == t.day;
    if (bKept && !bWarned && (local.hour != first.hour || local.minute != first.minute)) {
      ItemWarning(run, src,
                  "its occurrence of " + DateLabel(DateOf(local)) + " is at " +
                      ClockText(local.hour * 60 + local.minute) + " in " + run.szZone +
                      " (daylight saving differs between the zones); the organiser keeps every "
                      "occurrence at " +
                      ClockText(first.hour * 60 + first.minute));
      bWarned = true;
    }
  }
  if (it) icalrecur_iterator_free(it);
  if (!bKept) *pWhy = "its occurrences fall on other days in " + run.szZone;
  return bKept;
}

// A date as YYYYMMDD, false when it is no date the organiser holds.
bool ParseDay(const std::string& value, CalDate* pDate) {
  if (value.size() != 8 || value.find_first_not_of("0123456789") != std::string::npos) return false;
  const CalDate d{std::stoi(value.substr(0, 4)), std::stoi(value.substr(4, 2)), std::stoi(value.substr(6, 2))};
  if (d.y < 1900 || d.y > 2155 || d.m < 1 || d.m > 12 || d.d < 1 || d.d > DaysInMonth(d.y, d.m)) return false;
  *pDate = d;
  return true;
}

bool XDate(const Source& src, const char* szName, CalDate* pDate) {
  const char* value = XValue(src.comp, szName);
  return value && ParseDay(value, pDate);
}

std::vector<std::string> SplitList(const std::string& value) {
  std::vector<std::string> parts;
  for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
    end = value.find(',', at);
    parts.push_back(value.substr(at, end == std::string::npos ? end : end - at));
  }
  return parts;
}

// The entries in the order of their dates, as the organiser keeps them.
void SortEntries(std::vector<unsigned char>* pEntries) {
  if (pEntries->empty()) return;
  std::vector<std::array<unsigned char, 4>> v(pEntries->size() / 4);
  std::memcpy(v.data(), pEntries->data(), v.size() * 4);
  std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) {
    return std::make_tuple(a[0], a[1], a[2]) < std::make_tuple(b[0], b[1], b[2]);
  });
  std::memcpy(pEntries->data(), v.data(), v.size() * 4);
}

// Whether the series, begun on day, would begin where it does: the rule takes
// no day from day to the series' first.
bool LeadsToStart(const Series& series, const CalDate& day) {
  if (DayNumber(day) > DayNumber(series.start) || DayNumber(series.start) - DayNumber(day) > kCheckDays) return false;
  for (long n = DayNumber(day); n < DayNumber(series.start); ++n) {
    if (Takes(series.rule, DateOfDay(n))) return false;
  }
  return true;
}

// The repeat block's first date: X-KALVERT-REPEAT-FROM when the series would
// begin where it does from there, else the series' first day.
CalDate BlockStart(const Source& src, const Series& series) {
  CalDate from;
  return XDate(src, "X-KALVERT-REPEAT-FROM", &from) && LeadsToStart(series, from) ? from : series.start;
}

}  // namespace

void AddSeries(ImportRun& run, const Source& master, std::unique_ptr<BookItem> item,
               const std::vector<Source>& overrides, std::vector<std::unique_ptr<BookItem>>* pItems) {
  icalproperty* rrule = icalcomponent_get_first_property(master.comp, ICAL_RRULE_PROPERTY);
  const bool bRdate = icalcomponent_get_first_property(master.comp, ICAL_RDATE_PROPERTY) != nullptr;
  // The moved and checked-off occurrences, and the items of those moved.
  std::vector<icaltimetype> moved;
  std::vector<unsigned char> entries;
  std::vector<std::unique_ptr<BookItem>> movedItems;
  for (const Source& o : overrides) {
    const icaltimetype rid = InZone(icalcomponent_get_recurrenceid(o.comp), run.zone);
    moved.push_back(rid);
    icalproperty* status = icalcomponent_get_first_property(o.comp, ICAL_STATUS_PROPERTY);
    const icalproperty_status st = status ? icalproperty_get_status(status) : ICAL_STATUS_NONE;
    const bool bTodo = icalcomponent_isa(o.comp) == ICAL_VTODO_COMPONENT;
    if (bTodo && st == ICAL_STATUS_COMPLETED) {
      PutEntry(DateOf(rid), 1, &entries);
      continue;
    }
    PutEntry(DateOf(rid), 0, &entries);
    if (st == ICAL_STATUS_CANCELLED) continue;
    if (std::unique_ptr<BookItem> one = ComponentItem(run, o)) movedItems.push_back(std::move(one));
  }
  // The series first: the caller finds it by its place.
  const auto putMoved = [&] {
    for (auto& one : movedItems) pItems->push_back(std::move(one));
  };
  // A rule counts from DTSTART; a ToDo may have DUE alone.
  const bool bRepeats = rrule || bRdate;
  icalproperty* p = icalcomponent_get_first_property(master.comp, ICAL_DTSTART_PROPERTY);
  if (bRepeats && !p) ItemWarning(run, master, "its repeat rule has no DTSTART to count from; kept once");
  if (!bRepeats || !p) {
    pItems->push_back(std::move(item));
    putMoved();
    return;
  }
  const icaltimetype dtstart = icalproperty_get_datetime_with_component(p, master.comp);
  const icaltimetype localStart = InZone(dtstart, run.zone);
  Series series;
  series.bRepeats = true;
  series.start = DateOf(localStart);
  std::string szWhy = bRdate ? "RDATE" : std::string();
  const icalrecurrencetype r = rrule ? icalproperty_get_rrule(rrule) : icalrecurrencetype{};
  const bool bHeld =
      !bRdate && HoldRule(r, series.start, &series.rule, &szWhy) && KeepsDays(run, master, dtstart, &szWhy);
  // A last day past the organiser's years is no end.
  if (bHeld) series.bUntil = LastDay(r, dtstart, &series.until) && series.until.y <= 2155;
  if (series.bUntil && series.until < series.start) szWhy = "it ends before it begins";
  if (bHeld && !SameDays(r, dtstart, series)) szWhy = "the organiser's rule would take other days";
  for (icalproperty* x = icalcomponent_get_first_property(master.comp, ICAL_EXDATE_PROPERTY); x;
       x = icalcomponent_get_next_property(master.comp, ICAL_EXDATE_PROPERTY)) {
    PutEntry(DateOf(InZone(icalproperty_get_datetime_with_component(x, master.comp), run.zone)), 0, &entries);
  }
  if (const char* stray = XValue(master.comp, "X-KALVERT-CHECKED-OFF")) {
    for (const std::string& day : SplitList(stray)) {
      CalDate date;
      if (ParseDay(day, &date)) PutEntry(date, 1, &entries);
    }
  }
  SortEntries(&entries);
  if (szWhy.empty() && entries.size() / 4 > kMaxEntries) {
    szWhy = std::to_string(entries.size() / 4) + " deleted or checked-off occurrences, more than a record holds";
  }
  if (!szWhy.empty()) {
    Unheld(run, master, std::move(item), dtstart, szWhy, moved, pItems);
    putMoved();
    return;
  }
  NonRepeaAppt& nra = *item->pnra;
  nra.cRepeatType = RepeatKind(master, series.rule);
  // A custom rule takes every year whatever its count says.
  if (nra.cRepeatType == kRepeatCustom)
    series.rule.interval = static_cast<int>(XNumber(run, master, "X-KALVERT-EVERY", -128, 127, 1));
  WriteBlock(series, BlockStart(master, series), item->pria.get());
  // The item's own date, when it is one of the series' days or leads to the first.
  CalDate own;
  if (XDate(master, "X-KALVERT-DATE", &own) && (InSeries(series, own) || LeadsToStart(series, own))) {
    nra.cYear = static_cast<uint8_t>(own.y - 1900);
    nra.cMonth = static_cast<uint8_t>(own.m - 1);
    nra.cDay = static_cast<uint8_t>(own.d - 1);
  }
  item->pszDelRepeat = std::move(entries);
  item->pria->cDelete = static_cast<int8_t>(item->pszDelRepeat.size() / 4);
  pItems->push_back(std::move(item));
  putMoved();
}

}  // namespace ical
