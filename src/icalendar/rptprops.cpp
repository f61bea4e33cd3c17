// rptprops: AppendRepeat, the RRULE of a series with its last date (UNTIL, of
// DTSTART's value type) and an EXDATE per deleted occurrence.
#include "icalendar.h"

namespace ical {

void AppendRepeat(const Series& series, const std::string& szTime, Component* pComp) {
  if (!series.bRepeats) return;
  std::string szRule = "RRULE:" + RuleText(series.rule);
  if (series.bUntil) szRule += ";UNTIL=" + DateValue(series.until) + szTime;
  pComp->Add(szRule);
  const std::string szExdate = szTime.empty() ? "EXDATE;VALUE=DATE:" : "EXDATE:";
  for (const CalDate& date : series.exdates) pComp->Add(szExdate + DateValue(date) + szTime);
}

}  // namespace ical
