// column_values: how the legacy import reads the date and time columns of a
// line.
#include "legacy_text.h"

namespace csvvalue {

Date3 ParseDate(const std::string& s) {
  Date3 d;
  if (s.empty()) return d;
  long n[3] = {};
  std::size_t i = 0;
  for (int k = 0; k < 3; ++k) {
    while (i < s.size() && s[i] == '/') ++i;
    if (i >= s.size()) break;
    const std::size_t end = s.find('/', i);
    n[k] = LeadingNumber(s.substr(i, end == std::string::npos ? std::string::npos : end - i));
    i = end == std::string::npos ? s.size() : end;
  }
  d.y = CutTo8(n[0] - 1900);
  d.m = CutTo8(n[1] - 1);
  d.d = CutTo8(n[2] - 1);
  return d;
}

void StoreDate(const std::string& s, uint8_t* year, uint8_t* month, uint8_t* day) {
  const Date3 d = ParseDate(s);
  *year = d.y;
  *month = d.m;
  *day = d.d;
}

bool IsNoTime(const std::string& s) {
  return s.empty() || s.find("NONE") != std::string::npos || s.find("none") != std::string::npos;
}

uint16_t ParseMinutes(const std::string& s) {
  const long hours = LeadingNumber(s);
  const std::size_t colon = s.find(':');
  const long minutes = colon == std::string::npos ? 0 : LeadingNumber(s, colon + 1);
  return static_cast<uint16_t>(CutTo16(hours * 60 + minutes));
}

}  // namespace csvvalue
