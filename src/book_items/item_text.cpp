// item_text: the calendar, the texts of an item's dates, times and priority,
// the cut of a text to a field's limit and the label that names an item in
// messages, shared by every format.
#include <cstdio>

#include "book_items.h"

int DaysInMonth(long y, long m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

std::string DateBytesText(uint8_t cYear, uint8_t cMonth, uint8_t cDay, char cSep) {
  std::string s;
  AppendPadded(s, cYear + 1900UL, 4);
  s += cSep;
  AppendPadded(s, cMonth + 1UL, 2);
  s += cSep;
  AppendPadded(s, cDay + 1UL, 2);
  return s;
}

std::string ClockText(int iMinutes) {
  if (iMinutes < 0) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%02d:%02d", iMinutes / 60, iMinutes % 60);
    return sz;
  }
  std::string s;
  AppendPadded(s, static_cast<unsigned long>(iMinutes / 60), 2);
  s += ':';
  AppendPadded(s, static_cast<unsigned long>(iMinutes % 60), 2);
  return s;
}

std::string PriorityText(uint8_t c1, uint8_t c2) {
  std::string sz;
  if (c1 == 0) return sz;
  sz += static_cast<char>(c1);
  if (c2 != 0) sz += static_cast<char>(c2);
  return sz;
}

std::string& CutString(std::string& pszString, int iStart, int iCut) {
  const std::size_t cut = static_cast<std::size_t>(iCut);
  if (pszString.size() < cut) return pszString;
  std::size_t i = static_cast<std::size_t>(iStart);
  while (i < pszString.size()) {
    const bool twoByte = static_cast<unsigned char>(pszString[i]) > 0x80;
    if (i >= cut || (twoByte && i + 1 == cut)) {
      pszString.resize(i);
      break;
    }
    i += twoByte ? 2 : 1;
  }
  return pszString;
}

std::string ItemLabel(const BookItem& csvd) {
  constexpr std::size_t kShown = 40;  // bytes of the description shown
  const NonRepeaAppt& nra = *csvd.pnra;
  const char* szKind = csvd.cKind == KIND_APPT ? "appointment" : csvd.cKind == KIND_EVENT ? "event" : "ToDo item";
  std::string s = std::string("The ") + szKind + " \"";
  for (const char c : csvd.pszDescription.substr(0, kShown)) s += static_cast<unsigned char>(c) < 0x80 ? c : '?';
  s += csvd.pszDescription.size() > kShown ? "...\"" : "\"";
  s += IsNoDate(nra.cYear, nra.cMonth, nra.cDay) ? " with no date"
                                                 : " of " + DateBytesText(nra.cYear, nra.cMonth, nra.cDay, '/');
  if (csvd.cKind != KIND_TODO && StartTime(nra) >= 0) s += " at " + ClockText(StartTime(nra));
  if (csvd.iInputRecord >= 0) s += " (record " + std::to_string(csvd.iInputRecord) + ")";
  return s;
}
