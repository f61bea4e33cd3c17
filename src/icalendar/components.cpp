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

// What DTSTART and DTEND of an appointment said.
struct Written {
  std::string szTime;  // the start's time suffix; empty for a whole day
  bool bEnd = false;   // DTEND written from the end time
};

// DTSTART and DTEND of an appointment.
Written AppointmentTimes(const BookItem& csvd, const CalDate& day, Component* pComp) {
  const NonRepeaAppt& nra = *csvd.pnra;
  int iStart = StartTime(nra);
  // Minutes after midnight, low byte first; a negative value is no time.
  const int iEnd = EndTime(nra);
  if (iStart >= kDayMinutes) {
    Warn(csvd, "its start time is not a time of the day; written for its whole day");
    iStart = -1;
  }
  Written w;
  if (iStart < 0) {
    pComp->Add({"DTSTART;VALUE=DATE:", DateValue(day)});
    if (iEnd >= 0) Warn(csvd, "its end time without a start time is kept only in X-KALVERT-END-TIME");
    return w;
  }
  w.szTime = TimeSuffix(iStart);
  pComp->Add({"DTSTART:", DateValue(day), w.szTime});
  w.bEnd = iEnd > iStart && iEnd <= kDayMinutes;
  if (iEnd > kDayMinutes || (iEnd >= 0 && iEnd < iStart)) {
    Warn(csvd, "its end time is not a time after its start on the same day; kept only in X-KALVERT-END-TIME");
  } else if (iEnd == kDayMinutes) {
    pComp->Add({"DTEND:", DateValue(AddDays(day, 1)), TimeSuffix(0)});
  } else if (iEnd > iStart) {
    pComp->Add({"DTEND:", DateValue(day), TimeSuffix(iEnd)});
  }
  return w;
}

// What the book holds beyond the standard properties, in X-KALVERT-
// properties that calendar programs ignore and the import reads back.
void AppendKept(const BookItem& csvd, const Series& series, const Written& w, Component* pComp) {
  const NonRepeaAppt& nra = *csvd.pnra;
  const bool bAppt = csvd.cKind == KIND_APPT;
  if (bAppt && w.szTime.empty()) {
    pComp->Add({"X-KALVERT-KIND:APPOINTMENT"});
    if (StartTime(nra) != static_cast<int16_t>(kNoTime)) {
      pComp->Add({"X-KALVERT-START-TIME:", std::to_string(StartTime(nra))});
    }
  }
  const int16_t iEnd = EndTime(nra);
  if (bAppt && !w.bEnd && iEnd != static_cast<int16_t>(kNoTime)) {
    pComp->Add({"X-KALVERT-END-TIME:", std::to_string(iEnd)});
  }
  // An appointment's day count has no known meaning; kept as it is. An
  // event's 0 and 1 are both one day.
  if ((bAppt && nra.iEndDate != 0) || (!bAppt && nra.iEndDate == 1)) {
    pComp->Add({"X-KALVERT-END-DATE:", std::to_string(nra.iEndDate)});
  }
  const uint8_t cOther = static_cast<uint8_t>(nra.cFlags & ~(bAppt ? KIND_APPT : KIND_EVENT) & ~kFlagAlarm);
  if (cOther != kNewItemViews) pComp->Add({"X-KALVERT-FLAGS:", std::to_string(cOther)});
  const unsigned uLead = nra.cLeadTime * 256u + nra.cLeadTimeDay;
  if (!(nra.cFlags & kFlagAlarm) && uLead != kNewItemLead) {
    pComp->Add({"X-KALVERT-ALARM-LEAD:", std::to_string(uLead)});
  }
  AppendKeptDates(csvd, series, pComp);
}

}  // namespace

void EventComponents(TextContext& ctx, const BookItem& csvd, const Series& series, std::vector<Component>* pComps) {
  const NonRepeaAppt& nra = *csvd.pnra;
  Component comp("VEVENT");
  Written w;
  if (csvd.cKind == KIND_APPT) {
    w = AppointmentTimes(csvd, series.start, &comp);
  } else {
    // 0 and 1 are both one day.
    const long lDays = nra.iEndDate > 1 ? nra.iEndDate : 1;
    comp.Add({"DTSTART;VALUE=DATE:", DateValue(series.start)});
    comp.Add({"DTEND;VALUE=DATE:", DateValue(AddDays(series.start, lDays))});
  }
  AppendRepeat(series, w.szTime, &comp);
  const std::string szSummary = TextValue(ctx, csvd, csvd.pszDescription);
  comp.Add({"SUMMARY:", szSummary});
  AppendPlaceAndCategory(ctx, csvd, &comp);
  const std::string note = NoteOf(csvd);
  if (!note.empty()) comp.Add({"DESCRIPTION:", TextValue(ctx, csvd, note)});
  AppendKept(csvd, series, w, &comp);
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
  const int iLevel = PriorityLevel(nra.cStartTimePri1);
  if (iLevel != 0) texts.Add({"PRIORITY:", std::to_string(iLevel)});
  const std::string szPriority = PriorityText(nra.cStartTimePri1, nra.cStartTimePri2);
  if (!szPriority.empty()) texts.Add({"X-KALVERT-PRIORITY:", TextValue(ctx, csvd, szPriority)});
  if (nra.iEndDate != 0) texts.Add({"X-KALVERT-DUE-DAYS:", std::to_string(nra.iEndDate)});
  if (nra.cFlags & kFlagCarry) texts.Add({"X-KALVERT-CARRY-FORWARD:TRUE"});
  const uint8_t cOther = static_cast<uint8_t>(nra.cFlags & ~(KIND_TODO | kFlagCompleted | kFlagCarry));
  if (cOther != 0) texts.Add({"X-KALVERT-FLAGS:", std::to_string(cOther)});
  // Byte 25 of a ToDo record has no known meaning; 0xFF is what it holds.
  if (nra.cLeadTime != 0xFF) texts.Add({"X-KALVERT-LEAD:", std::to_string(nra.cLeadTime)});

  Component comp("VTODO");
  Dates(csvd, series, series.start, &comp);
  AppendRepeat(series, std::string(), &comp);
  AppendKeptDates(csvd, series, &comp);
  comp.text += texts.text;
  // The organiser keeps the date alone: noon UTC shows that date in nearly
  // every time zone.
  CalDate doneOn;
  const bool bDate = DateFromBytes(nra.cEndTimeYear, nra.cEndTimeMonth, nra.cLeadTimeDay, &doneOn);
  if (nra.cFlags & kFlagCompleted) {
    comp.Add({"STATUS:COMPLETED"});
    if (bDate) comp.Add({"COMPLETED:", DateValue(doneOn), "T120000Z"});
  } else if (bDate) {
    comp.Add({"X-KALVERT-COMPLETED-ON:", DateValue(doneOn)});
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
