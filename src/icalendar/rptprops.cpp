// rptprops: AppendRepeat, the RRULE of a series with its last date (UNTIL, of
// DTSTART's value type) and an EXDATE per deleted occurrence.
#include "icalendar.h"

namespace ical {

void AppendRepeat(const Series& series, const std::string& szTime, Component* pComp) {
  if (!series.bRepeats) return;
  const std::string szUntil = series.bUntil ? ";UNTIL=" + DateValue(series.until) + szTime : std::string();
  pComp->Add({"RRULE:", RuleText(series.rule), szUntil});
  const char* szExdate = szTime.empty() ? "EXDATE;VALUE=DATE:" : "EXDATE:";
  for (const CalDate& date : series.exdates) pComp->Add({szExdate, DateValue(date), szTime});
}

}  // namespace ical
