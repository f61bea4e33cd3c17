// value_parse: how the import reads dates, times, yes/no, numbers and repeat
// rules; every value is checked, and a refusal says why.

#include <cctype>
#include <cstring>

#include "csv_parts.h"

namespace stdcsv {

namespace {

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The items of a list separated by ';' or ',', trimmed, empty ones left out.
std::vector<std::string> Items(const std::string& s) {
  std::vector<std::string> v;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i < s.size() && s[i] != ';' && s[i] != ',') continue;
    const std::string item = Trim(s.substr(start, i - start));
    if (!item.empty()) v.push_back(item);
    start = i + 1;
  }
  return v;
}

// Digits only, at most nMax of them.
bool Digits(const std::string& s, std::size_t nMin, std::size_t nMax, long* out) {
  if (s.size() < nMin || s.size() > nMax) return false;
  long v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *out = v;
  return true;
}

bool Split3(const std::string& s, char sep, std::string part[3]) {
  const std::size_t a = s.find(sep);
  if (a == std::string::npos) return false;
  const std::size_t b = s.find(sep, a + 1);
  if (b == std::string::npos || s.find(sep, b + 1) != std::string::npos) return false;
  part[0] = s.substr(0, a);
  part[1] = s.substr(a + 1, b - a - 1);
  part[2] = s.substr(b + 1);
  return true;
}

// A name from the list, by its first three letters or whole (any case).
template <std::size_t N>
int NameIndex(const std::string& word, const char* const (&names)[N]) {
  const std::string w = Lower(word);
  for (std::size_t i = 0; i < N; ++i) {
    if (w.size() >= 3 && Lower(names[i]).compare(0, 3, w, 0, 3) == 0) return static_cast<int>(i);
  }
  return -1;
}

const char* const kFullWeekdays[] = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};
const char* const kFullMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                                   "july",    "august",   "september", "october", "november", "december"};

// A word of a list is one of the names (a three-letter start of it, or all of it).
template <std::size_t N>
int FullNameIndex(const std::string& word, const char* const (&names)[N]) {
  const int i = NameIndex(word, names);
  if (i < 0) return -1;
  const std::string full = names[static_cast<std::size_t>(i)];
  return full.compare(0, word.size(), Lower(word)) == 0 ? i : -1;
}

}  // namespace

namespace {

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// The parts of a time as spreadsheets write it: H:MM, HH:MM or either with
// :SS, in 24 hours or followed by AM or PM (either case, with or without a
// space; 12 AM is 0 hours, 12 PM 12). False when the text is none of these.
bool ClockParts(const std::string& text, long* h, long* m, long* sec) {
  std::string s = Lower(text);
  int iHalf = -1;  // 0 AM, 1 PM; -1 a 24-hour time
  if (EndsWith(s, "am") || EndsWith(s, "pm")) {
    iHalf = s[s.size() - 2] == 'p' ? 1 : 0;
    s = Trim(s.substr(0, s.size() - 2));
  }
  const std::size_t colon = s.find(':');
  if (colon == std::string::npos) return false;
  const std::string rest = s.substr(colon + 1);
  const std::size_t colon2 = rest.find(':');
  if (!Digits(s.substr(0, colon), 1, 2, h) || !Digits(rest.substr(0, colon2), 2, 2, m) ||
      !Digits(colon2 == std::string::npos ? "00" : rest.substr(colon2 + 1), 2, 2, sec)) {
    return false;
  }
  if (iHalf < 0) return true;
  if (*h < 1 || *h > 12) return false;
  *h = *h % 12 + 12 * iHalf;
  return true;
}

// "YYYY-MM-DD" or "YYYY/MM/DD"; with --date-order also a day-first or
// month-first date with a four-digit year ("07.01.1996", "1/7/1996").
bool DateParts(const std::string& s, long* y, long* m, long* d, std::string* why) {
  std::string p[3];
  if ((Split3(s, '-', p) || Split3(s, '/', p)) && p[0].size() == 4) {
    return Digits(p[0], 4, 4, y) && Digits(p[1], 1, 2, m) && Digits(p[2], 1, 2, d);
  }
  if (!(Split3(s, '/', p) || Split3(s, '.', p) || Split3(s, '-', p)) || p[2].size() != 4) return false;
  if (opt.dateOrder == DateOrder::kYearFirst) {
    *why = "\"" + s + "\" is not a date (YYYY-MM-DD); for a day-first or month-first date name the order with " +
           "--date-order=DMY or --date-order=MDY";
    return false;
  }
  const bool bDayFirst = opt.dateOrder == DateOrder::kDayMonthYear;
  return Digits(p[0], 1, 2, bDayFirst ? d : m) && Digits(p[1], 1, 2, bDayFirst ? m : d) && Digits(p[2], 4, 4, y);
}

}  // namespace

