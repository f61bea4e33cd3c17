// valarm: AppendAlarm, a display alarm the lead time before the start. The
// lead is in minutes; the trigger names it in days, hours and minutes
// (-P2D, -PT2H, -PT15M, -P1DT1H30M), never in a form such as -PT2D.
#include "icalendar.h"

namespace ical {

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
