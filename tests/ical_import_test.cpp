// The iCalendar import through the built program: the round trip of
// generated books, each kind of component and repeat rule as the organiser
// keeps it (worked out by hand, in Europe/Berlin), the refusals with their
// lines, and the room of the output.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "runner.h"

namespace {

using fixture::Holds, fixture::RunKalvert, fixture::ScratchDir;

std::string Calendar(const std::string& body) {
  std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//test//EN\r\n";
  for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
    end = body.find('\n', at);
    text += body.substr(at, end - at) + "\r\n";
  }
  return text + "END:VCALENDAR\r\n";
}

// The book the calendar makes from the definitions alone, as CSV rows by
// description (the note's CR LF as "|"), and the run's standard error.
struct Imported {
  std::map<std::string, std::vector<std::string>> rows;
  std::string err;
};

Imported Import(const std::string& calendar, std::vector<std::string> more = {}) {
  ScratchDir dir;
  EXPECT_EQ(std::system(("'" KALVERT_GEN "' defs '" + dir.Path("defs.dat") + "'").c_str()), 0);
  dir.Write("cal.ics", calendar);
  std::vector<std::string> args = {
      "-xdefs.dat", "-m", "-ical.ics", "-onew.dat", "--format=ics", "--encoding=EUC-JP", "--timezone=Europe/Berlin",
      "-s2"};
  args.insert(args.end(), more.begin(), more.end());
  Imported got;
  got.err = fixture::Said(RunKalvert(dir, args));
  const fixture::RunResult csv = RunKalvert(dir, {"-xnew.dat", "--format=csv", "--encoding=EUC-JP", "-s1"});
  std::string text;
  bool bQuoted = false;
  for (std::size_t i = 0; i < csv.out.size(); ++i) {
    bQuoted = bQuoted != (csv.out[i] == '"');
    const bool bBreak = bQuoted && csv.out.compare(i, 2, "\r\n") == 0;
    text += bBreak ? "|" : csv.out.substr(i, 1);
    i += bBreak ? 1 : 0;
  }
  for (std::size_t at = text.find("\r\n"), end; at < text.size() && (at += 2) < text.size(); at = end) {
    end = text.find("\r\n", at);
    std::string row = text.substr(at, end - at);
    std::string name = row.substr(row.find(',') + 1);
    name = name.substr(0, name.find(','));
    while (got.rows.count(name)) name += "+";
    got.rows[name] = {row};
  }
  return got;
}

std::string Row(const Imported& got, const std::string& name) {
  const auto it = got.rows.find(name);
  return it == got.rows.end() ? "(none)" : it->second.front();
}

