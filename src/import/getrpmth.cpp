// getrpmth: GetRepeatMonth, the month rule of a repeat-rule text: one bit per
// month name, DEC below NOV as the export writes them.
#include "csvvalue.h"

int16_t GetRepeatMonth(const std::string& pszMonth) {
  if (pszMonth.size() <= 1) return csvvalue::LeadingNumber(pszMonth);
  long sum = 0;
  long bit = 1;
  for (const char* name : kMonthRuleNames) {
    if (pszMonth.find(name) != std::string::npos) sum += bit;
    bit <<= 1;
  }
  return CutTo16(sum);
}
