// components: the VEVENT of an appointment or event, the VTODO of a ToDo item,
// and their VALARM.

#include "calendar_parts.h"

namespace ical {

void AppendPlaceAndCategory(TextContext& ctx, const BookItem& csvd, Component* pComp) {
  if (!csvd.pszLocation.empty()) pComp->Add({"LOCATION:", TextValue(ctx, csvd, csvd.pszLocation)});
  if (!csvd.pszCategory.empty()) pComp->Add({"CATEGORIES:", TextValue(ctx, csvd, csvd.pszCategory)});
}
namespace {

constexpr int kDayMinutes = 1440;

// "THHMM00" of minutes after midnight (0 to 1439).
std::string TimeSuffix(int iMinutes) {
  const int iHour = iMinutes / 60, iMinute = iMinutes % 60;
  return {'T',
          static_cast<char>('0' + iHour / 10),
          static_cast<char>('0' + iHour % 10),
          static_cast<char>('0' + iMinute / 10),
          static_cast<char>('0' + iMinute % 10),
          '0',
          '0'};
}

// DTSTART and DTEND of an appointment; returns the start's time suffix.
std::string AppointmentTimes(const BookItem& csvd, const CalDate& day, Component* pComp) {
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

void EventComponents(TextContext& ctx, const BookItem& csvd, const Series& series, std::vector<Component>* pComps) {
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
  AppendPlaceAndCategory(ctx, csvd, &comp);
  const std::string note = NoteOf(csvd);
  if (!note.empty()) comp.Add({"DESCRIPTION:", TextValue(ctx, csvd, note)});
  // An appointment's day count has no known meaning; kept as it is.
  if (csvd.cKind == KIND_APPT && nra.iEndDate != 0) comp.Add({"X-KALVERT-END-DATE:", std::to_string(nra.iEndDate)});
  // Bytes 24 and 25: the lead in minutes, low byte first.
  if (nra.cFlags & kFlagAlarm) AppendAlarm(szSummary, nra.cLeadTime * 256u + nra.cLeadTimeDay, &comp);
  pComps->push_back(std::move(comp));
}

}  // namespace ical

namespace ical {
namespace {

// DTSTART and DUE of the occurrence on day.
void Dates(const BookItem& csvd, const Series& series, const CalDate& day, Component* pComp) {
  const uint16_t iDays = csvd.pnra->iEndDate;
  if (iDays != 1 || series.bRepeats) pComp->Add({"DTSTART;VALUE=DATE:", DateValue(day)});
  if (iDays == 0) return;
  const long lDue = iDays == 1 ? (series.bRepeats ? 1 : 0) : iDays - 1L;
  pComp->Add({"DUE;VALUE=DATE:", DateValue(AddDays(day, lDue))});
}

}  // namespace

void TodoComponents(TextContext& ctx, const BookItem& csvd, const Series& series, std::vector<Component>* pComps) {
  const NonRepeaAppt& nra = *csvd.pnra;
  Component texts("");
  texts.Add({"SUMMARY:", TextValue(ctx, csvd, csvd.pszDescription)});
  AppendPlaceAndCategory(ctx, csvd, &texts);
  const std::string note = NoteOf(csvd);
  if (!note.empty()) texts.Add({"DESCRIPTION:", TextValue(ctx, csvd, note)});
  const int iLevel = PriorityLevel(nra.cStartTimePri1, nra.cStartTimePri2);
  if (iLevel != 0) texts.Add({"PRIORITY:", std::to_string(iLevel)});
  const std::string szPriority = PriorityText(nra.cStartTimePri1, nra.cStartTimePri2);
  if (!szPriority.empty()) texts.Add({"X-KALVERT-PRIORITY:", TextValue(ctx, csvd, szPriority)});
  if (nra.iEndDate != 0) texts.Add({"X-KALVERT-DUE-DAYS:", std::to_string(nra.iEndDate)});
  if (nra.cFlags & kFlagCarry) texts.Add({"X-KALVERT-CARRY-FORWARD:TRUE"});

  Component comp("VTODO");
  Dates(csvd, series, series.start, &comp);
  AppendRepeat(series, std::string(), &comp);
  comp.text += texts.text;
  if (nra.cFlags & kFlagCompleted) {
    comp.Add({"STATUS:COMPLETED"});
    // The organiser keeps the date alone: noon UTC shows that date in
    // nearly every time zone.
    CalDate done;
    if (DateFromBytes(nra.cEndTimeYear, nra.cEndTimeMonth, nra.cLeadTimeDay, &done)) {
      comp.Add({"COMPLETED:", DateValue(done), "T120000Z"});
    }
  }
  pComps->push_back(std::move(comp));

  for (const CalDate& day : series.completed) {
    Component done("VTODO");
    done.Add({"RECURRENCE-ID;VALUE=DATE:", DateValue(day)});
    Dates(csvd, series, day, &done);
    done.text += texts.text;
    done.Add({"STATUS:COMPLETED"});
    pComps->push_back(std::move(done));
  }
}

void AppendAlarm(const std::string& szSummary, unsigned uLead, Component* pComp) {
  const unsigned uDays = uLead / 1440, uHours = uLead % 1440 / 60, uMinutes = uLead % 60;
  std::string szTrigger = "PT0M";
  if (uLead != 0) {
    szTrigger = "-P";
    if (uDays != 0) szTrigger += std::to_string(uDays) + "D";
    if (uHours != 0 || uMinutes != 0) szTrigger += "T";
    if (uHours != 0) szTrigger += std::to_string(uHours) + "H";
    if (uMinutes != 0) szTrigger += std::to_string(uMinutes) + "M";
  }
  pComp->Add({"BEGIN:VALARM"});
  pComp->Add({"ACTION:DISPLAY"});
  pComp->Add({"DESCRIPTION:", szSummary});
  pComp->Add({"TRIGGER:", szTrigger});
  pComp->Add({"END:VALARM"});
}

}  // namespace ical
