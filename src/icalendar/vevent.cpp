// vevent: EventComponents. An appointment is a VEVENT at its start time and,
// when it has one, its end time, in floating local time (the organiser keeps
// no time zone); without a start time it takes its whole day. An event takes
// whole days: DTEND is the day after its last day.
#include "icalendar.h"

namespace ical {
namespace {

constexpr int kDayMinutes = 1440;

// "THHMM00" of minutes after midnight (0 to 1439).
std::string TimeSuffix(int iMinutes) {
  const int iHour = iMinutes / 60, iMinute = iMinutes % 60;
  const char sz[8] = {'T',
                      static_cast<char>('0' + iHour / 10),
                      static_cast<char>('0' + iHour % 10),
                      static_cast<char>('0' + iMinute / 10),
                      static_cast<char>('0' + iMinute % 10),
                      '0',
                      '0',
                      '\0'};
  return sz;
}

// DTSTART and DTEND of an appointment; returns the start's time suffix.
std::string AppointmentTimes(const CSVData& csvd, const CalDate& day, Component* pComp) {
  const NonRepeaAppt& nra = *csvd.pnra;
  int iStart = StartTime(nra);
  // Minutes after midnight, low byte first; a negative value is no time.
  const int iEnd = CutTo16(nra.cEndTimeMonth * 256L + nra.cEndTimeYear);
  if (iStart >= kDayMinutes) {
    Warn(csvd, "its start time is not a time of the day; written for its whole day");
    iStart = -1;
  }
  if (iStart < 0) {
    pComp->Add({"DTSTART;VALUE=DATE:", DateValue(day)});
    if (iEnd >= 0) Warn(csvd, "its end time without a start time is left out");
    return std::string();
  }
  const std::string szTime = TimeSuffix(iStart);
  pComp->Add({"DTSTART:", DateValue(day), szTime});
  if (iEnd > kDayMinutes || (iEnd >= 0 && iEnd < iStart)) {
    Warn(csvd, "its end time is not a time after its start on the same day; left out");
  } else if (iEnd == kDayMinutes) {
    pComp->Add({"DTEND:", DateValue(AddDays(day, 1)), TimeSuffix(0)});
  } else if (iEnd > iStart) {
    pComp->Add({"DTEND:", DateValue(day), TimeSuffix(iEnd)});
  }
  return szTime;
}

}  // namespace

void EventComponents(TextContext& ctx, const CSVData& csvd, const Series& series, std::vector<Component>* pComps) {
  const NonRepeaAppt& nra = *csvd.pnra;
  Component comp("VEVENT");
  std::string szTime;
  if (csvd.cKind == KIND_APPT) {
    szTime = AppointmentTimes(csvd, series.start, &comp);
  } else {
    // 0 and 1 are both one day.
    const long lDays = nra.iEndDate > 1 ? nra.iEndDate : 1;
    comp.Add({"DTSTART;VALUE=DATE:", DateValue(series.start)});
    comp.Add({"DTEND;VALUE=DATE:", DateValue(AddDays(series.start, lDays))});
  }
  AppendRepeat(series, szTime, &comp);
  const std::string szSummary = TextValue(ctx, csvd, csvd.pszDescription);
  comp.Add({"SUMMARY:", szSummary});
  if (!csvd.pszLocation.empty()) comp.Add({"LOCATION:", TextValue(ctx, csvd, csvd.pszLocation)});
  if (!csvd.pszCategory.empty()) comp.Add({"CATEGORIES:", TextValue(ctx, csvd, csvd.pszCategory)});
  const std::string note = NoteOf(csvd);
  if (!note.empty()) comp.Add({"DESCRIPTION:", TextValue(ctx, csvd, note)});
  // An appointment's day count has no known meaning; kept as it is.
  if (csvd.cKind == KIND_APPT && nra.iEndDate != 0) comp.Add({"X-KALVERT-END-DATE:", std::to_string(nra.iEndDate)});
  // Bytes 24 and 25: the lead in minutes, low byte first.
  if (nra.cFlags & 1) AppendAlarm(szSummary, nra.cLeadTime * 256u + nra.cLeadTimeDay, &comp);
  pComps->push_back(std::move(comp));
}

}  // namespace ical
