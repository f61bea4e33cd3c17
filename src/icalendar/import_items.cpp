// import_items: a VEVENT or VTODO as an item of the appointment book, the
// inverse of the export's components: a VEVENT with a time is an
// appointment, one of whole days an event, a VTODO a ToDo item. The export's
// X-KALVERT- properties give back what iCalendar has no words for, each only
// where it agrees with what the standard properties say (a calendar program
// may have changed those).

#include <strings.h>

#include <cstdlib>

#include "import_parts.h"

namespace ical {

const char* XValue(icalcomponent* comp, const char* szName) {
  for (icalproperty* p = icalcomponent_get_first_property(comp, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(comp, ICAL_X_PROPERTY)) {
    const char* name = icalproperty_get_x_name(p);
    if (name && strcasecmp(name, szName) == 0) return icalproperty_get_x(p);
  }
  return nullptr;
}

void CheckTime(const ImportRun& run, const Source& src, const char* szProperty, const icaltimetype& t) {
  const bool bDay = t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month);
  const bool bTime =
      t.is_date || (t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second <= 60);
  if (bDay && bTime) return;
  const ContentLine& line = PropertyLine(*run.file, src.range, szProperty);
  LineError(line.lLine, std::string(szProperty) + " " + RawValue(line.text) + " is not " +
                            (bDay ? "a time of the day" : "a day of the calendar"));
}

bool DateBytes(ImportRun& run, const Source& src, const icaltimetype& t, uint8_t* pYear, uint8_t* pMonth, uint8_t* pDay,
               const char* szWhat) {
  if (t.year < 1900 || t.year > 2155) {
    ItemWarning(run, src,
                std::string(szWhat) + " " + DateLabel(DateOf(t)) +
                    " is outside the years the organiser holds (1900 to 2155); left out");
    return false;
  }
  *pYear = static_cast<uint8_t>(t.year - 1900);
  *pMonth = static_cast<uint8_t>(t.month - 1);
  *pDay = static_cast<uint8_t>(t.day - 1);
  return true;
}

long XNumber(ImportRun& run, const Source& src, const char* szName, long lMin, long lMax, long lDefault) {
  const char* value = XValue(src.comp, szName);
  if (!value) return lDefault;
  char* end = nullptr;
  const long v = std::strtol(value, &end, 10);
  if (*value != '\0' && *end == '\0' && v >= lMin && v <= lMax) return v;
  ItemWarning(run, src, std::string(szName) + ":" + value + " is not a value it can have; left out");
  return lDefault;
}

namespace {

constexpr long kDayMinutes = 1440;
constexpr uint8_t kTodoByte25 = 0xFF;  // what byte 25 of a ToDo record holds

bool XTrue(const Source& src, const char* szName) {
  const char* value = XValue(src.comp, szName);
  return value && strcasecmp(value, "TRUE") == 0;
}

// A date property's value as written; a null time when absent.
icaltimetype RawTime(const Source& src, icalproperty_kind kind) {
  icalproperty* p = icalcomponent_get_first_property(src.comp, kind);
  return p ? icalproperty_get_datetime_with_component(p, src.comp) : icaltime_null_time();
}

// A date property's value, checked, in the organiser's zone; a null time
// when absent.
icaltimetype TimeOf(ImportRun& run, const Source& src, icalproperty_kind kind, const char* szName) {
  icalproperty* p = icalcomponent_get_first_property(src.comp, kind);
  if (!p) return icaltime_null_time();
  icaltimetype t = icalproperty_get_datetime_with_component(p, src.comp);
  CheckTime(run, src, szName, t);
  icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
  if (tzid && !t.zone && !t.is_date) {
    ItemWarning(run, src,
                std::string(szName) + ": the time zone " + icalparameter_get_tzid(tzid) +
                    " is not known; its time is taken as the organiser's");
  }
  return InZone(t, run.zone);
}

void SetTime(uint16_t word, uint8_t* pLow, uint8_t* pHigh) {
  *pLow = static_cast<uint8_t>(word & 0xFF);
  *pHigh = static_cast<uint8_t>(word >> 8);
}

// Minutes after midnight, with a warning when seconds are dropped.
long Minutes(ImportRun& run, const Source& src, const char* szName, const icaltimetype& t) {
  if (t.second != 0)
    ItemWarning(run, src, std::string(szName) + ": seconds dropped: the organiser keeps whole minutes");
  return t.hour * 60L + t.minute;
}

// The seconds from the start to the trigger: an absolute time's, or its
// duration (the organiser's is set from the start).
long TriggerSeconds(ImportRun& run, const Source& src, icalproperty* p, const icaltimetype& start) {
  const icaltriggertype trigger = icalproperty_get_trigger(p);
  if (!icaltime_is_null_time(trigger.time))
    return static_cast<long>(icaltime_as_timet(InZone(trigger.time, run.zone)) - icaltime_as_timet(start));
  icalparameter* related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
  if (related && icalparameter_get_related(related) == ICAL_RELATED_END)
    ItemWarning(run, src, "its alarm is set from the end; the organiser's is set from the start");
  return icaldurationtype_as_int(trigger.duration);
}

// The first VALARM with a trigger: the alarm bit, and the lead in minutes.
bool Alarm(ImportRun& run, const Source& src, const icaltimetype& start, unsigned* pLead) {
  for (icalcomponent* a = icalcomponent_get_first_component(src.comp, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(src.comp, ICAL_VALARM_COMPONENT)) {
    icalproperty* p = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
    if (!p) continue;
    const long lSeconds = TriggerSeconds(run, src, p, start);
    long lLead = -lSeconds / 60;
    if (lSeconds % 60 != 0) ItemWarning(run, src, "its alarm's seconds dropped: the organiser keeps whole minutes");
    if (lLead < 0) {
      ItemWarning(run, src, "its alarm is after the start; the organiser's rings at the start");
      lLead = 0;
    } else if (lLead > 65535) {
      ItemWarning(run, src, "its alarm is more than 65535 minutes before the start; set to 65535");
      lLead = 65535;
    }
    *pLead = static_cast<unsigned>(lLead);
    return true;
  }
  return false;
}

// The cFlags bits of the X-KALVERT-FLAGS property, when they keep the kind.
uint8_t OtherFlags(ImportRun& run, const Source& src, uint8_t cKind, uint8_t cDefault) {
  const long v = XNumber(run, src, "X-KALVERT-FLAGS", 0, 255, cDefault);
  const bool bKeepsKind = cKind == KIND_APPT ? true : cKind == KIND_EVENT ? v < 0x80 : v < 0x10;
  if (bKeepsKind) return static_cast<uint8_t>(v);
  ItemWarning(run, src, "X-KALVERT-FLAGS:" + std::to_string(v) + " would change its kind; left out");
  return cDefault;
}

// An appointment or event: its day or days, times, day count and alarm.
bool EventParts(ImportRun& run, const Source& src, BookItem& item) {
  NonRepeaAppt& nra = *item.pnra;
  const icaltimetype start = TimeOf(run, src, ICAL_DTSTART_PROPERTY, "DTSTART");
  if (icaltime_is_null_time(start)) {
    ItemWarning(run, src, "it has no DTSTART; left out");
    return false;
  }
  if (!DateBytes(run, src, start, &nra.cYear, &nra.cMonth, &nra.cDay)) return false;
  icaltimetype end = TimeOf(run, src, ICAL_DTEND_PROPERTY, "DTEND");
  if (icaltime_is_null_time(end) && icalcomponent_get_first_property(src.comp, ICAL_DURATION_PROPERTY)) {
    end = icaltime_add(start, icalcomponent_get_duration(src.comp));
  }
  const bool bEnd = !icaltime_is_null_time(end);
  const long lDays = bEnd ? DayNumber(DateOf(end)) - DayNumber(DateOf(start)) : 0;
  // Whole days: dates, or midnight to a midnight two days or more later (one
  // day of 00:00 to 24:00 is an appointment, as the export writes it).
  const bool bMidnights =
      !start.is_date && bEnd && start.hour == 0 && start.minute == 0 && end.hour == 0 && end.minute == 0 && lDays >= 2;
  const char* kind = XValue(src.comp, "X-KALVERT-KIND");
  const bool bUntimedAppointment = kind && strcasecmp(kind, "APPOINTMENT") == 0;
  uint16_t startWord = kNoTime, endWord = kNoTime;
  if ((start.is_date || bMidnights) && !bUntimedAppointment) {
    item.cKind = KIND_EVENT;
    if (bEnd && lDays < 1) ItemWarning(run, src, "its DTEND is not after its DTSTART; taken as one day");
    // One day is a count of 0, as the organiser keeps it, or 1.
    const long lCount = lDays <= 1 ? XNumber(run, src, "X-KALVERT-END-DATE", 0, 1, 0) : lDays;
    if (lCount > 65535)
      ItemWarning(run, src, "its " + std::to_string(lCount) + " days kept as 65535, the most the organiser counts");
    nra.iEndDate = static_cast<uint16_t>(lCount > 65535 ? 65535 : lCount);
  } else {
    item.cKind = KIND_APPT;
    if (!start.is_date) {
      startWord = static_cast<uint16_t>(Minutes(run, src, "DTSTART", start));
      // Without DTEND, 0: an end after no start.
      const long lEnd = bEnd ? lDays * kDayMinutes + Minutes(run, src, "DTEND", end) : 0;
      if (lDays > 1 || (lDays == 1 && lEnd != kDayMinutes)) {
        ItemWarning(run, src,
                    "it ends on " + DateLabel(DateOf(end)) +
                        "; the organiser keeps it on its first day, "
                        "ending at " +
                        ClockText(static_cast<int>(lEnd % kDayMinutes)));
        endWord = static_cast<uint16_t>(lEnd % kDayMinutes);
        nra.iEndDate = static_cast<uint16_t>(lDays > 65535 ? 65535 : lDays);
      } else if (lEnd > startWord) {
        endWord = static_cast<uint16_t>(lEnd);
      }
    } else if (bEnd && lDays > 1) {
      ItemWarning(run, src, "its days after the first are left out (the organiser keeps it on one day)");
    }
    // Words that DTSTART and DTEND can't carry (no time other than the
    // organiser's, an end not after the start) come back from the export's
    // own properties.
    if (start.is_date) {
      startWord = static_cast<uint16_t>(
          XNumber(run, src, "X-KALVERT-START-TIME", -32768, 32767, static_cast<int16_t>(startWord)));
    }
    if (endWord == kNoTime) {
      endWord =
          static_cast<uint16_t>(XNumber(run, src, "X-KALVERT-END-TIME", -32768, 32767, static_cast<int16_t>(endWord)));
    }
    nra.iEndDate = static_cast<uint16_t>(XNumber(run, src, "X-KALVERT-END-DATE", 0, 65535, nra.iEndDate));
  }
  SetTime(startWord, &nra.cStartTimePri1, &nra.cStartTimePri2);
  SetTime(endWord, &nra.cEndTimeYear, &nra.cEndTimeMonth);
  unsigned uLead = static_cast<unsigned>(XNumber(run, src, "X-KALVERT-ALARM-LEAD", 0, 65535, kNewItemLead));
  const bool bAlarm = Alarm(run, src, start, &uLead);
  nra.cLeadTimeDay = static_cast<uint8_t>(uLead & 0xFF);
  nra.cLeadTime = static_cast<uint8_t>(uLead >> 8);
  nra.cFlags = static_cast<uint8_t>(item.cKind | OtherFlags(run, src, item.cKind, kNewItemViews) | (bAlarm ? 1 : 0));
  return true;
}

// The priority characters: X-KALVERT-PRIORITY when PRIORITY is still its
// level, else the digit of PRIORITY (1 highest to 9).
void Priority(ImportRun& run, const Source& src, NonRepeaAppt& nra) {
  icalproperty* p = icalcomponent_get_first_property(src.comp, ICAL_PRIORITY_PROPERTY);
  const int iLevel = p ? icalproperty_get_priority(p) : 0;
  std::string chars;
  if (const char* x = XValue(src.comp, "X-KALVERT-PRIORITY")) {
    chars = OrganiserText(run, src, "X-KALVERT-PRIORITY", UnescapedText(x), 2, TextShape::kAsIs);
    if (chars.empty() || PriorityLevel(static_cast<uint8_t>(chars[0])) != iLevel) chars.clear();
  }
  if (chars.empty() && iLevel >= 1 && iLevel <= 9) chars = std::string(1, static_cast<char>('0' + iLevel));
  nra.cStartTimePri1 = chars.empty() ? 0 : static_cast<uint8_t>(chars[0]);
  nra.cStartTimePri2 = chars.size() < 2 ? 0 : static_cast<uint8_t>(chars[1]);
}

// A ToDo item: its date (DTSTART, else DUE), day count, priority and marks.
bool TodoParts(ImportRun& run, const Source& src, BookItem& item) {
  NonRepeaAppt& nra = *item.pnra;
  item.cKind = KIND_TODO;
  const icaltimetype start = TimeOf(run, src, ICAL_DTSTART_PROPERTY, "DTSTART");
  const icaltimetype due = TimeOf(run, src, ICAL_DUE_PROPERTY, "DUE");
  icaltimetype day = icaltime_is_null_time(start) ? due : start;
  // A task without a date goes on the day of the import and is carried
  // forward from day to day until it is done, as the organiser keeps one.
  const bool bUndated = icaltime_is_null_time(day);
  if (bUndated) {
    day = icaltime_today();
    ItemWarning(run, src,
                "it has neither DTSTART nor DUE; dated " + DateLabel(DateOf(day)) +
                    ", the day of the import, and carried forward");
  }
  if (!DateBytes(run, src, day, &nra.cYear, &nra.cMonth, &nra.cDay)) return false;
  long lDays = 0;
  if (!icaltime_is_null_time(due)) {
    lDays = DayNumber(DateOf(due)) - DayNumber(DateOf(day)) + 1;
    if (lDays < 1) {
      ItemWarning(run, src, "its DUE is before its DTSTART; due on its date");
      lDays = 1;
    }
  }
  const bool bRepeats = icalcomponent_get_first_property(src.comp, ICAL_RRULE_PROPERTY) != nullptr;
  // A repeating item due on its own day is written due the day after.
  const long lKept = XNumber(run, src, "X-KALVERT-DUE-DAYS", 0, 65535, -1);
  if (lKept >= 0 && (lKept == lDays || (bRepeats && lKept == 1 && lDays == 2))) lDays = lKept;
  nra.iEndDate = static_cast<uint16_t>(lDays > 65535 ? 65535 : lDays);
  Priority(run, src, nra);

  icalproperty* status = icalcomponent_get_first_property(src.comp, ICAL_STATUS_PROPERTY);
  const bool bDone = (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) ||
                     icalcomponent_get_first_property(src.comp, ICAL_COMPLETED_PROPERTY);
  Date3 done;
  // Noon UTC is how the export writes a date alone: that date, in any zone.
  const icaltimetype stamp = RawTime(src, ICAL_COMPLETED_PROPERTY);
  const bool bNoon = icaltime_is_utc(stamp) && stamp.hour == 12 && stamp.minute == 0 && stamp.second == 0;
  icaltimetype doneAt = bNoon ? stamp : TimeOf(run, src, ICAL_COMPLETED_PROPERTY, "COMPLETED");
  if (icaltime_is_null_time(doneAt) && !bDone) {
    if (const char* x = XValue(src.comp, "X-KALVERT-COMPLETED-ON")) doneAt = icaltime_from_string(x);
  }
  if (!icaltime_is_null_time(doneAt)) DateBytes(run, src, doneAt, &done.y, &done.m, &done.d, "its completion date");
  nra.cEndTimeYear = done.y;
  nra.cEndTimeMonth = done.m;
  nra.cLeadTimeDay = done.d;
  nra.cLeadTime = static_cast<uint8_t>(XNumber(run, src, "X-KALVERT-LEAD", 0, 255, kTodoByte25));
  const uint8_t cMarks = static_cast<uint8_t>((bDone ? kFlagCompleted : 0) |
                                              (bUndated || XTrue(src, "X-KALVERT-CARRY-FORWARD") ? kFlagCarry : 0));
  nra.cFlags = static_cast<uint8_t>(KIND_TODO | cMarks | (OtherFlags(run, src, KIND_TODO, 0) & ~0x06));
  return true;
}

// The first of CATEGORIES, read from its line: libical keeps the list with
// its escaped commas undone.
std::string FirstCategory(const ImportRun& run, const Source& src) {
  if (!icalcomponent_get_first_property(src.comp, ICAL_CATEGORIES_PROPERTY)) return std::string();
  const std::string value = RawValue(PropertyLine(*run.file, src.range, "CATEGORIES").text);
  std::size_t i = 0;
  while (i < value.size() && value[i] != ',') i += value[i] == '\\' ? 2 : 1;
  return UnescapedText(value.substr(0, std::min(i, value.size())));
}

std::string Text(const char* value) { return value ? value : std::string(); }

}  // namespace

std::unique_ptr<BookItem> ComponentItem(ImportRun& run, const Source& src) {
  std::unique_ptr<BookItem> item = MakeCSVD(true);
  NonRepeaAppt& nra = *item->pnra;
  nra.cRepeatType = kRepeatNone;
  nra.iPrevRecNum = nra.iNextRecNum = -1;
  const bool bTodo = icalcomponent_isa(src.comp) == ICAL_VTODO_COMPONENT;
  if (!(bTodo ? TodoParts(run, src, *item) : EventParts(run, src, *item))) return nullptr;
  item->pszDescription = OrganiserText(run, src, "SUMMARY", Text(icalcomponent_get_summary(src.comp)), kMaxDescription,
                                       TextShape::kOneLine);
  item->pszLocation = OrganiserText(run, src, "LOCATION", Text(icalcomponent_get_location(src.comp)), kMaxLocation,
                                    TextShape::kOneLine);
  item->pszCategory = OrganiserText(run, src, "CATEGORIES", FirstCategory(run, src), 0, TextShape::kOneLine);
  item->pszStoredNote =
      OrganiserText(run, src, "DESCRIPTION", Text(icalcomponent_get_description(src.comp)), kMaxNote, TextShape::kNote);
  item->pszNote = item->pszStoredNote;
  nra.iNoteRecNum = item->pszStoredNote.empty() ? -1 : 0;
  return item;
}

}  // namespace ical
