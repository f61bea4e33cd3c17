// vevent: EventComponents. An appointment is a VEVENT at its start time and,
// when it has one, its end time, in floating local time (the organiser keeps
// no time zone); without a start time it takes its whole day. An event takes
// whole days: DTEND is the day after its last day.
#include <cstdio>

#include "icalendar.h"

namespace ical {
namespace {

constexpr int kDayMinutes = 1440;

std::string TimeSuffix(int iMinutes) {
  char sz[16];
  std::snprintf(sz, sizeof sz, "T%02d%02d00", iMinutes / 60, iMinutes % 60);
  return sz;
}

void Warn(const CSVData& csvd, const char* szWhat) {
  std::fprintf(stderr, "%s: %s.\n", ItemLabel(csvd).c_str(), szWhat);
}

// DTSTART and DTEND of an appointment; returns the start's time suffix.
std::string AppointmentTimes(const CSVData& csvd, const CalDate& day, std::vector<std::string>* pProps) {
  const NonRepeaAppt& nra = *csvd.pnra;
  int iStart = StartTime(nra);
  // Minutes after midnight, low byte first; a negative value is no time.
  const int iEnd = CutTo16(nra.cEndTimeMonth * 256L + nra.cEndTimeYear);
  if (iStart >= kDayMinutes) {
    Warn(csvd, "its start time is not a time of the day; written for its whole day");
    iStart = -1;
  }
  if (iStart < 0) {
    pProps->push_back("DTSTART;VALUE=DATE:" + DateValue(day));
    if (iEnd >= 0) Warn(csvd, "its end time without a start time is left out");
    return std::string();
  }
  const std::string szTime = TimeSuffix(iStart);
  pProps->push_back("DTSTART:" + DateValue(day) + szTime);
  if (iEnd > kDayMinutes || (iEnd >= 0 && iEnd < iStart)) {
    Warn(csvd, "its end time is not a time after its start on the same day; left out");
  } else if (iEnd == kDayMinutes) {
    pProps->push_back("DTEND:" + DateValue(AddDays(day, 1)) + TimeSuffix(0));
  } else if (iEnd > iStart) {
    pProps->push_back("DTEND:" + DateValue(day) + TimeSuffix(iEnd));
  }
  return szTime;
}

}  // namespace

void EventComponents(TextContext& ctx, const CSVData& csvd, const Series& series, std::vector<Component>* pComps) {
  const NonRepeaAppt& nra = *csvd.pnra;
  Component comp{"VEVENT", {}};
  std::vector<std::string>& props = comp.props;
  std::string szTime;
  if (csvd.cKind == KIND_APPT) {
    szTime = AppointmentTimes(csvd, series.start, &props);
  } else {
    // 0 and 1 are both one day.
    const long lDays = nra.iEndDate > 1 ? nra.iEndDate : 1;
    props.push_back("DTSTART;VALUE=DATE:" + DateValue(series.start));
    props.push_back("DTEND;VALUE=DATE:" + DateValue(AddDays(series.start, lDays)));
  }
  AppendRepeat(series, szTime, &props);
  const std::string szSummary = TextValue(ctx, csvd, csvd.pszDescription);
  props.push_back("SUMMARY:" + szSummary);
  if (!csvd.pszLocation.empty()) props.push_back("LOCATION:" + TextValue(ctx, csvd, csvd.pszLocation));
  if (!csvd.pszCategory.empty()) props.push_back("CATEGORIES:" + TextValue(ctx, csvd, csvd.pszCategory));
  const std::string note = csvd.pszStoredNote.substr(0, csvd.pszStoredNote.find('\0'));
  if (!note.empty()) props.push_back("DESCRIPTION:" + TextValue(ctx, csvd, note));
  // An appointment's day count has no known meaning; kept as it is.
  if (csvd.cKind == KIND_APPT && nra.iEndDate != 0)
    props.push_back("X-KALVERT-END-DATE:" + std::to_string(nra.iEndDate));
  // Bytes 24 and 25: the lead in minutes, low byte first.
  if (nra.cFlags & 1) AppendAlarm(szSummary, nra.cLeadTime * 256u + nra.cLeadTimeDay, &props);
  pComps->push_back(std::move(comp));
}

}  // namespace ical