bool ParseDate(const std::string& text, Date3* out, std::string* why) {
  std::string s = Trim(text);
  *out = Date3{};
  if (s.empty()) return true;
  // A spreadsheet's date cell may carry the time of midnight.
  const std::size_t cut = s.find_first_of(" T");
  long h{}, m{}, sec{}, y{}, d{};
  if (cut != std::string::npos && cut > 0 && ClockParts(Trim(s.substr(cut + 1)), &h, &m, &sec)) {
    if (h != 0 || m != 0 || sec != 0) {
      *why = "\"" + s + "\" is a date and a time; the column takes a date";
      return false;
    }
    s = s.substr(0, cut);
  }
  why->clear();
  if (!DateParts(s, &y, &m, &d, why)) {
    if (why->empty()) *why = "\"" + s + "\" is not a date (YYYY-MM-DD)";
    return false;
  }
  if (y < 1900 || y > 2154) {
    *why = "the year of " + s + " is outside 1900 to 2154";
    return false;
  }
  if (m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
    *why = s + " is not a calendar date";
    return false;
  }
  out->y = static_cast<uint8_t>(y - 1900);
  out->m = static_cast<uint8_t>(m - 1);
  out->d = static_cast<uint8_t>(d - 1);
  return true;
}

bool ParseTime(const std::string& text, uint16_t* out, std::string* why, bool* pSecondsDropped) {
  std::string s = Trim(text);
  *out = kNoTime;
  *pSecondsDropped = false;
  if (s.empty()) return true;
  // A spreadsheet's time-only cell may carry the day zero of its calendar.
  for (const char* day : {"1899-12-30", "1899-12-31"}) {
    if (s.size() > 11 && s.compare(0, 10, day) == 0 && (s[10] == ' ' || s[10] == 'T')) s = Trim(s.substr(11));
  }
  long h{}, m{}, sec{};
  if (s[0] == '-' && Digits(s.substr(1), 1, 5, &m) && m >= 1 && m <= 32767) {
    *out = static_cast<uint16_t>(65536 - m);  // a negative word, as the export writes it
    return true;
  }
  if (!ClockParts(s, &h, &m, &sec)) {
    *why = "\"" + Trim(text) + "\" is not a time (HH:MM)";
    return false;
  }
  if (h > 23 || m > 59 || sec > 59) {
    *why = Trim(text) + " is not a time of the day";
    return false;
  }
  *pSecondsDropped = sec != 0;
  *out = static_cast<uint16_t>(h * 60 + m);
  return true;
}

bool ParseYesNo(const std::string& text, bool bDefault, bool* out, std::string* why) {
  const std::string s = Lower(Trim(text));
  if (s.empty()) {
    *out = bDefault;
  } else if (s == "yes" || s == "y" || s == "true" || s == "1") {
    *out = true;
  } else if (s == "no" || s == "n" || s == "false" || s == "0") {
    *out = false;
  } else {
    *why = "\"" + text + "\" is neither yes nor no";
    return false;
  }
  return true;
}

bool ParseNumber(const std::string& text, long lMin, long lMax, long lDefault, long* out, std::string* why) {
  const std::string s = Trim(text);
  if (s.empty()) {
    *out = lDefault;
    return true;
  }
  const bool negative = s[0] == '-';
  long v{};
  if (!Digits(negative ? s.substr(1) : s, 1, 6, &v) || (negative ? -v : v) < lMin || (negative ? -v : v) > lMax) {
    *why = "\"" + s + "\" is not a whole number from " + std::to_string(lMin) + " to " + std::to_string(lMax);
    return false;
  }
  *out = negative ? -v : v;
  return true;
}

