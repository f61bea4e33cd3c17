// caldate: dates of the proleptic Gregorian calendar, as iCalendar writes
// them, and the organiser's three date bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace ical {

struct CalDate {
  int y = 0, m = 0, d = 0;  // month 1 to 12, day 1 to 31
};

inline bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

inline int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Year minus 1900, month minus 1, day minus 1; false for 0xFF (no date) and
// for bytes that name no day of the calendar.
inline bool DateFromBytes(uint8_t cYear, uint8_t cMonth, uint8_t cDay, CalDate* pDate) {
  if (cYear == 0xFF || cMonth > 11 || cDay > 30) return false;
  const CalDate date{cYear + 1900, cMonth + 1, cDay + 1};
  if (date.d > DaysInMonth(date.y, date.m)) return false;
  *pDate = date;
  return true;
}

// Days since 1970-01-01 and back (the civil-calendar algorithms).
inline long DayNumber(const CalDate& date) {
  const long y = date.m <= 2 ? date.y - 1 : date.y;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153L * (date.m + (date.m > 2 ? -3 : 9)) + 2) / 5 + date.d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

inline CalDate DateOfDay(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return CalDate{static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0)), m, d};
}

inline CalDate AddDays(const CalDate& date, long n) { return DateOfDay(DayNumber(date) + n); }

// 0 Monday to 6 Sunday (1970-01-01 was a Thursday).
inline int Weekday(const CalDate& date) {
  const long r = (DayNumber(date) + 3) % 7;
  return static_cast<int>(r < 0 ? r + 7 : r);
}

inline bool operator<(const CalDate& a, const CalDate& b) { return DayNumber(a) < DayNumber(b); }

// The DATE form: YYYYMMDD (years 1900 to 2155).
inline std::string DateValue(const CalDate& date) {
  const int v[8] = {date.y / 1000, date.y / 100 % 10, date.y / 10 % 10, date.y % 10,
                    date.m / 10,   date.m % 10,       date.d / 10,      date.d % 10};
  std::string s(8, '0');
  for (int i = 0; i < 8; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>('0' + v[i]);
  return s;
}

// The legacy text's form, used in messages.
inline std::string DateLabel(const CalDate& date) {
  char sz[16];
  std::snprintf(sz, sizeof sz, "%04d/%02d/%02d", date.y, date.m, date.d);
  return sz;
}

}  // namespace ical
