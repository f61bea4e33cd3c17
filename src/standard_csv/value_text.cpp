// value_text: how the export writes dates, times, flags and repeat rules.

#include "csv_parts.h"

namespace stdcsv {

const char* const kMonthNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                     "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kWeekNames[5] = {"first", "second", "third", "fourth", "last"};

namespace {

// The names of the set bits, joined by ';'.
template <std::size_t N>
std::string Names(unsigned bits, const char* const (&names)[N]) {
  std::string s;
  for (std::size_t i = 0; i < N; ++i) {
    if (!(bits & (1u << i))) continue;
    if (!s.empty()) s += ';';
    s += names[i];
  }
  return s;
}

std::string RawDate(const unsigned char* p) { return DateBytesText(p[0], p[1], p[2], '-'); }

}  // namespace

// A date with some bytes of 0xFF is no date (IsNoDate), but its bytes are
// written all the same, so that the row hides nothing of the record.
std::string DateText(uint8_t cYear, uint8_t cMonth, uint8_t cDay) {
  if (cYear == 0xFF && cMonth == 0xFF && cDay == 0xFF) return std::string();
  return DateBytesText(cYear, cMonth, cDay, '-');
}

// Empty for the organiser's "no time" (00 80); any other negative word (the
// legacy import's FF FF) as its minutes, so that it comes back as stored.
std::string TimeText(uint8_t cLow, uint8_t cHigh) {
  const long lWord = cHigh * 256L + cLow;
  if (lWord == kNoTime) return std::string();
  const int iTime = CutTo16(lWord);
  return iTime < 0 ? std::to_string(iTime) : ClockText(iTime);
}

std::string YesNo(bool b) { return b ? "yes" : "no"; }

std::string NumberText(long v) { return v == 0 ? std::string() : std::to_string(v); }

std::string RepeatWord(int8_t cRepeatType) {
  switch (cRepeatType) {
    case kRepeatNone:
      return "none";
    case kRepeatDaily:
      return "daily";
    case kRepeatWeekly:
      return "weekly";
    case kRepeatMonthly:
      return "monthly";
    case kRepeatYearly:
      return "yearly";
    case kRepeatCustom:
      return "custom";
    default:
      return std::to_string(cRepeatType);
  }
}

std::string WeekdaysText(uint8_t cDays) {
  const std::string s = Names(cDays & 0x7Fu, kWeekdayNames);
  return s.empty() ? "none" : s;
}

// Bits 5 to 7 have no name: such a byte is written as its number.
std::string WeeksText(uint8_t cWeeks) {
  if (cWeeks & 0xE0) return std::to_string(cWeeks);
  return Names(cWeeks, kWeekNames);
}

// Bits 4 to 7 of the second byte have no month: such a rule is written as
// its number.
std::string MonthsText(uint8_t cMonth1, uint8_t cMonth2) {
  if (cMonth2 & 0xF0) return std::to_string(cMonth2 * 256 + cMonth1);
  return Names(cMonth1 | (cMonth2 & 0x0Fu) << 8, kMonthNames);
}

// Each entry: its date, then " done" for an occurrence of a ToDo item that
// was checked off, or " status N" for another status byte.
std::string DeletedText(const std::vector<unsigned char>& entries) {
  std::string s;
  for (std::size_t i = 0; i + 4 <= entries.size(); i += 4) {
    if (!s.empty()) s += ';';
    s += RawDate(&entries[i]);
    const unsigned char cStatus = entries[i + 3];
    if (cStatus == 1) {
      s += " done";
    } else if (cStatus != 0) {
      s += " status " + std::to_string(cStatus);
    }
  }
  return s;
}

}  // namespace stdcsv
