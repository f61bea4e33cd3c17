// getrpday: GetRepeatDay, the day rule of a repeat-rule text: a plain day of
// the month, or 128 (weekday set) + 256 x week + one bit per weekday name.
#include "csvvalue.h"

int16_t GetRepeatDay(const std::string& pszDay) {
  if (pszDay.size() <= 2) return csvvalue::LeadingNumber(pszDay);
  long sum = 128;
  if (pszDay.find("th") != std::string::npos) sum += 256L * csvvalue::LeadingNumber(pszDay);
  long bit = 1;
  for (const char* name : kWeekdayNames) {
    if (pszDay.find(name) != std::string::npos) sum += bit;
    bit <<= 1;
  }
  return CutTo16(sum);
}
