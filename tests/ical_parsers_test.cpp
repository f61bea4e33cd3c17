// The iCalendar export read back by two calendar parsers of their own:
// libical, and Python's icalendar with recurring_ical_events. Both must parse
// it without error and yield exactly the occurrences worked out by hand from
// each repeat block (a * marks an occurrence checked off).
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <tuple>

#include "dbbuilder.h"
#include "runner.h"

namespace {

struct Case {
  const char* name;
  unsigned flags;                       // 0x80 appointment at 09:00, 0x26 event, 0x14 ToDo
  int type, freq, days, weeks, months;  // months as stored: Month2 * 256 + Month1
  long first, last;                     // of the repeat block, YYYYMMDD; first is also the item's date
  std::vector<long> deleted;            // YYYYMMDD * 10 + status
  const char* dates;
};

// clang-format off
const Case kCases[] = {
  {"Every 3 days, at 9; A\\B", 0x80, 2, 3, 0, 0, 0, 20240130, 20240210, {202402050}, "2024-01-30 2024-02-02 2024-02-08"},
  {"Every second week on Monday and Wednesday, from the third of January on to February", 0x26, 4, 2, 0x85, 0, 0,
   20240103, 20240201, {}, "2024-01-03 2024-01-15 2024-01-17 2024-01-29 2024-01-31"},
  {"Fridays and Sundays", 0x80, 4, 1, 0xD0, 0, 0, 20240301, 20240310, {}, "2024-03-01 2024-03-03 2024-03-08 2024-03-10"},
  {"A Friday, the last day", 0x80, 4, 1, 0x90, 0, 0, 20240304, 20240308, {}, "2024-03-08"},
  {"Day 31", 0x80, 8, 1, 31, 0, 0, 20240101, 20240630, {}, "2024-01-31 2024-03-31 2024-05-31"},
  {"Day 15, every second month", 0x26, 8, 2, 15, 0, 0, 20240120, 20241231, {},
   "2024-02-15 2024-04-15 2024-06-15 2024-08-15 2024-10-15 2024-12-15"},
  {"Second Tuesday", 0x80, 8, 1, 0x82, 2, 0, 20240101, 20240331, {}, "2024-01-09 2024-02-13 2024-03-12"},
  {"Third Wednesday", 0x80, 8, 1, 0x84, 4, 0, 20240101, 20240331, {}, "2024-01-17 2024-02-21 2024-03-20"},
  {"Fourth Thursday", 0x80, 8, 1, 0x88, 8, 0, 20240101, 20240331, {}, "2024-01-25 2024-02-22 2024-03-28"},
  {"Last Friday from May", 0x80, 8, 1, 0x90, 16, 0, 20240501, 20240731, {},  // of May 24 and 31, 31
   "2024-05-31 2024-06-28 2024-07-26"},
  {"First and third Monday", 0x80, 8, 1, 0x81, 5, 0, 20240101, 20240331, {},
   "2024-01-01 2024-01-15 2024-02-05 2024-02-19 2024-03-04 2024-03-18"},
  {"March and November 30, every second year", 0x26, 16, 2, 30, 0, 0x0404, 20240101, 20271231, {},
   "2024-03-30 2024-11-30 2026-03-30 2026-11-30"},
  {"Last Friday of October and December", 0x80, 32, 0, 0x90, 16, 0x0A00, 20240101, 20251231, {},
   "2024-10-25 2024-12-27 2025-10-31 2025-12-26"},
  {"29 February", 0x26, 32, 0, 29, 0, 0x0002, 20230101, 20281231, {}, "2024-02-29 2028-02-29"},
  {"Daily ToDo", 0x14, 2, 1, 0, 0, 0, 20240501, 20240504, {202405011, 202405020, 202405031, 202405091},
   "2024-05-01* 2024-05-03* 2024-05-04"},
  {"Second Tuesday ToDo", 0x14, 8, 1, 0x82, 2, 0, 20000101, 20000331, {200003141}, "2000-01-11 2000-02-08 2000-03-14*"},
};
// clang-format on

fixture::Bytes Date(long ymd) {
  return fixture::Bytes().u8(static_cast<unsigned>(ymd / 10000 - 1900)).u8(ymd / 100 % 100 - 1).u8(ymd % 100 - 1);
}

// The book of every case, exported; *pExpected: "name: dates" by name.
std::string ExportBook(const fixture::ScratchDir& dir, std::map<std::string, std::string>* pExpected) {
  fixture::DbFile db;
  int n = 0;
  for (const Case& c : kCases) {
    fixture::Appt a;
    a.cFlags = c.flags;
    std::tie(a.cYear, a.cMonth, a.cDay) = std::make_tuple(Date(c.first).v[0], Date(c.first).v[1], Date(c.first).v[2]);
    a.start(c.flags == 0x80 ? 540 : '2').end(600);  // 09:00 to 10:00, or a ToDo's priority
    a.description = c.name;
    fixture::Bytes ria = fixture::Bytes().u8(c.freq).u8(c.days).u8(c.weeks).u8(c.months & 0xFF).u8(c.months >> 8);
    a.repeat(c.type, ria.bytes(Date(c.first)).bytes(Date(c.last)).u8(static_cast<unsigned>(c.deleted.size())).v);
    for (long d : c.deleted) a.deleted.bytes(Date(d / 10)).u8(static_cast<unsigned>(d % 10));
    db.Add(11, 0, n++, a.Encode());
    (*pExpected)[c.name] = c.name + std::string(": ") + c.dates;
  }
  dir.Write("book.dat", db.Finish());
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "--format=ics", "-s1"});
  EXPECT_EQ(r.status, 0) << r.err;
  dir.Write("book.ics", r.out);
  return r.out;
}

void AddDate(icalcomponent* comp, icaltime_span* span, void* data) {
  const icaltimetype t = icaltime_from_timet_with_zone(span->start, 0, icaltimezone_get_utc_timezone());
  char sz[16];
  std::snprintf(sz, sizeof sz, " %04d-%02d-%02d", t.year, t.month, t.day);
  std::string& dates = (*static_cast<std::map<std::string, std::string>*>(data))[icalcomponent_get_summary(comp)];
  dates += (dates.empty() ? icalcomponent_get_summary(comp) + std::string(":") : "") + sz;
}

// libical keeps a checked-off occurrence in its own component, so its dates
// carry no *.
TEST(IcalParsers, LibicalAndPythonIcalendarYieldTheHandWorkedDates) {
  fixture::ScratchDir dir;
  std::map<std::string, std::string> expected, got, python;
  icalcomponent* cal = icalparser_parse_string(ExportBook(dir, &expected).c_str());
  ASSERT_NE(cal, nullptr);
  EXPECT_EQ(icalcomponent_count_errors(cal), 0) << icalcomponent_as_ical_string(cal);
  for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
    if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) continue;
    icalcomponent_foreach_recurrence(c, icaltime_from_string("19990101T000000"),
                                     icaltime_from_string("20310101T000000"), AddDate, &got);
  }
  icalcomponent_free(cal);
  const std::string cmd = "/usr/bin/python3 '" KALVERT_SOURCE_DIR "/tests/ical_occurrences.py' '" +
                          dir.Path("book.ics") + "' >'" + dir.Path("dates.txt") + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(dir.Path("dates.txt"));
  for (std::string line; std::getline(in, line);) python[line.substr(0, line.find(':'))] = line;
  EXPECT_EQ(python, expected);
  for (auto& e : expected) e.second.erase(std::remove(e.second.begin(), e.second.end(), '*'), e.second.end());
  EXPECT_EQ(got, expected);
}

}  // namespace
