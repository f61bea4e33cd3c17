// rptprops: AppendRepeat, the RRULE of a series with its last date (UNTIL, of
// DTSTART's value type) and an EXDATE per deleted occurrence.
#include "icalendar.h"

namespace ical {

void AppendRepeat(const Series& series, const std::string& szTime, std::vector<std::string>* pProps) {
  if (!series.bRepeats) return;
  std::string szRule = "RRULE:" + RuleText(series.rule);
  if (series.bUntil) szRule += ";UNTIL=" + DateValue(series.until) + szTime;
  pProps->push_back(szRule);
  const std::string szExdate = szTime.empty() ? "EXDATE;VALUE=DATE:" : "EXDATE:";
  for (const CalDate& date : series.exdates) pProps->push_back(szExdate + DateValue(date) + szTime);
}

}  // namespace ical