TEST(IcalImport, ComponentsAndRulesAsTheOrganiserKeepsThem) {
  const Imported got = Import(Calendar(
      "BEGIN:VEVENT\nUID:ny\nDTSTART;TZID=America/New_York:20260310T090000\n"
      "DTEND;TZID=America/New_York:20260310T100000\nRRULE:FREQ=DAILY;COUNT=2\nSUMMARY:NY call\nLOCATION:Room 2\n"
      "BEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:-PT30M\nEND:VALARM\nCATEGORIES:Work\\,home,Other\nEND:VEVENT\n"
      "BEGIN:VEVENT\nUID:utc\nDTSTART:20260701T063000Z\nDURATION:PT45M\nSUMMARY:UTC stand\nEND:VEVENT\nBEGIN:VEVENT\n"
      "UID:trip\nDTSTART;VALUE=DATE:20260401\nDTEND;VALUE=DATE:20260404\nSUMMARY:Trip\nEND:VEVENT\nBEGIN:VTODO\n"
      "UID:tax\nDTSTART;VALUE=DATE:20260105\nDUE;VALUE=DATE:20260107\nPRIORITY:2\nSTATUS:COMPLETED\n"
      "COMPLETED:20260106T200000Z\nSUMMARY:Taxes\nDESCRIPTION:line1\r\\nline2\nEND:VTODO\nBEGIN:VEVENT\nUID:choir\n"
      "DTSTART:20260302T180000\nDTEND:20260302T190000\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE;COUNT=5\n"
      "EXDATE:20260304T180000\nSUMMARY:Choir\nEND:VEVENT\nBEGIN:VEVENT\nUID:club\nDTSTART;VALUE=DATE:20260113\n"
      "RRULE:FREQ=MONTHLY;BYDAY=2TU,2TH;UNTIL=20261231\nSUMMARY:Club\nEND:VEVENT\nBEGIN:VEVENT\nUID:dst\n"
      "DTSTART;VALUE=DATE:20260329\nDTEND;VALUE=DATE:20260330\nRRULE:FREQ=YEARLY;BYMONTH=3,10;BYDAY=-1SU\n"
      "SUMMARY:Clocks change\nEND:VEVENT\nBEGIN:VEVENT\nUID:m\nDTSTART:20260601T090000\nDTEND:20260601T093000\n"
      "RRULE:FREQ=DAILY;COUNT=3\nSUMMARY:Standup\nEND:VEVENT\nBEGIN:VEVENT\nUID:m\nRECURRENCE-ID:20260602T090000\n"
      "DTSTART:20260602T110000\nSTATUS:COMPLETED\nSUMMARY:Standup moved\nEND:VEVENT\n"
      "BEGIN:VEVENT\nUID:late\nDTSTART:20260801T100000\nSUMMARY:Party \xF0\x9F\x8E\x89 " +
      std::string(50, 'x') +
      "\nBEGIN:VALARM\nACTION:DISPLAY\nTRIGGER:PT10M\nEND:VALARM\nEND:VEVENT\n"
      "BEGIN:VTODO\nUID:pay\nDUE;VALUE=DATE:20260105\nSUMMARY:Pay\nEND:VTODO\nBEGIN:VJOURNAL\nUID:j\nSUMMARY:"
      "Diary\nEND:VJOURNAL"));
  // New York is on summer time from 8 March, Berlin from 29 March: 09:00
  // there is 14:00 here; 06:30 UTC is 08:30 in the Berlin summer.
  EXPECT_EQ(
      Row(got, "NY call"),
      "appointment,NY call,2026-03-10,14:00,15:00,,Room 2,\"Work,home\",yes,30,yes,yes,,,,,,daily,1,,,,,2026-03-10,"
      "2026-03-11,,");
  EXPECT_EQ(Row(got, "UTC stand"), "appointment,UTC stand,2026-07-01,08:30,09:15,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Trip"), "event,Trip,2026-04-01,,,3,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Taxes"), "todo,Taxes,2026-01-05,,,3,,,,,,,2,yes,2026-01-06,no,,none,,,,,,,,,\"line1|line2\"");
  // Mondays and Wednesdays of every other week: 2, 4, 16, 18 and 30 March.
  EXPECT_EQ(Row(got, "Choir"),
            "appointment,Choir,2026-03-02,18:00,19:00,,,,no,5,yes,yes,,,,,,weekly,2,MON;WED,,,,"
            "2026-03-02,2026-03-30,2026-03-04,");
  EXPECT_EQ(Row(got, "Club"),
            "event,Club,2026-01-13,,,,,,no,5,yes,yes,,,,,,monthly,1,TUE;THU,second,,,2026-01-13,2026-12-31,,");
  EXPECT_EQ(Row(got, "Clocks change"),
            "event,Clocks change,2026-03-29,,,,,,no,5,yes,yes,,,,,,yearly,1,SUN,last,,MAR;OCT,2026-03-29,,,");
  EXPECT_EQ(Row(got, "Standup"),
            "appointment,Standup,2026-06-01,09:00,09:30,,,,no,5,yes,yes,,,,,,daily,1,,,,,"
            "2026-06-01,2026-06-03,2026-06-02,");
  EXPECT_EQ(Row(got, "Standup moved"),
            "appointment,Standup moved,2026-06-02,11:00,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  // The emoji is '?', the text cut at the description's 51 bytes; the alarm
  // after the start rings at it.
  EXPECT_EQ(Row(got, "Party ? " + std::string(43, 'x')),
            "appointment,Party ? " + std::string(43, 'x') + ",2026-08-01,10:00,,,,,yes,0,yes,yes,,,,,,none,,,,,,,,,");
  for (const char* said :
       {"cal.ics line 74 (UID late, \"Party \xF0\x9F\x8E\x89 x", "SUMMARY: text cut to 51 bytes",
        "its alarm is after the start; the organiser's rings at the start.",
        "cal.ics line 88 (UID j, \"Diary\"): a VJOURNAL is no item of the appointment book; left out.",
        "Warning: 1 character(s) of cal.ics that EUC-JP can't hold were written as '?'.",
        "cal.ics: 11 item(s) added, 0 already in the book, 1 left out.\n"})
    EXPECT_TRUE(Holds(got.err, said));
  EXPECT_FALSE(Holds(got.err, "is not after its DTSTART") || Holds(got.err, "DUE is before") ||
               Holds(got.err, "(UID ny,"));
}

