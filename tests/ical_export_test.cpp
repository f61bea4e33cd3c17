// The iCalendar export through the built program: the properties of each
// kind of item, the choice of items, the refusals, the texts under
// --encoding and the stability of the UIDs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <regex>
#include <set>
#include <tuple>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Appt, fixture::Holds;

// An item of 2024-03-05. Times in minutes (-1 none); for a ToDo, start holds
// the priority characters, end the completion year and month bytes and lead
// the completion day byte.
Appt Item(const std::string& name, unsigned flags, int start = -1, int end = -1, unsigned lead = 0, int days = 0,
          const std::string& category = "") {
  Appt a;
  std::tie(a.description, a.category, a.cFlags, a.iEndDate) = std::make_tuple(name, category, flags, days);
  std::tie(a.cYear, a.cMonth, a.cDay, a.lead, a.leadTime) = std::make_tuple(124, 2, 4, lead & 0xFF, lead >> 8);
  a.start(start).end(end);
  return a;
}

// A ToDo every other day from 2024-03-05, the 6th and the 7th checked off;
// a deleted day of month 13.
Appt OtherDay() {
  Appt a = Item("Every other day", 0x10, '1').repeat(2, {2, 0, 0, 0, 0, 124, 2, 4, 124, 2, 10, 3});
  a.deleted.u8(124).u8(2).u8(5).u8(1).u8(124).u8(2).u8(6).u8(1).u8(124).u8(12).u8(0).u8(0);
  return a;
}

struct Row {
  Appt item;
  std::vector<std::string> lines;  // lines of its component; "!NAME": no such property
};

