// vtodo: TodoComponents. A ToDo item is a VTODO starting on its date. Its day
// count (iEndDate) gives DUE: 0 none, 1 its own date, N its date plus N - 1
// days. DUE must come after DTSTART: a ToDo due on its own date has DUE
// alone, or, when it repeats (the rule needs DTSTART), DUE the day after.
// Each checked-off occurrence of a series is an instance of its own,
// completed.
#include "icalendar.h"

namespace ical {
namespace {

constexpr uint8_t kCompleted = 2;
constexpr uint8_t kCarry = 4;

// DTSTART and DUE of the occurrence on day.
void Dates(const CSVData& csvd, const Series& series, const CalDate& day, Component* pComp) {
  const uint16_t iDays = csvd.pnra->iEndDate;
  if (iDays != 1 || series.bRepeats) pComp->Add({"DTSTART;VALUE=DATE:", DateValue(day)});
  if (iDays == 0) return;
  const long lDue = iDays == 1 ? (series.bRepeats ? 1 : 0) : iDays - 1L;
  pComp->Add({"DUE;VALUE=DATE:", DateValue(AddDays(day, lDue))});
}

}  // namespace

void TodoComponents(TextContext& ctx, const CSVData& csvd, const Series& series, std::vector<Component>* pComps) {
  const NonRepeaAppt& nra = *csvd.pnra;
  Component texts("");
  texts.Add({"SUMMARY:", TextValue(ctx, csvd, csvd.pszDescription)});
  const std::string note = NoteOf(csvd);
  if (!note.empty()) texts.Add({"DESCRIPTION:", TextValue(ctx, csvd, note)});
  const int iLevel = PriorityLevel(nra.cStartTimePri1, nra.cStartTimePri2);
  if (iLevel != 0) texts.Add({"PRIORITY:", std::to_string(iLevel)});
  std::string szPriority;
  if (nra.cStartTimePri1 != 0) szPriority += static_cast<char>(nra.cStartTimePri1);
  if (nra.cStartTimePri1 != 0 && nra.cStartTimePri2 != 0) szPriority += static_cast<char>(nra.cStartTimePri2);
  if (!szPriority.empty()) texts.Add({"X-KALVERT-PRIORITY:", TextValue(ctx, csvd, szPriority)});
  if (nra.iEndDate != 0) texts.Add({"X-KALVERT-DUE-DAYS:", std::to_string(nra.iEndDate)});
  if (nra.cFlags & kCarry) texts.Add({"X-KALVERT-CARRY-FORWARD:TRUE"});

  Component comp("VTODO");
  Dates(csvd, series, series.start, &comp);
  AppendRepeat(series, std::string(), &comp);
  comp.text += texts.text;
  if (nra.cFlags & kCompleted) {
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

}  // namespace ical