// A rule the organiser can't hold: its first occurrence, or each up to
// --expand-until. The last weekday of the month from 30 January 2026, three
// times: Friday 30 January, Friday 27 February, Tuesday 31 March.
TEST(IcalImport, RulesTheOrganiserCantHoldAreNamedAndExpandedOnRequest) {
  const std::string cal = Calendar(
      "BEGIN:VEVENT\nUID:pay\nDTSTART:20260130T120000\n"
      "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=3\nSUMMARY:Payday\nEND:VEVENT");
  const Imported first = Import(cal);
  EXPECT_EQ(first.rows.size(), 1u);
  EXPECT_EQ(Row(first, "Payday"), "appointment,Payday,2026-01-30,12:00,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_TRUE(Holds(first.err,
                    "cal.ics line 4 (UID pay, \"Payday\"): its repeat rule can't be kept by the organiser "
                    "(BYSETPOS); only its first occurrence is kept"));
  const Imported all = Import(cal, {"--expand-until=2026-12-31"});
  ASSERT_EQ(all.rows.size(), 3u) << all.err;
  std::vector<std::string> dates;
  for (const auto& [name, row] : all.rows) dates.push_back(row.front().substr(row.front().find(",2026-") + 1, 10));
  std::sort(dates.begin(), dates.end());
  EXPECT_EQ(dates, (std::vector<std::string>{"2026-01-30", "2026-02-27", "2026-03-31"}));
  EXPECT_TRUE(Holds(all.err, "its 3 occurrence(s) up to 2026/12/31 are written as items of their own"));
  // RDATE: a day without a zone is in DTSTART's (09:00 in New York on summer
  // time is 14:00 here), one in UTC stays UTC (12:00Z is 13:00 here).
  const Imported extra = Import(Calendar("BEGIN:VEVENT\nUID:rd\nDTSTART;TZID=America/New_York:20260310T090000\n"
                                         "RDATE:20260312T090000\nRDATE:20260313T120000Z\nSUMMARY:Calls\nEND:VEVENT"),
                                {"--expand-until=2026-12-31"});
  std::vector<std::string> calls;
  for (const char* name : {"Calls", "Calls+", "Calls++"}) calls.push_back(Row(extra, name).substr(0, 34));
  EXPECT_EQ(calls, (std::vector<std::string>{"appointment,Calls,2026-03-10,14:00", "appointment,Calls,2026-03-12,14:00",
                                             "appointment,Calls,2026-03-13,13:00"}))
      << extra.err;
  // Every other week's Sunday and Monday in weeks that begin on Sunday: 1 and
  // 2 March, 15 and 16 March. The organiser's weeks begin on Monday (its
  // series would take 1, 9 and 15 March): only the first is kept. With
  // weeks from Monday the rule is the organiser's own: 1, 9, 15, 23 March.
  const std::string pair =
      "BEGIN:VEVENT\nUID:pair\nDTSTART;VALUE=DATE:20260301\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=SU,MO;WKST=";
  // A weekly rule whose days are of other weeks of the month is refused so.
  // Every other weekend of weeks from Sunday, up to Sunday 8 March, is
  // Saturday 7 March alone: the organiser's week would take the Sunday too.
  const Imported refused = Import(
      Calendar(pair + "SU;COUNT=4\nSUMMARY:Pair\nEND:VEVENT\nBEGIN:VEVENT\nUID:wk\nDTSTART;VALUE=DATE:20260105\n"
                      "RRULE:FREQ=WEEKLY;BYDAY=MO,2TU;COUNT=3\nSUMMARY:Mixed\nEND:VEVENT\nBEGIN:VEVENT\nUID:we\n"
                      "DTSTART;VALUE=DATE:20260307\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=SA,SU;WKST=SU;UNTIL=20260308\n"
                      "SUMMARY:WE\nEND:VEVENT"));
  EXPECT_EQ(Row(refused, "Pair"), "event,Pair,2026-03-01,,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_TRUE(Holds(refused.err,
                    "(UID pair, \"Pair\"): its repeat rule can't be kept by the organiser (the organiser's "
                    "rule would take other days)"));
  EXPECT_EQ(Row(refused, "Mixed"), "event,Mixed,2026-01-05,,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(refused, "WE"), "event,WE,2026-03-07,,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");  // not Sunday 8 March
  EXPECT_TRUE(Holds(refused.err,
                    "its repeat rule can't be kept by the organiser (BYDAY with other weeks for other "
                    "weekdays); only its first occurrence is kept"));
  EXPECT_EQ(Row(Import(Calendar(pair + "MO;COUNT=4\nSUMMARY:Pair\nEND:VEVENT")), "Pair"),
            "event,Pair,2026-03-01,,,,,,no,5,yes,yes,,,,,,weekly,2,MON;SUN,,,,2026-03-01,2026-03-23,,");
}