// The Meeting's UID is the version 5 UUID, in kalvert's namespace
// 67e231b3-3c2f-48f1-87a4-7e13bf0a4d78, of its kind, date and start bytes
// (80 7C 02 04 3A 02) and description, worked out apart with Python's
// hashlib: a UID that changed would double the items of every calendar that
// imported them. So is the UID of 34 x's, whose digest needs a second block.
std::vector<Row> Rows() {
  Appt meeting = Item("Meeting", 0x81, 570, 630, 15);
  meeting.location = "Room 2, east";
  meeting.category = "Work";
  meeting.note = 0;
  return {
      {meeting,
       {"DTSTART:20240305T093000", "DTEND:20240305T103000", "LOCATION:Room 2\\, east", "CATEGORIES:Work",
        "DESCRIPTION:Bring: tea\\; cups\\\\mugs\\n1. Budget\\n2. Rota", "TRIGGER:-PT15M",
        "UID:61206ef3-f336-5134-9f29-2602386d5f21", "!X-KALVERT-END-DATE"}},
      {Item("Call", 0x81, 605, -1, 0x0258), {"DTSTART:20240305T100500", "!DTEND", "TRIGGER:-PT10H"}},
      {Item("All day", 0x81, -1, -1, 2880), {"DTSTART;VALUE=DATE:20240305", "!DTEND", "TRIGGER:-P2D"}},
      {Item("A day and more ahead", 0x81, 480, 540, 1530), {"TRIGGER:-P1DT1H30M"}},
      {Item("Till midnight", 0x80, 1320, 1440), {"DTEND:20240306T000000"}},
      {Item("No weekday", 0x80, 0).repeat(4, {1, 0x80, 0, 0, 0, 124, 2, 4, 124, 11, 30, 0}),  // at midnight
       {"DTSTART:20240305T000000", "!RRULE", "!BEGIN:VALARM"}},
      {Item("Trip", 0x26, -1, -1, 0, 3),
       {"DTSTART;VALUE=DATE:20240305", "DTEND;VALUE=DATE:20240308", "!X-KALVERT-END-DATE"}},
      {Item("Holiday", 0x26), {"DTEND;VALUE=DATE:20240306", "!X-KALVERT-END-DATE"}},
      {Item("File taxes", 0x11, 'B', -1, 0, 0, "Tax"),  // bit 0 is no carry
       {"DTSTART;VALUE=DATE:20240305", "!DUE", "CATEGORIES:Tax", "PRIORITY:1", "X-KALVERT-PRIORITY:B", "!STATUS",
        "!X-KALVERT-CARRY", "X-KALVERT-LEAD:0"}},
      {Item("Due that day", 0x14, '7', -1, 0, 1),
       {"!DTSTART", "DUE;VALUE=DATE:20240305", "PRIORITY:7", "X-KALVERT-DUE-DAYS:1", "X-KALVERT-CARRY-FORWARD:TRUE"}},
      {Item("Daily and due that day", 0x10, '1', -1, 0, 1).repeat(2, {1, 0, 0, 0, 0, 124, 2, 4, 124, 2, 9, 0}),
       {"DTSTART;VALUE=DATE:20240305", "DUE;VALUE=DATE:20240306", "RRULE:FREQ=DAILY;UNTIL=20240310"}},
      {OtherDay(), {"RRULE:FREQ=DAILY;INTERVAL=2;UNTIL=20240311", "!EXDATE"}},
      {Item("Done", 0x16, 0x395A, 2 * 256 + 124, 0, 10),
       {"DTSTART;VALUE=DATE:20240305", "DUE;VALUE=DATE:20240314", "PRIORITY:9", "X-KALVERT-PRIORITY:Z9",
        "STATUS:COMPLETED", "COMPLETED:20240301T120000Z"}},
      // Yearly on the 5th, open-ended: every month, none, and a month bit of no month.
      {Item("All months", 0x80, 600).repeat(16, {1, 5, 0, 0xFF, 0x0F, 124, 2, 4, 255, 255, 255, 0}),
       {"RRULE:FREQ=YEARLY;BYMONTH=1,2,3,4,5,6,7,8,9,10,11,12;BYMONTHDAY=5"}},
      {Item("No month", 0x80, 600).repeat(16, {1, 5, 0, 0, 0, 124, 2, 4, 255, 255, 255, 0}), {"!RRULE"}},
      {Item("Month 13", 0x80, 600).repeat(16, {1, 5, 0, 0, 0x10, 124, 2, 4, 255, 255, 255, 0}), {"!RRULE"}},
      {Item("Day 32", 0x80, 600).repeat(8, {1, 32, 0, 0, 0, 124, 2, 4, 255, 255, 255, 0}), {"!RRULE"}},
      {Item("Yearly day 32", 0x80, 600).repeat(16, {1, 32, 0, 1, 0, 124, 2, 4, 255, 255, 255, 0}), {"!RRULE"}},
      {Item("Ends at 00:00 with no start", 0x80, -1, 0),
       {"DTSTART;VALUE=DATE:20240305", "!DTEND", "X-KALVERT-END-TIME:0"}},
      {Item(std::string(34, 'x'), 0x80, 600), {"UID:bd55f3f1-6be8-5dfa-81f8-b71a63199534"}},  // 56 bytes to digest
      {Item("Priority 0", 0x10, '0'), {"PRIORITY:1", "X-KALVERT-PRIORITY:0"}},
      {Item("Weekly by day 5", 0x80, 600).repeat(4, {1, 5, 0, 0, 0, 124, 2, 4, 255, 255, 255, 0}), {"!RRULE"}},
      {Item("At the start", 0x81, 600), {"TRIGGER:PT0M"}},
      {Item("At 24:00", 0x80, 1440), {"DTSTART;VALUE=DATE:20240305", "X-KALVERT-START-TIME:1440"}},
      {Item("A minute ahead", 0x81, 600, -1, 1), {"TRIGGER:-PT1M"}},
      {Item("One day of count 1", 0x26, -1, -1, 0, 1), {"DTEND;VALUE=DATE:20240306", "X-KALVERT-END-DATE:1"}},
      // Without an alarm, only a lead other than a new item's 5 minutes, and
      // views other than both, are kept.
      {Item("Plain", 0x86, 600, 660, 5), {"!X-KALVERT-ALARM-LEAD", "!X-KALVERT-FLAGS", "!BEGIN:VALARM"}},
      {Item("Lead six", 0x82, 600, 660, 6), {"X-KALVERT-ALARM-LEAD:6", "X-KALVERT-FLAGS:2"}},
      // An end at the start is no DTEND, kept unwarned in X-KALVERT-END-TIME.
      {Item("No length", 0x86, 600, 600), {"DTSTART:20240305T100000", "!DTEND", "X-KALVERT-END-TIME:600"}},
      // A weekly rule that also names a month is none iCalendar writes.
      {Item("Weekly in March", 0x80, 600).repeat(4, {1, 0x82, 0, 4, 0, 124, 2, 4, 255, 255, 255, 0}), {"!RRULE"}},
  };
}

