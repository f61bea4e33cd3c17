// repeat_text: a repeat block's day and month rules as the legacy text writes
// them, and back. A day rule is a plain day of the month, or 128 (weekday set)
// + 256 x week + one bit per weekday ("2th/MON:WED"); a month rule is "0" or
// the names of its months joined by ":" (DEC below NOV, as the text has
// always named them).

#include <string>

#include "book_items.h"

std::string ReadRepeatDay(int16_t iDay) {
  if (iDay <= 128) return std::to_string(iDay);

  // iDay is positive here, so both bytes are plain.
  const unsigned cDay = static_cast<unsigned>(iDay) & 0xFFu;
  const unsigned cWeek = (static_cast<unsigned>(iDay) >> 8) & 0xFFu;
  std::string szNames;
  if (cDay & 0x80u) {
    for (unsigned i = 0; i < 7; ++i) {
      if (!(cDay & (1u << i))) continue;
      if (!szNames.empty()) szNames += ':';
      szNames += kWeekdayNames[i];
    }
  }
  if (cWeek == 0) return szNames;
  // The suffix is "th" for every week number, 1 to 3 included.
  return std::to_string(cWeek) + "th/" + szNames;
}

namespace {

void AppendSetBits(int iPart, const char* const* names, unsigned count, std::string* psz) {
  // The parts of a negative rule are negative; their bits are those of the
  // two's-complement form.
  const unsigned bits = static_cast<unsigned>(iPart);
  for (unsigned i = 0; i < count; ++i) {
    if (!(bits & (1u << i))) continue;
    if (!psz->empty()) *psz += ':';
    *psz += names[i];
  }
}

}  // namespace

std::string ReadRepeatMonth(int16_t iMonth) {
  if (iMonth == 0) return "0";
  const int iWide = iMonth;
  std::string szText;
  AppendSetBits(iWide % 256, kMonthRuleNames, 8, &szText);
  AppendSetBits(iWide / 256, kMonthRuleNames + 8, 4, &szText);
  return szText;
}

int16_t GetRepeatDay(const std::string& pszDay) {
  if (pszDay.size() <= 2) return LeadingNumber(pszDay);
  long sum = 128;
  if (pszDay.find("th") != std::string::npos) sum += 256L * LeadingNumber(pszDay);
  long bit = 1;
  for (const char* name : kWeekdayNames) {
    if (pszDay.find(name) != std::string::npos) sum += bit;
    bit <<= 1;
  }
  return CutTo16(sum);
}

int16_t GetRepeatMonth(const std::string& pszMonth) {
  if (pszMonth.size() <= 1) return LeadingNumber(pszMonth);
  long sum = 0;
  long bit = 1;
  for (const char* name : kMonthRuleNames) {
    if (pszMonth.find(name) != std::string::npos) sum += bit;
    bit <<= 1;
  }
  return CutTo16(sum);
}