// Edges of the rules (a moved occurrence without its series is an item of
// its own): a series at midnight moved to the morning, several
// days of the month and the first, dates left out of an expanded series by
// whole days, a category ending in a lone backslash, an event longer than
// the organiser counts and one that ends where it begins, a leap second,
// every Monday and Tuesday with the second ones; the file begins with a byte order
// mark.
TEST(IcalImport, EdgesOfSeriesAndTexts) {
  std::string years;  // 128 days left out of a yearly series, one more than a record holds
  for (int y = 1901; y <= 2028; ++y) years += "EXDATE;VALUE=DATE:" + std::to_string(y) + "0101\n";
  const Imported got = Import(
      "\xEF\xBB\xBF" +
          Calendar(
              "BEGIN:VEVENT\nUID:mid\nDTSTART:20260601T000000\nDTEND:20260601T010000\nRRULE:FREQ=DAILY;COUNT=2\n"
              "SUMMARY:Night\nCATEGORIES:a\\\nEND:VEVENT\nBEGIN:VEVENT\nUID:mid\nRECURRENCE-ID:20260602T000000\n"
              "DTSTART:20260602T090000\nDTEND:20260602T100000\nSUMMARY:Moved\nEND:VEVENT\nBEGIN:VEVENT\n"
              "UID:twice\nDTSTART;VALUE=DATE:20260101\nRRULE:FREQ=MONTHLY;BYMONTHDAY=1,15;COUNT=4\n"
              "EXDATE;VALUE=DATE:20260115\nSUMMARY:Twice\nEND:VEVENT\nBEGIN:VEVENT\nUID:nine\nDTSTART:20260101T090000\n"
              "RRULE:FREQ=MONTHLY;BYMONTHDAY=1,15;COUNT=3\nEXDATE:20260115T090000\nSUMMARY:Twice at 9\nEND:VEVENT\n"
              "BEGIN:VEVENT\nUID:ny\nDTSTART;TZID=America/New_York:20260301T180000\n"
              "RRULE:FREQ=WEEKLY;BYDAY=SU;BYSETPOS=1;COUNT=2\nSUMMARY:NY\nEND:VEVENT\nBEGIN:VEVENT\nUID:long\n"
              "DTSTART;VALUE=DATE:19000101\nDTEND;VALUE=DATE:20790607\nSUMMARY:Long\nEND:VEVENT\nBEGIN:VEVENT\n"
              "UID:zero\nDTSTART;VALUE=DATE:20260101\nDTEND;VALUE=DATE:20260101\nSUMMARY:Zero\nEND:VEVENT\n"
              "BEGIN:VEVENT\nUID:first\nDTSTART;VALUE=DATE:20260101\nRRULE:FREQ=MONTHLY;BYMONTHDAY=1;COUNT=3\n"
              "SUMMARY:First\nEND:VEVENT\nBEGIN:VEVENT\nUID:leap\nDTSTART:20261231T235960\nSUMMARY:Leap\nEND:VEVENT\n"
              "BEGIN:VEVENT\nUID:end\nDTSTART;VALUE=DATE:21551230\nRRULE:FREQ=DAILY;UNTIL=21551231\n"
              "EXDATE;VALUE=DATE:21560101\nSUMMARY:End\nEND:VEVENT\nBEGIN:VEVENT\nUID:mix\n"
              "DTSTART;VALUE=DATE:20260105\nRRULE:FREQ=MONTHLY;BYDAY=MO,TU,2MO,2TU;COUNT=3\nSUMMARY:Mix\nEND:VEVENT\n"
              "BEGIN:VTODO\nUID:due\nDTSTART;VALUE=DATE:20260105\nDUE;VALUE=DATE:20260107\nX-KALVERT-DUE-DAYS:9\n"
              "SUMMARY:Due\nEND:VTODO\nBEGIN:VEVENT\nUID:late\nDTSTART:20260310T220000\nDTEND:20260311T010000\n"
              "SUMMARY:Late\nEND:VEVENT\nBEGIN:VEVENT\nUID:midnight\nDTSTART:20260310T220000\nDTEND:20260311T000000\n"
              "SUMMARY:Midnight\nEND:VEVENT\nBEGIN:VEVENT\nUID:across\nDTSTART:20260310T090000\nDTEND:20260312T080000\n"
              "SUMMARY:Across\nEND:VEVENT\nBEGIN:VEVENT\nUID:words\nDTSTART;VALUE=DATE:20260102\n"
              "X-KALVERT-KIND:APPOINTMENT\nX-KALVERT-START-TIME:32768\nX-KALVERT-END-TIME:-32769\nSUMMARY:Words\n"
              "END:VEVENT\nBEGIN:VTODO\nUID:chores\nDTSTART;VALUE=DATE:20260105\nRRULE:FREQ=DAILY;COUNT=3\n"
              "X-KALVERT-CHECKED-OFF:20260106\nEXDATE;VALUE=DATE:20260106\nEXDATE;VALUE=DATE:20260105\nSUMMARY:Chores\n"
              "END:VTODO\nBEGIN:VEVENT\nUID:own\nDTSTART;VALUE=DATE:20260105\nRRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=3\n"
              "X-KALVERT-DATE:20260301\nSUMMARY:Own\nEND:VEVENT\nBEGIN:VEVENT\nUID:own2\nDTSTART;VALUE=DATE:20260105\n"
              "RRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=3\nX-KALVERT-DATE:20260112\nSUMMARY:Own2\nEND:VEVENT\nBEGIN:VTODO\n"
              "UID:old\nDTSTART;VALUE=DATE:18991231\nSUMMARY:Old\nEND:VTODO\nBEGIN:VEVENT\nUID:new\n"
              "DTSTART;VALUE=DATE:21560101\nSUMMARY:New\nEND:VEVENT\nBEGIN:VEVENT\nUID:undated\nSUMMARY:Undated\n"
              "END:VEVENT\n"
              "BEGIN:VEVENT\nUID:many\nDTSTART;VALUE=DATE:19000101\nRRULE:FREQ=YEARLY;COUNT=200\nSUMMARY:Many\n" +
              years +
              "END:VEVENT\nBEGIN:VEVENT\nUID:abs\nDTSTART:20260601T100000\nSUMMARY:Abs\nBEGIN:VALARM\nACTION:DISPLAY\n"
              "TRIGGER;VALUE=DATE-TIME:20260601T073000Z\nEND:VALARM\nEND:VEVENT\nBEGIN:VEVENT\nUID:far\n"
              "DTSTART;VALUE=DATE:20260601\nX-KALVERT-FLAGS:128\nSUMMARY:Far\nBEGIN:VALARM\nACTION:DISPLAY\n"
              "TRIGGER;RELATED=END:-P50D\nEND:VALARM\nEND:VEVENT\nBEGIN:VTODO\nUID:back\nDTSTART;VALUE=DATE:20260110\n"
              "DUE;VALUE=DATE:20260105\nSUMMARY:Back\nEND:VTODO\nBEGIN:VTODO\nUID:loose\nDUE;VALUE=DATE:20260105\n"
              "RRULE:FREQ=YEARLY\nSUMMARY:Loose\nEND:VTODO\nBEGIN:VEVENT\nUID:five\nDTSTART;VALUE=DATE:20260110\n"
              "RRULE:FREQ=MONTHLY;INTERVAL=5;COUNT=3\nSUMMARY:Five\nEND:VEVENT\nBEGIN:VEVENT\nUID:three\n"
              "DTSTART;VALUE=DATE:20260310\nRRULE:FREQ=YEARLY;INTERVAL=3;COUNT=2\nSUMMARY:Tri\nEND:VEVENT\n"
              "BEGIN:VTODO\nUID:once\nDTSTART;VALUE=DATE:20260105\nDUE;VALUE=DATE:20260106\nX-KALVERT-DUE-DAYS:1\n"
              "PRIORITY:3\nX-KALVERT-PRIORITY:B\nSUMMARY:Once\nEND:VTODO\nBEGIN:VEVENT\nUID:sixties\n"
              "DTSTART;VALUE=DATE:19650106\nRRULE:FREQ=WEEKLY;COUNT=3\nSUMMARY:Sixty\nEND:VEVENT\nBEGIN:VEVENT\n"
              "UID:nyweekly\nDTSTART;TZID=America/New_York:20260302T091500\nRRULE:FREQ=WEEKLY;COUNT=4\n"
              "SUMMARY:NY weekly\nEND:VEVENT\nBEGIN:VEVENT\nUID:one\nDTSTART;VALUE=DATE:20260105\n"
              "RRULE:FREQ=DAILY;COUNT=1\nSUMMARY:One\nEND:VEVENT\nBEGIN:VEVENT\nUID:two\nDTSTART:20260310T000000\n"
              "DTEND:20260312T000000\nSUMMARY:Two\nEND:VEVENT\nBEGIN:VTODO\nUID:rdue\nDTSTART;VALUE=DATE:20260105\n"
              "DUE;VALUE=DATE:20260106\nRRULE:FREQ=DAILY;COUNT=2\nX-KALVERT-DUE-DAYS:1\nSUMMARY:Rdue\nEND:VTODO\n"
              "BEGIN:VEVENT\nUID:wide\nDTSTART;VALUE=DATE:20260105\nRRULE:FREQ=DAILY;INTERVAL=128;COUNT=2\n"
              "SUMMARY:Wide\nEND:VEVENT\nBEGIN:VEVENT\nUID:until0\nDTSTART:20260301T090030\n"
              "RRULE:FREQ=DAILY;UNTIL=20260305T090000\nSUMMARY:U\nEND:VEVENT\nBEGIN:VEVENT\nUID:twice\n"
              "RECURRENCE-ID;VALUE=DATE:20260201\nDTSTART;VALUE=DATE:20260202\nSUMMARY:Twice moved\nEND:VEVENT\n"
              "BEGIN:VEVENT\nUID:first1900\nDTSTART;VALUE=DATE:19000101\nRRULE:FREQ=DAILY;COUNT=3\n"
              "EXDATE;VALUE=DATE:19000102\nSUMMARY:N\nEND:VEVENT\nBEGIN:VTODO\nUID:loose\n"
              "RECURRENCE-ID;VALUE=DATE:20270105\nDUE;VALUE=DATE:20270106\nSUMMARY:Loose moved\nEND:VTODO\n"
              "BEGIN:VEVENT\nUID:l9\nDTSTART:20260105T090000\nDTEND:20260105T100000\n"
              "RRULE:FREQ=MONTHLY;BYMONTHDAY=5,6;COUNT=2\nSUMMARY:L9\nEND:VEVENT\nBEGIN:VEVENT\nUID:af\n"
              "DTSTART:20260105T090000\nX-KALVERT-FLAGS:64\nSUMMARY:AF\nEND:VEVENT\nBEGIN:VEVENT\nUID:ef\n"
              "DTSTART;VALUE=DATE:20260105\nX-KALVERT-FLAGS:32\nSUMMARY:EF\nEND:VEVENT\nBEGIN:VTODO\nUID:d\n"
              "DTSTART;VALUE=DATE:19000101\nSTATUS:COMPLETED\nCOMPLETED:19000101T120000Z\nSUMMARY:D\nEND:VTODO\nBEGIN:"
              "VTODO\nUID:d2\nDTSTART;VALUE=DATE:19000101\nCOMPLETED:18991231T120000Z\nSUMMARY:D2\nEND:VTODO\n"
              "BEGIN:VEVENT\nUID:ed\nDTSTART;VALUE=DATE:20260105\nX-KALVERT-END-DATE:2\nSUMMARY:ED\nEND:VEVENT\n"
              "BEGIN:VEVENT\nUID:5\nDTSTART;VALUE=DATE:20260330\nRRULE:FREQ=MONTHLY;BYDAY=5MO\nSUMMARY:5th\n"
              "END:VEVENT\nBEGIN:VEVENT\nUID:o\nRECURRENCE-ID:20260105T090000\nDTSTART:20260105T100000\nSUMMARY:O\n"
              "END:VEVENT\nBEGIN:VEVENT\nUID:max\nDTSTART;VALUE=DATE:19000101\nDTEND;VALUE=DATE:20790606\nSUMMARY:Max\n"
              "END:VEVENT"),
      {"--expand-until=2026-12-31"});
  EXPECT_EQ(Row(got, "Night"),
            "appointment,Night,2026-06-01,00:00,01:00,,,a\\,no,5,yes,yes,,,,,,daily,1,,,,,2026-06-01,2026-06-02,"
            "2026-06-02,");
  EXPECT_EQ(Row(got, "Moved"), "appointment,Moved,2026-06-02,09:00,10:00,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  // 1 and 15 January, 1 February (15 January left out, by its day and by its
  // time; 1 February of the first moved to the 2nd, not written again).
  std::vector<std::string> dates;
  for (const auto& [name, row] : got.rows)
    if (name.rfind("Twice", 0) == 0) dates.push_back(row.front().substr(row.front().find(",2026-") + 1, 10));
  std::sort(dates.begin(), dates.end());
  EXPECT_EQ(dates, (std::vector<std::string>{"2026-01-01", "2026-01-01", "2026-02-01", "2026-02-02", "2026-02-15"}));
  EXPECT_TRUE(Holds(got.err, "(several BYMONTHDAY)"));
  // 18:00 in New York is midnight here (of the next day), and 23:00 once New York is on
  // summer time (8 March) and Berlin not yet.
  EXPECT_EQ(Row(got, "NY"), "appointment,NY,2026-03-02,00:00,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "NY+"), "appointment,NY,2026-03-08,23:00,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  // 65536 days from 1 January 1900 is 7 June 2079 (Python's datetime).
  EXPECT_EQ(Row(got, "Long"), "event,Long,1900-01-01,,,65535,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Zero"), "event,Zero,2026-01-01,,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  // The first of each month, three times; a leap second's minute.
  EXPECT_EQ(Row(got, "First"), "event,First,2026-01-01,,,,,,no,5,yes,yes,,,,,,monthly,1,,,1,,2026-01-01,2026-03-01,,");
  EXPECT_EQ(Row(got, "Leap"), "appointment,Leap,2026-12-31,23:59,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  // A deleted day past the organiser's last year is no entry; a due count
  // that DUE does not agree with gives way to DUE (due on the 7th: 3 days).
  EXPECT_EQ(Row(got, "End"), "event,End,2155-12-30,,,,,,no,5,yes,yes,,,,,,daily,1,,,,,2155-12-30,2155-12-31,,");
  EXPECT_EQ(Row(got, "Due"), "todo,Due,2026-01-05,,,3,,,,,,,,no,,no,,none,,,,,,,,,");
  // Due the day after once, and a PRIORITY changed since the export: both
  // give way to the standard property. Days outside the organiser's years
  // leave the item out, as does an event without a day.
  EXPECT_EQ(Row(got, "Once"), "todo,Once,2026-01-05,,,2,,,,,,,3,no,,no,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Old") + Row(got, "New"), "(none)(none)");
  // An alarm at a time of its own (07:30 UTC, 30 minutes before); one 50
  // days before the end; a DUE before DTSTART.
  EXPECT_EQ(Row(got, "Abs"), "appointment,Abs,2026-06-01,10:00,,,,,yes,30,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Far"), "event,Far,2026-06-01,,,,,,yes,65535,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Back"), "todo,Back,2026-01-10,,,1,,,,,,,,no,,no,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Five"), "event,Five,2026-01-10,,,,,,no,5,yes,yes,,,,,,monthly,5,,,10,,2026-01-10,2026-11-10,,");
  EXPECT_EQ(Row(got, "Tri"), "event,Tri,2026-03-10,,,,,,no,5,yes,yes,,,,,,yearly,3,,,10,MAR,2026-03-10,2029-03-10,,");
  // 6 January 1965 was a Wednesday.
  EXPECT_EQ(Row(got, "Sixty"), "event,Sixty,1965-01-06,,,,,,no,5,yes,yes,,,,,,weekly,1,WED,,,,1965-01-06,1965-01-20,,");
  EXPECT_TRUE(Holds(got.err,
                    "(UID mix, \"Mix\"): its repeat rule can't be kept by the organiser (BYDAY with other weeks "
                    "for other weekdays)"));
  // An appointment past midnight stays on its first day: its end's time and
  // its count of days; one ending at midnight ends at 24:00, unwarned.
  EXPECT_EQ(Row(got, "Late"), "appointment,Late,2026-03-10,22:00,01:00,1,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Midnight"), "appointment,Midnight,2026-03-10,22:00,24:00,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Across"), "appointment,Across,2026-03-10,09:00,08:00,2,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_FALSE(Holds(got.err, "(UID midnight"));
  // 09:15 in New York is 15:15 here, but 14:15 on 9 March: New York is on
  // summer time from 8 March, Berlin from 29 March.
  EXPECT_EQ(Row(got, "NY weekly").substr(0, 43), "appointment,NY weekly,2026-03-02,15:15,,,,,");
  EXPECT_TRUE(Holds(got.err,
                    "(UID nyweekly, \"NY weekly\"): its occurrence of 2026/03/09 is at 14:15 in "
                    "Europe/Berlin (daylight saving differs between the zones); the organiser keeps every "
                    "occurrence at 15:15."));
  EXPECT_FALSE(Holds(got.err, "occurrence of 2026/03/16"));  // warned once
  // A series of one day ends on it; midnight to midnight two days later is
  // two whole days; a repeating ToDo kept due on its own day is due the day after.
  EXPECT_EQ(Row(got, "One"), "event,One,2026-01-05,,,,,,no,5,yes,yes,,,,,,daily,1,,,,,2026-01-05,2026-01-05,,");
  EXPECT_EQ(Row(got, "Two"), "event,Two,2026-03-10,,,2,,,no,5,yes,yes,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "Rdue"), "todo,Rdue,2026-01-05,,,1,,,,,,,,no,,no,,daily,1,,,,,2026-01-05,2026-01-06,,");
  // An UNTIL at midnight ends a series at 09:00 the day before; a deleted day
  // in the first year; a ToDo without DTSTART keeps its moved occurrence.
  EXPECT_EQ(Row(got, "U"), "appointment,U,2026-03-01,09:00,,,,,no,5,yes,yes,,,,,,daily,1,,,,,2026-03-01,2026-03-04,,");
  EXPECT_EQ(Row(got, "N"), "event,N,1900-01-01,,,,,,no,5,yes,yes,,,,,,daily,1,,,,,1900-01-01,1900-01-03,1900-01-02,");
  EXPECT_EQ(Row(got, "AF"), "appointment,AF,2026-01-05,09:00,,,,,no,5,no,no,,,,,64,none,,,,,,,,,");  // any flags
  EXPECT_EQ(Row(got, "EF"), "event,EF,2026-01-05,,,,,,no,5,no,no,,,,,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "D"), "todo,D,1900-01-01,,,,,,,,,,,yes,1900-01-01,no,,none,,,,,,,,,");
  EXPECT_EQ(Row(got, "ED"),
            "event,ED,2026-01-05,,,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");  // a count of one day is 0 or 1
  EXPECT_EQ(Row(got, "L9+"), "appointment,L9,2026-01-06,09:00,10:00,,,,no,5,yes,yes,,,,,,none,,,,,,,,,");  // expanded
  EXPECT_EQ(Row(got, "Loose moved"), "todo,Loose moved,2027-01-06,,,1,,,,,,,,no,,no,,none,,,,,,,,,");
  EXPECT_TRUE(Holds(got.err, "(UID wide, \"Wide\"): its repeat rule can't be kept by the organiser (INTERVAL=128)"));
  // The item's own date of a series is kept when it is one of the series'
  // days (Monday 12 January), not when it is none (Sunday 1 March).
  EXPECT_EQ(Row(got, "Own").substr(0, 26), "event,Own,2026-01-05,,,,,,");
  EXPECT_EQ(Row(got, "Own2").substr(0, 27), "event,Own2,2026-01-12,,,,,,");
  // Deleted and checked-off days by date; on one date, the deleted first
  // (the order a book's own export gives back).
  EXPECT_EQ(Row(got, "Chores"),
            "todo,Chores,2026-01-05,,,,,,,,,,,no,,no,,daily,1,,,,,2026-01-05,2026-01-07,"
            "2026-01-05;2026-01-06;2026-01-06 done,");
  for (const char* said :
       {"(UID long, \"Long\"): its 65536 days kept as 65535, the most the organiser counts.",
        "(UID zero, \"Zero\"): its DTEND is not after its DTSTART; taken as one day.",
        "(UID late, \"Late\"): it ends on 2026/03/11; the organiser keeps it on its first day, ending at 01:00.",
        "(UID across, \"Across\"): it ends on 2026/03/12; the organiser keeps it on its first day, ending at 08:00.",
        "(UID words, \"Words\"): X-KALVERT-START-TIME:32768 is not a value it can have; left out.",
        "(UID words, \"Words\"): X-KALVERT-END-TIME:-32769 is not a value it can have; left out.",
        "(UID old, \"Old\"): its date 1899/12/31 is outside the years the organiser holds (1900 to 2155); left out.",
        "(UID new, \"New\"): its date 2156/01/01 is outside the years",
        "(UID undated, \"Undated\"): it has no DTSTART; left out.",
        "(UID far, \"Far\"): its alarm is set from the end; the organiser's is set from the start.",
        "(UID far, \"Far\"): its alarm is more than 65535 minutes before the start; set to 65535.",
        "(UID far, \"Far\"): X-KALVERT-FLAGS:128 would change its kind; left out.",
        "(UID back, \"Back\"): its DUE is before its DTSTART; due on its date.",
        "(UID many, \"Many\"): its repeat rule can't be kept by the organiser (128 deleted or checked-off occurrences",
        "(UID loose, \"Loose\"): its repeat rule has no DTSTART to count from; kept once.",
        "(UID d2, \"D2\"): its completion date 1899/12/31 is outside the years the organiser holds (1900 to 2155)",
        "(UID 5, \"5th\"): its repeat rule can't be kept by the organiser (BYDAY with the week 5)",
        "cal.ics: 56 item(s) added, 0 already in the book, 3 left out.\n"})
    EXPECT_TRUE(Holds(got.err, said));
  EXPECT_FALSE(Holds(got.err, "its 65535 days"));  // 6 June 2079 is day 65535 from 1 January 1900
}

// Without --timezone the machine's zone: TZ, with or without the colon
// that marks a zone file; one libical does not know is taken as UTC, with a
// warning. A zone named with --timezone that it does not know is refused.
TEST(IcalImport, TheMachineZoneFromTz) {
  const std::pair<const char*, const char*> cases[] = {
      {"Asia/Tokyo", "15:30"}, {":Asia/Tokyo", "15:30"}, {"Mars/Olympus", "06:30"}};  // 06:30 UTC is 15:30 in Tokyo
  ScratchDir dir;
  ASSERT_EQ(std::system(("'" KALVERT_GEN "' defs '" + dir.Path("defs.dat") + "'").c_str()), 0);
  dir.Write("cal.ics", Calendar("BEGIN:VEVENT\nUID:u\nDTSTART:20260701T063000Z\nSUMMARY:Call\nEND:VEVENT"));
  const std::vector<std::string> args = {"-xdefs.dat", "-m", "-ical.ics", "-onew.dat", "--format=ics", "-s2"};
  for (const auto& [tz, time] : cases) {
    const std::string err = RunKalvert(dir, args, std::string("export TZ=") + tz + "; ").err;
    EXPECT_EQ(static_cast<bool>(Holds(err, "zone Mars/Olympus is not known; times are taken in UTC")), tz[0] == 'M');
    const std::string csv = RunKalvert(dir, {"-xnew.dat", "--format=csv", "-s1"}).out;
    EXPECT_TRUE(Holds(csv, std::string(",Call,2026-07-01,") + time)) << tz;
  }
  std::vector<std::string> named = args;
  named.push_back("--timezone=Mars/Olympus");
  EXPECT_TRUE(Holds(RunKalvert(dir, named).err, "Unknown time zone Mars/Olympus: --timezone needs a zone name as "));
}

// Refused with the line, the destination never made.
TEST(IcalImport, BrokenCalendarsAreRefusedWithTheirLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"hello\n", "cal.ics line 1: not an iCalendar file: it does not begin with BEGIN:VCALENDAR.\n"},
      {"BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:20260101T100000\n", "cal.ics line 2: BEGIN:VEVENT has no END:VEVENT.\n"},
      {"BEGIN:VCALENDAR\nBEGIN:VEVENT\nEND:VCALENDAR\n",
       "cal.ics line 3: END:VCALENDAR where END:VEVENT of line 2 belongs.\n"},
      {Calendar("BEGIN:VEVENT\nUID:a\nDTSTART:20261345T100000\nEND:VEVENT"),
       "cal.ics line 6: DTSTART 20261345T100000 is not a day of the calendar.\n"},
      {Calendar("BEGIN:VEVENT\nUID:a\nDTSTART:20260101T250000\nEND:VEVENT"),
       "cal.ics line 6: DTSTART 20260101T250000 is not a time of the day.\n"},
      {Calendar("BEGIN:VEVENT\nUID:a\nDTSTART:20260101T106000\nEND:VEVENT"),
       "cal.ics line 6: DTSTART 20260101T106000 is not a time of the day.\n"},
      {Calendar("BEGIN:VEVENT\nUID:a\nEND:VEVENT\nDTSTART:soon"),
       "cal.ics line 7: the line can't be read (Can't parse as DATE-TIME value in DTSTART property. Removing "
       "entire property: soon).\n"},
      {Calendar("BEGIN:VEVENT\nUID:a\nX:1\nSUM*MARY:x\nEND:VEVENT"),
       "cal.ics line 7: not a content line (a name, then a colon and the value).\n"},
      {Calendar("BEGIN:VEVENT\nUID:a\n folded on\nno colon\nEND:VEVENT"),
       "cal.ics line 7: not a content line (a name, then a colon and the value).\n"},
      {Calendar("END:VEVENT") + "X:1\n", "cal.ics line 4: END:VEVENT where END:VCALENDAR of line 1 belongs.\n"},
      {Calendar("BEGIN:VEVENT\nSUMMARY:Caf\xC3\xA9\nDTSTART:20260101T100000\nEND:VEVENT"),
       "cal.ics line 5: SUMMARY: the text holds non-ASCII characters, and the organiser's code page is not known."}};
  for (const auto& [text, message] : cases) {
    ScratchDir dir;
    dir.Write("cal.ics", text);
    const bool bAscii = message.find("non-ASCII") != std::string::npos;
    const fixture::RunResult r =
        RunKalvert(dir, {"-x" KALVERT_SOURCE_DIR "/examples/book.dat", "-ical.ics", "-onew.dat", "--format=ics", "-s2",
                         bAscii ? "--timezone=UTC" : "--encoding=EUC-JP"});
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_TRUE(Holds(r.err, message));
    EXPECT_FALSE(dir.Exists("new.dat")) << text;
  }
}

