// rdrpday: ReadRepeatDay, the text of a repeat block's day rule: a plain
// number, or weekday names with an optional week of the month ("2th/MON:WED").
#include <string>

#include "kalvert.h"

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
