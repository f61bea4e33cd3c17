// rrule: ReadRule and RuleText, a repeat block's meaning and its RRULE.
//
// Repeat kinds: 2 daily, 4 weekly, 8 monthly, 16 yearly, every cFreq units;
// 32 custom, every year in the months of its month rule. The day rule
// (Weeks, Days): bit 7 of Days clear, Days is a day of the month; set, bits 0
// to 6 are Monday to Sunday and Weeks selects weeks of the month (1 first, 2
// second, 4 third, 8 fourth, 16 last). The month rule: Month1 January to
// August, bits 0 to 3 of Month2 September to December in calendar order.
#include "icalendar.h"

namespace ical {
namespace {

constexpr uint8_t kWeekdaySet = 0x80;

bool Refuse(std::string* pWhy, const std::string& szWhy) {
  *pWhy = szWhy;
  return false;
}

// The day rule of a monthly, yearly or custom rule.
bool ReadDayRule(const RepeatInformationAppt& r, Rule* pRule, std::string* pWhy) {
  if ((r.Days & kWeekdaySet) == 0) {
    if (r.Weeks != 0) return Refuse(pWhy, "a day of the month with weeks of the month");
    if (r.Days < 1 || r.Days > 31) return Refuse(pWhy, "day " + std::to_string(r.Days) + " of the month");
    pRule->monthday = r.Days;
    return true;
  }
  pRule->weekdays = r.Days & 0x7F;
  pRule->weeks = r.Weeks;
  if (pRule->weekdays == 0) return Refuse(pWhy, "a weekday rule with no weekday");
  if (r.Weeks == 0) return Refuse(pWhy, "a weekday rule with no week of the month");
  if (r.Weeks > 0x1F) return Refuse(pWhy, "weeks of the month of unknown meaning");
  return true;
}

}  // namespace

bool ReadRule(const RepeatInformationAppt& r, int8_t cRepeatType, Rule* pRule, std::string* pWhy) {
  Rule rule;
  const uint16_t months = static_cast<uint16_t>(r.Month2 << 8 | r.Month1);
  const bool bCustom = cRepeatType == 32;
  rule.interval = bCustom ? 1 : r.cFreq;
  if (rule.interval < 1) return Refuse(pWhy, "an interval of " + std::to_string(r.cFreq));
  switch (cRepeatType) {
    case 2:
      rule.freq = Freq::kDaily;
      if (r.Days != 0 || r.Weeks != 0 || months != 0) return Refuse(pWhy, "a daily rule with a day or month rule");
      break;
    case 4:
      rule.freq = Freq::kWeekly;
      rule.weekdays = r.Days & 0x7F;
      if (months != 0 || r.Weeks != 0) return Refuse(pWhy, "a weekly rule with a month or week rule");
      if ((r.Days & kWeekdaySet) == 0 || rule.weekdays == 0) return Refuse(pWhy, "a weekly rule with no weekday");
      break;
    case 8:
      rule.freq = Freq::kMonthly;
      if (months != 0) return Refuse(pWhy, "a monthly rule with a month rule");
      if (!ReadDayRule(r, &rule, pWhy)) return false;
      break;
    case 16:
    case 32:
      rule.freq = Freq::kYearly;
      rule.months = months;
      if (months == 0) return Refuse(pWhy, "a yearly rule with no month");
      if (months > 0x0FFF) return Refuse(pWhy, "a month rule of unknown meaning");
      if (!ReadDayRule(r, &rule, pWhy)) return false;
      break;
    default:
      return Refuse(pWhy, "repeat kind " + std::to_string(cRepeatType) + " of unknown meaning");
  }
  *pRule = rule;
  return true;
}

std::string RuleText(const Rule& rule) {
  static const char* const kFreq[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  static const char* const kDay[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
  static const char* const kWeek[] = {"1", "2", "3", "4", "-1"};
  std::string s = std::string("FREQ=") + kFreq[static_cast<int>(rule.freq)];
  if (rule.interval > 1) s += ";INTERVAL=" + std::to_string(rule.interval);
  std::string list;
  const auto add = [&list](const std::string& item) { list += (list.empty() ? "" : ",") + item; };
  for (int m = 0; m < 12; ++m) {
    if (rule.months >> m & 1) add(std::to_string(m + 1));
  }
  if (!list.empty()) s += ";BYMONTH=" + list;
  if (rule.monthday != 0) s += ";BYMONTHDAY=" + std::to_string(rule.monthday);
  // Weekly rules take every week, the others the weeks of the month given.
  list.clear();
  const bool bEveryWeek = rule.weeks == 0;
  for (int w = 0; w < 5; ++w) {
    if (!bEveryWeek && !(rule.weeks >> w & 1)) continue;
    for (int d = 0; d < 7; ++d) {
      if (rule.weekdays >> d & 1) add((bEveryWeek ? "" : kWeek[w]) + std::string(kDay[d]));
    }
    if (bEveryWeek) break;
  }
  if (!list.empty()) s += ";BYDAY=" + list;
  if (rule.freq == Freq::kWeekly) s += ";WKST=MO";
  return s;
}

}  // namespace ical