// A book exported and brought back is the same book, whatever the zone
// (its times float); brought back into itself it adds nothing.
TEST(IcalImport, GeneratedBooksComeBackWhole) {
  for (const char* seed : {"3", "8"}) {
    ScratchDir dir;
    const std::string gen = std::string("'" KALVERT_GEN "' varied 1000 ") + seed + " '" + dir.Path("book.dat") +
                            "' && '" KALVERT_GEN "' defs '" + dir.Path("defs.dat") + "'";
    ASSERT_EQ(std::system(gen.c_str()), 0);
    const auto run = [&](std::vector<std::string> args) {
      if (args.size() > 1) args.push_back("--encoding=EUC-JP");
      args.push_back("-s1");
      const fixture::RunResult r = RunKalvert(dir, args);
      EXPECT_EQ(r.status, 0) << r.err;
      return r;
    };
    dir.Write("book.ics", run({"-xbook.dat", "--format=ics"}).out);
    const std::string said = fixture::Said(
        run({"-xdefs.dat", "-m", "-ibook.ics", "-ocopy.dat", "--format=ics", "--timezone=Pacific/Auckland"}));
    EXPECT_TRUE(Holds(said, "book.ics: 1000 item(s) added, 0 already in the book, 0 left out.\n"));
    EXPECT_FALSE(Holds(said, "Warning")) << seed;
    EXPECT_EQ(run({"-xcopy.dat", "--format=csv"}).out, run({"-xbook.dat", "--format=csv"}).out) << seed;
    EXPECT_EQ(run({"-xcopy.dat"}).out, run({"-xbook.dat"}).out) << seed;
    const std::string again = fixture::Said(run({"-xcopy.dat", "-ibook.ics", "-oagain.dat", "--format=ics"}));
    EXPECT_TRUE(Holds(again, "book.ics: 0 item(s) added, 1000 already in the book, 0 left out.\n"));
  }
}