std::vector<unsigned char> Book(const std::vector<Row>& rows) {
  fixture::DbFile db;
  db.Add(9, 0, 0, fixture::Bytes().str("Bring: tea; cups\\mugs\r\n1. Budget\n2. Rota"));
  int n = 0;
  for (const Row& row : rows) db.Add(11, 0, 300 + n++, row.item.Encode());  // numbers that are not places
  return db.Finish();
}

TEST(IcalExport, EachKindOfItemInAFramedCalendar) {
  fixture::ScratchDir dir;
  const std::vector<Row> rows = Rows();
  std::vector<Row> book = rows;
  book.push_back({Item("31 February", 0x80, 600), {}});
  std::tie(book.back().item.cMonth, book.back().item.cDay) = std::make_tuple(1, 30);
  book.push_back({Item("Month 13 of a year", 0x80, 600), {}});
  book.back().item.cMonth = 12;
  dir.Write("book.dat", Book(book));
  const std::time_t before = std::time(nullptr);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "--format=ics", "-s1"});
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//kalvert//kalvert 0.86b//EN\r\n", 0), 0u);
  // DTSTAMP: the time of the run, in UTC.
  std::tm stamp{};
  ASSERT_EQ(std::sscanf(r.out.substr(r.out.find("\r\nDTSTAMP:") + 10, 16).c_str(), "%4d%2d%2dT%2d%2d%2dZ",
                        &stamp.tm_year, &stamp.tm_mon, &stamp.tm_mday, &stamp.tm_hour, &stamp.tm_min, &stamp.tm_sec),
            6);
  stamp.tm_year -= 1900;
  stamp.tm_mon -= 1;
  EXPECT_TRUE(timegm(&stamp) >= before && timegm(&stamp) <= after) << r.out.substr(r.out.find("DTSTAMP"), 25);
  EXPECT_EQ(r.out.substr(r.out.size() - 15), "END:VCALENDAR\r\n");
  EXPECT_FALSE(std::regex_search(r.out, std::regex("[^\r]\n")));
  for (const Row& row : rows) {
    const std::size_t at = r.out.find("\r\nSUMMARY:" + row.item.description + "\r\n");
    ASSERT_NE(at, std::string::npos) << row.item.description;
    const std::size_t begin = r.out.rfind("\r\nBEGIN:V", at), end = r.out.find("\r\nEND:V", at);
    const std::string comp = r.out.substr(begin, end - begin + 2);
    for (const std::string& line : row.lines) {
      const bool bAbsent = line[0] == '!';
      EXPECT_EQ(comp.find("\r\n" + line.substr(bAbsent) + (bAbsent ? "" : "\r\n")) == std::string::npos, bAbsent)
          << line << " in " << comp;
    }
  }
  // Every other day from the 5th: the 6th, checked off, is no occurrence.
  EXPECT_TRUE(Holds(
      r.err, "the occurrence of 2024/03/06 checked off is none of its rule's; kept only in X-KALVERT-CHECKED-OFF"));
  EXPECT_FALSE(Holds(r.out, "RECURRENCE-ID;VALUE=DATE:20240306"));
  EXPECT_FALSE(Holds(r.err, "\"No length\""));
  EXPECT_FALSE(Holds(r.out, "31 February") || Holds(r.out, "Month 13 of"));
  EXPECT_TRUE(Holds(r.err, "\"31 February\" of 2024/02/31 at 10:00 (record 330): its date is not a date; left out"));
  EXPECT_TRUE(Holds(r.err, "\"Month 13 of a year\" of 2024/13/05 at 10:00 (record 331): its date is not a date"));
  EXPECT_TRUE(Holds(r.err, "no start\" of 2024/03/05 (record 318): its end time without a start time"));
  EXPECT_TRUE(Holds(r.err, "(record 305): its repeat rule can't be written in iCalendar (a weekly rule with no"));
  EXPECT_TRUE(Holds(r.err, "(record 321): its repeat rule can't be written in iCalendar (a weekly rule with no"));
  EXPECT_TRUE(Holds(r.err, "(record 316): its repeat rule can't be written in iCalendar (day 32 of the month)"));
}

