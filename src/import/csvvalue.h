// csvvalue: how the import reads the number, date and time columns of a CSV
// line (numbers by LeadingNumber, kept modulo 2^16).
#pragma once

#include <cstdint>
#include <string>

#include "kalvert.h"

namespace csvvalue {

using ::LeadingNumber;

struct Date3 {
  uint8_t year = 0xFF, month = 0xFF, day = 0xFF;
};

// Year, month and day separated by '/' (a run of '/' is one separator):
// stored as year - 1900, month - 1, day - 1, each cut to 8 bits. A missing
// number counts as 0; an empty column means no date.
inline Date3 ParseDate(const std::string& s) {
  Date3 d;
  if (s.empty()) return d;
  long n[3] = {0, 0, 0};
  std::size_t i = 0;
  for (int k = 0; k < 3; ++k) {
    while (i < s.size() && s[i] == '/') ++i;
    if (i >= s.size()) break;
    const std::size_t end = s.find('/', i);
    n[k] = LeadingNumber(s.substr(i, end == std::string::npos ? std::string::npos : end - i));
    i = end == std::string::npos ? s.size() : end;
  }
  d.year = CutTo8(n[0] - 1900);
  d.month = CutTo8(n[1] - 1);
  d.day = CutTo8(n[2] - 1);
  return d;
}

// A date column stored in the three date bytes of a record.
inline void StoreDate(const std::string& s, uint8_t* year, uint8_t* month, uint8_t* day) {
  const Date3 d = ParseDate(s);
  *year = d.year;
  *month = d.month;
  *day = d.day;
}

// An empty column, or one holding "NONE" or "none" anywhere, gives no time.
inline bool IsNoTime(const std::string& s) {
  return s.empty() || s.find("NONE") != std::string::npos || s.find("none") != std::string::npos;
}

// Minutes after midnight, hours x 60 + minutes, kept modulo 2^16: hours are
// the leading number, minutes the leading number after the first ':'.
inline uint16_t ParseMinutes(const std::string& s) {
  const long hours = LeadingNumber(s);
  const std::size_t colon = s.find(':');
  const long minutes = colon == std::string::npos ? 0 : LeadingNumber(s, colon + 1);
  return static_cast<uint16_t>(CutTo16(hours * 60 + minutes));
}

}  // namespace csvvalue