// The room of the output: as many items as fit are taken, one more is
// refused before anything is written.
TEST(IcalImport, ACalendarTooLargeForTheDatabaseIsRefused) {
  ScratchDir dir;
  ASSERT_EQ(std::system(("'" KALVERT_GEN "' defs '" + dir.Path("defs.dat") + "'").c_str()), 0);
  const auto calendar = [](int n, const std::string& uid) {
    std::string body;
    for (int i = 0; i < n; ++i)
      body += "BEGIN:VEVENT\nUID:" + uid + std::to_string(i) + "\nDTSTART:20260101T100000\nSUMMARY:" + uid +
              std::to_string(i) + "\nEND:VEVENT\n";
    return Calendar(body.substr(0, body.size() - 1));
  };
  // Into the definitions alone (-m), or beside the book's own items.
  const auto import = [&](int n, const char* book = "defs.dat", const char* more = "-m") {
    dir.Write("cal.ics", calendar(n, book[0] == 'd' ? "" : "x"));
    return RunKalvert(
        dir, {std::string("-x") + book, more, "-ical.ics", "-onew.dat", "--format=ics", "-s2", "--timezone=UTC"});
  };
  // Room for 4082: the 4095 entries of a lookup table less the file's header
  // record, the 9 definitions, the two chain records and the view point table.
  EXPECT_TRUE(Holds(import(4095).err,
                    "cal.ics: its 4095 items do not fit the output database, which has room for 4082 of them"));
  EXPECT_FALSE(dir.Exists("new.dat"));
  const int nFit = 4082;
  EXPECT_EQ(import(nFit).status, 0);
  EXPECT_EQ(import(nFit + 1).status, 1);
  // A book's own item without a note takes one record of the room: a copy
  // with one such item has room for one fewer than a copy with none.
  ASSERT_EQ(RunKalvert(dir, {"-xdefs.dat", "-m", "-onone.dat", "-s2"}).status, 0);
  ASSERT_EQ(import(1).status, 0);
  std::rename(dir.Path("new.dat").c_str(), dir.Path("one.dat").c_str());
  const auto room = [&](const char* book) {
    const std::string err = import(4095, book, "-s2").err;
    std::smatch found;
    return std::regex_search(err, found, std::regex("which has room for (\\d+) of them")) ? std::stoi(found[1]) : -1;
  };
  EXPECT_EQ(room("one.dat"), room("none.dat") - 1);
}

}  // namespace