// One appointment of 2024-03-05 per row; out and err are parts of standard
// output and standard error ("!": out does not hold it).
TEST(IcalExport, ChoiceRefusalsAndTextsUnderAnEncoding) {
  const std::string longName(66, 'a');
  // clang-format off
  const struct { unsigned char fileType; std::string description, option; int status; std::string out, err; }
      cases[] = {
      {'2', "a", "-t", 0, "!SUMMARY", ""}, {'2', "a", "-g20240306", 0, "!SUMMARY", ""},
      {'2', "Caf\x80", "-s1", 1, "", "Name the organiser's encoding with --encoding=NAME"},
      {'2', longName + "\x82", "--encoding=CP437", 0, "\r\nSUMMARY:" + longName + "\r\n \xC3\xA9\r\n", ""},
      {'2', "a\x82", "--encoding=CP932", 0, "\r\nSUMMARY:a\xEF\xBF\xBD\r\n", "1 byte sequence(s) not valid in CP932"},
      {'2', "a\x01", "-s1", 0, "\r\nSUMMARY:a\xEF\xBF\xBD\r\n", "1 control character(s)"},
      {'D', "a", "-s1", 1, "", "this file is a general database"},
      {'2', "a", "--bom", 1, "", "an iCalendar file has no byte order mark"}};
  // clang-format on
  fixture::ScratchDir dir;
  for (const auto& c : cases) {
    fixture::DbFile db(c.fileType);
    db.Add(11, 0, 0, Item(c.description, 0x80).Encode());
    dir.Write("book.dat", db.Finish());
    const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "--format=ics", c.option});
    const bool bOut = r.out.find(c.out.substr(c.out[0] == '!')) != std::string::npos;
    EXPECT_EQ(std::make_tuple(r.status, bOut, r.err.find(c.err) != std::string::npos, c.status == 0 || r.out.empty()),
              std::make_tuple(c.status, c.out[0] != '!', true, true))
        << c.option << r.out << r.err;
  }
}

// Each component from its UID on, DTSTAMP left out, sorted.
std::vector<std::string> Components(const fixture::RunResult& r) {
  const std::string out = std::regex_replace(r.out, std::regex("DTSTAMP:.*\r\n"), "");
  std::vector<std::string> comps;
  for (std::size_t at = out.find("UID:"); at != std::string::npos; at = out.find("UID:", at + 1))
    comps.push_back(out.substr(at, out.find("END:V", at) - at));
  std::sort(comps.begin(), comps.end());
  return comps;
}

// Two items that differ only where the UID does not look get UIDs of their
// own; a copy (-o), whose records are numbered and ordered anew, keeps every
// UID with its item.
TEST(IcalExport, UidsAreUniqueAndSurviveACopy) {
  fixture::ScratchDir dir;
  std::vector<Row> rows = Rows();
  rows.push_back(rows[8]);  // a ToDo: a copy turns the order of items of one date around
  rows.back().item.start('C');
  rows.push_back(rows[0]);  // the same item twice: numbered by their content
  dir.Write("book.dat", Book(rows));
  const std::vector<std::string> comps = Components(fixture::RunKalvert(dir, {"-xbook.dat", "--format=ics", "-s1"}));
  std::set<std::string> uids;
  for (const std::string& c : comps) uids.insert(c.substr(0, c.find('\r')));
  EXPECT_EQ(uids.size(), rows.size());
  ASSERT_EQ(fixture::RunKalvert(dir, {"-xbook.dat", "-s3", "-ocopy.dat"}).status, 0);
  EXPECT_EQ(Components(fixture::RunKalvert(dir, {"-xcopy.dat", "--format=ics", "-s1"})), comps);
}

}  // namespace