bool ParseRepeatWord(const std::string& text, int8_t* out, std::string* why) {
  static const struct {
    const char* word;
    int8_t value;
  } kWords[] = {{"none", kRepeatNone},       {"daily", kRepeatDaily},   {"weekly", kRepeatWeekly},
                {"monthly", kRepeatMonthly}, {"yearly", kRepeatYearly}, {"custom", kRepeatCustom}};
  const std::string s = Lower(Trim(text));
  if (s.empty()) {
    *out = 1;
    return true;
  }
  for (const auto& w : kWords) {
    if (s == w.word) {
      *out = w.value;
      return true;
    }
  }
  long v{};
  if (!ParseNumber(s, -128, 127, 1, &v, why)) {
    *why = "\"" + text + "\" is not a repeat (none, daily, weekly, monthly, yearly, custom)";
    return false;
  }
  *out = static_cast<int8_t>(v);
  return true;
}

bool ParseWeekdays(const std::string& text, uint8_t* out, std::string* why) {
  *out = 0;
  if (Lower(Trim(text)) == "none") {
    *out = 0x80;
    return true;
  }
  for (const std::string& w : Items(text)) {
    const int i = FullNameIndex(w, kFullWeekdays);
    if (i < 0) {
      *why = "\"" + w + "\" is not a weekday (MON to SUN)";
      return false;
    }
    *out = static_cast<uint8_t>(*out | 0x80 | (1 << i));
  }
  return true;
}

bool ParseWeeks(const std::string& text, uint8_t* out, std::string* why) {
  static const char* const kOrdinals[] = {"1st", "2nd", "3rd", "4th", "last"};
  *out = 0;
  long v{};
  std::string ignored;
  if (ParseNumber(text, 0, 255, 0, &v, &ignored)) {
    *out = static_cast<uint8_t>(v);
    return true;
  }
  for (const std::string& w : Items(text)) {
    int bit = -1;
    for (int i = 0; i < 5; ++i) {
      if (Lower(w) == kWeekNames[i] || Lower(w) == kOrdinals[i]) bit = i;
    }
    if (bit < 0) {
      *why = "\"" + w + "\" is not a week of the month (first, second, third, fourth, last)";
      return false;
    }
    *out = static_cast<uint8_t>(*out | (1 << bit));
  }
  return true;
}

bool ParseMonths(const std::string& text, uint8_t* pMonth1, uint8_t* pMonth2, std::string* why) {
  long v{};
  std::string ignored;
  if (!ParseNumber(text, 0, 65535, 0, &v, &ignored)) {
    v = 0;
    for (const std::string& w : Items(text)) {
      const int i = FullNameIndex(w, kFullMonths);
      if (i < 0) {
        *why = "\"" + w + "\" is not a month (JAN to DEC)";
        return false;
      }
      v |= 1L << i;
    }
  }
  SplitU16(static_cast<uint16_t>(v), pMonth1, pMonth2);
  return true;
}

bool ParseDeleted(const std::string& text, std::vector<unsigned char>* out, std::string* why) {
  out->clear();
  for (const std::string& entry : Items(text)) {
    const std::size_t space = entry.find(' ');
    Date3 d;
    if (!ParseDate(entry.substr(0, space), &d, why)) return false;
    long lStatus = 0;
    const std::string rest = space == std::string::npos ? std::string() : Lower(Trim(entry.substr(space)));
    if (rest == "done") {
      lStatus = 1;
    } else if (rest.compare(0, 7, "status ") == 0) {
      if (!ParseNumber(rest.substr(7), 0, 255, 0, &lStatus, why)) return false;
    } else if (!rest.empty()) {
      *why = "\"" + entry + "\" is not a date, a date and done, or a date and status N";
      return false;
    }
    out->insert(out->end(), {d.y, d.m, d.d, static_cast<unsigned char>(lStatus)});
  }
  if (out->size() > 127 * 4) {
    *why = "more than 127 deleted occurrences";
    return false;
  }
  return true;
}

}  // namespace stdcsv
