// The --format=csv export read back by Python's csv module (strict): texts
// full of quotes, commas, line breaks, & and #, in CP437 and CP932, every kind
// of item with its flags and repeat rule. The import: what spreadsheets
// write, every refusal with its line and column (the destination untouched),
// cuts at character boundaries, code pages there and back, general
// databases, the lossless round trip; and how the legacy import stores odd
// times and short or dateless lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using namespace fixture;

// How the refusals of a text that is not ASCII, without --encoding, end.
const std::string kAsk =
    " Name the organiser's encoding with --encoding=NAME (for example --encoding=CP932 or --encoding=CP437).\n";
const std::string kNotAscii = ": a text holds non-ASCII bytes, and standard CSV is UTF-8." + kAsk;

// The data record bodies (note, previous and next links cleared), each
// followed by its note's text, sorted; last, the count of note records.
std::vector<std::vector<unsigned char>> Items(const std::vector<unsigned char>& file) {
  std::vector<std::vector<unsigned char>> notes, items;
  for (const Rec& r : Records(file))
    if (r.type == 9) notes.push_back(r.body);
  for (Rec r : Records(file)) {
    if (r.type != 11) continue;
    const int note = static_cast<int16_t>(r.body[8] | r.body[9] << 8);
    std::fill(r.body.begin() + 8, r.body.begin() + 14, 0);
    if (note >= 0) r.body.insert(r.body.end(), notes.at(note).begin(), notes.at(note).end());
    items.push_back(r.body);
  }
  std::sort(items.begin(), items.end());
  items.push_back({static_cast<unsigned char>(notes.size())});
  return items;
}

// An appointment book holding its chain record 0 and the given items, each
// note as a note record.
std::vector<unsigned char> Book(std::vector<fixture::Appt> items, const std::vector<std::string>& notes = {}) {
  fixture::DbFile db('2');
  db.Add(14, 0, 0, fixture::Bytes().zeros(23));
  for (std::size_t i = 0; i < notes.size(); ++i) db.Add(9, 0, static_cast<int>(i), fixture::Bytes().str(notes[i]));
  for (std::size_t i = 0; i < items.size(); ++i) db.Add(11, 0, static_cast<int>(i), items[i].Encode());
  return db.Finish();
}

// s cut at every sep ("" is one empty field).
std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> v;
  for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
    end = s.find(sep, at);
    v.push_back(s.substr(at, end == std::string::npos ? end : end - at));
  }
  return v;
}

// The rows of a CSV file as Python's csv module reads it with strict=True;
// a parse error fails the test.
std::vector<std::vector<std::string>> PythonRows(const std::string& path) {
  const std::string cmd = "/usr/bin/python3 '" KALVERT_SOURCE_DIR "/tests/csv_rows.py' '" + path + "' 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  EXPECT_EQ(pclose(p), 0) << out;
  std::vector<std::vector<std::string>> rows;
  for (const std::string& row : Split(out, '\x1e')) rows.push_back(Split(row, '\x1f'));
  rows.pop_back();  // what follows the last row's mark
  return rows;
}

// Each kind once: values worked out from the bytes below.
TEST(StdCsvExport, EveryKindReadBackByPython) {
  // A plain appointment (start_csvd, so written last), a repeating ToDo and a custom event.
  Appt meet("Say \"hi\", Tom & Sons #2 \x82", 103, 1, 13, "Caf\x82"), pay("Pay", 103, 2, 0), fair("Fair", 103, 3, 0);
  std::tie(meet.cFlags, meet.lead, meet.leadTime, meet.note) = std::make_tuple(0x83, 0x2C, 0x01, 0);  // 300 min ahead
  meet.start(0).end(645).category = "Work, home";  // midnight is a time
  std::tie(pay.cFlags, pay.t1, pay.t2, pay.e1, pay.e2, pay.lead, pay.leadTime) =
      std::make_tuple(0x16, 'A', '2', 103, 2, 1, 0xFF);
  pay.repeat(4, {2, 0x85, 0, 0, 0, 103, 2, 0, 103, 11, 30, 2}).note = 1;  // a bare LF: quoted too
  pay.deleted.u8(103).u8(2).u8(9).u8(0).u8(103).u8(2).u8(16).u8(1);
  // Three days, no time, 600 minutes ahead.
  std::tie(fair.cFlags, fair.iEndDate, fair.lead, fair.leadTime) = std::make_tuple(0x66, 3, 0x58, 0x02);
  fair.start(0x8000).end(0x8000).repeat(32, {0, 15, 0, 0x01, 0x1C, 103, 3, 0, 0xFF, 0xFF, 0xFF, 0});  // no month 13
  ScratchDir dir;
  dir.Write("book.dat", Book({meet, pay, fair}, {"line1\r\nline2\nline3 \"q\", #&", "x\ny"}));
  const fixture::RunResult r = RunKalvert(dir, {"-xbook.dat", "--format=csv", "--encoding=CP437", "-s1"});
  ASSERT_EQ(r.status, 0) << r.err;
  dir.Write("out.csv", r.out);
  EXPECT_TRUE(Holds(r.out, "\r\n"));
  // One row a line, fields split at '|'.
  const char* const rows[] = {
      "kind|description|date|start|end|days|location|category|alarm|lead|month_view|week_view|priority|completed|"
      "completed_on|carry|other_flags|repeat|every|weekdays|weeks|day_of_month|months|repeat_from|repeat_until|"
      "deleted|note",
      "todo|Pay|2003-03-01||||||||||A2|yes|2003-03-02|yes||weekly|2|MON;WED||||2003-03-01|2003-12-31|"
      "2003-03-10;2003-03-17 done|x\ny",
      "event|Fair|2003-04-01|||3|||no|600|yes|yes|||||64|custom||||15|7169|2003-04-01|||",
      "appointment|Say \"hi\", Tom & Sons #2 \xC3\xA9|2003-02-14|00:00|10:45||Caf\xC3\xA9|Work, home|yes|300|yes|no|"
      "|||||none|||||||||line1\r\nline2\nline3 \"q\", #&"};
  std::vector<std::vector<std::string>> want;
  for (const char* row : rows) want.push_back(Split(row, '|'));
  EXPECT_EQ(PythonRows(dir.Path("out.csv")), want);
}

// Kinds add up, none means all; a class 2 takes the items that happen once
// (the ToDo's repeat type 0 among them), 3 the repeating ones (the event);
// the date range holds; bytes not valid in the code page end the run with one
// warning (as U+FFFD in the text: the codec the iCalendar tests check), and
// without a code page a text that is not ASCII ends it before any output;
// --bom leads the text.
TEST(StdCsvExport, ChoiceReplacementAndMark) {
  Appt a, e, t;
  e.cFlags = 0x26;
  e.repeat(2, {1, 0, 0, 0, 0, 100, 0, 0, 100, 0, 9, 0});
  std::tie(t.cFlags, t.cDay, t.cRepeatType, t.t1, t.t2) = std::make_tuple(0x14, 5, 0, 'A', 0);
  a.description = "\x81 x";  // a lead byte without its trail byte
  ScratchDir dir;
  dir.Write("book.dat", Book({a, e, t}));
  const std::string cp932 = "--encoding=CP932";
  const std::string replaced = "Warning: 1 byte sequence(s) not valid in CP932 were written as U+FFFD.\n";
  // clang-format off
  const struct { std::vector<std::string> args; std::string kinds, err; } cases[] = {
      {{cp932}, "event,todo,appointment", replaced},  // the chain of repeating items and ToDo items first
      {{"-t", "-a", cp932}, "todo,appointment", replaced}, {{"-e"}, "event", ""},
      {{"-a2", "-e3", "-t2", cp932}, "event,todo,appointment", replaced}, {{"-a3", "-e2", "-t3"}, "", ""},
      {{"-g20000102"}, "todo", ""}, {{"-t", "-a"}, "", "The appointment \"? x\" of 2000/01/01 (record 0)" + kNotAscii},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-xbook.dat", "--format=csv", "-s1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const fixture::RunResult r = RunKalvert(dir, args);
    std::string kinds;
    for (std::size_t at = r.out.find("\r\n"); at != std::string::npos && at + 2 < r.out.size();
         at = r.out.find("\r\n", at + 2))
      kinds += (kinds.empty() ? "" : ",") + r.out.substr(at + 2, r.out.find(',', at) - at - 2);
    EXPECT_EQ(kinds, c.kinds) << c.args.size();
    EXPECT_EQ(std::make_pair(Said(r), r.out.empty()), std::make_pair(c.err, c.err[0] == 'T' && r.status == 1));
  }
  EXPECT_EQ(RunKalvert(dir, {"-xbook.dat", "--format=csv", "--bom", "-e", "-s1"}).out.substr(0, 8),
            "\xEF\xBB\xBFkind,");
}

// Imported with -m into a book whose own item is left out; a time may carry
// its seconds; a blank line is no row.
TEST(StdCsvImport, SpreadsheetStyleInputImportedExactly) {
  Appt lunch, rent;
  std::tie(lunch.cFlags, lunch.cYear, lunch.cMonth, lunch.cDay) = std::make_tuple(0x86, 103, 1, 13);  // no alarm
  lunch.start(545).end(0x8000);
  lunch.description = "Lunch, with \"Ken\"";
  lunch.note = 0;
  std::tie(rent.cFlags, rent.cYear, rent.cMonth, rent.cDay, rent.t1, rent.t2, rent.lead, rent.leadTime) =
      std::make_tuple(0x10, 100, 1, 28, 0, 0, 0xFF, 0xFF);  // 2000 is a leap year
  rent.description = "Pay rent";
  const auto want = Items(Book({lunch, rent}, {"a\r\nb"}));  // a note's line break is the organiser's CR LF
  const std::string rows[] = {
      "\xEF\xBB\xBF"
      "Date,Description,KIND,note,Start",
      "2003-2-14,\"Lunch, with \"\"Ken\"\"\",appointment ,\"a\nb\",9:05:00", "", "2000/2/29,Pay rent,todo,,"};
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    std::string text;
    for (const std::string& row : rows) text += row + eol;
    ScratchDir dir;
    dir.Write("book.dat", Book({Appt("Old", 100, 0, 0)}));
    dir.Write("sheet.csv", text);
    const auto r = RunKalvert(dir, {"-xbook.dat", "-m", "-isheet.csv", "-oout.dat", "--format=csv", "-s1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Items(dir.Read("out.dat")), want);
  }
}

// n copies of s.
std::string Times(long n, const std::string& s) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

// A csv that begins with data (a date second) gets the header
// "kind,date,start,description"; err follows "sheet.csv line " (or
// "sheet.csv " for what the whole file is). The book holds no record but
// its header that is kept, so with -o there is room for 4095 - 4 records
// (file header, two chain records, view point table): 4091 rows, or 2045
// with notes; without -o 4091 rows. A record of 6 + 27 bytes and the three
// texts' NULs leaves 32731 bytes of category.
TEST(StdCsvImport, BadValuesRefusedWithLineAndColumn) {
  using namespace std::string_literals;
  const std::string nul = "the field holds a NUL byte, which the organiser cannot store";
  // clang-format off
  const struct { std::string csv, err; bool bOut = true; } cases[] = {
      {"appointment,2003-02-30,,x\n", "2, column 2 (date): 2003-02-30 is not a calendar date"},
      {"appointment,2003-02-01,24:00,x\n", "2, column 3 (start): 24:00 is not a time of the day"},
      {"appointment,2003-02-01,23:60,x\n", "2, column 3 (start): 23:60 is not a time of the day"},
      {"date,days\n2003-01-01,65536\n", "2, column 2 (days): \"65536\" is not a whole number from 0 to 65535"},
      {"date,repeat,months\n2003-01-01,yearly,65536\n", "2, column 3 (months): \"65536\" is not a month (JAN to DEC)"},
      {"date,other_flags\n2003-01-01,256\n", "2, column 2 (other_flags): \"256\" is not a whole number from 0 to 255"},
      {"date,description\n\"\"\n", "2: the row has 1 columns, the header 2"},  // a quoted empty field is no blank line
      {"date,other_flags\n2003-01-01,4\n", "2, column 2 (other_flags): an item of kind appointment has no such flag bits"},
      {"date,repeat,weekdays,day_of_month\n2003-01-01,monthly,MON,5\n",
       "2, column 4 (day_of_month): a rule has weekdays or a day of the month, not both"},
      {"date,repeat,every\n2003-01-01,daily,128\n",
       "2, column 3 (every): \"128\" is not a whole number from -128 to 127"},
      {"appointment,2003-02-01,13:00 PM,x\n", "2, column 3 (start): \"13:00 PM\" is not a time (HH:MM)"},
      {"date,start\n2003-02-01,1996-01-07 09:00\n", "2, column 2 (start): \"1996-01-07 09:00\" is not a time (HH:MM)"},
      {"date\n2003-1-1 1:30\n", "2, column 1 (date): \"2003-1-1 1:30\" is a date and a time; the column takes a date"},
      {"Date\n07/01/96\n", "2, column 1 (Date): \"07/01/96\" is not a date (YYYY-MM-DD)"},  // the header as written
      {"date\n07/01/1996\n", "2, column 1 (date): \"07/01/1996\" is not a date (YYYY-MM-DD); for a day-first or "
                             "month-first date name the order with --date-order=DMY or --date-order=MDY"},
      {"appointment,20030-02-01,,x\n", "2, column 2 (date): \"20030-02-01\" is not a date (YYYY-MM-DD)"},
      {"date\n2003-01-02-03\n", "2, column 1 (date): \"2003-01-02-03\" is not a date (YYYY-MM-DD)"},
      {"", "1: no header row"},
      {"meeting,2003-02-01,,x\n", "2, column 1 (kind): \"meeting\" is not a kind (appointment, event, todo)"},
      {"todo,2003-02-01,10:00,x\n", "2, column 3 (start): an item of kind todo has no start"},
      {"appointment,2003-02-01,\n", "2: the row has 3 columns, the header 4"},
      {"appointment,2003-02-01,,x,\n", "2, column 5: the row has more columns than the header (4)"},
      {"kind,date,note\nappointment,2003-01-01,\"a\r\nb\"\r\nappointment,2003-01-01,\"x\n",
       "4, column 3 (note): the double quote that begins this field is never closed"},
      {"appointment,2003-01-01,\"9:00\"x,\n", "2, column 3 (start): text after the double quote that closes a field"},
      {"date,de\"scription\n", "1, column 2: a double quote inside a field that does not begin with one"},
      {"kind,date,colour\n", "1, column 3 (colour): no such column"},
      {"kind,date,,\n", "1, column 3: no such column"},
      {"date,kind,DATE,kind,date\n", "1, column 3 (DATE): the column is named twice"},
      {"Date,repeat\n2003-01-01,fortnightly\n",
       "2, column 2 (repeat): \"fortnightly\" is not a repeat (none, daily, weekly, monthly, yearly, custom)"},
      {"date,repeat,weekdays\n2003-01-01,none,MON\n",
       "2, column 3 (weekdays): weekdays is given, but the item does not repeat"},
      {"date,repeat,day_of_month\n2003-01-01,monthly,32\n",
       "2, column 3 (day_of_month): \"32\" is not a whole number from 1 to 31"},
      {"date,repeat,day_of_month\n2003-01-01,monthly,0\n",
       "2, column 3 (day_of_month): \"0\" is not a whole number from 1 to 31"},
      {"description,kind\nx,event\n", "1: the header has no column date"},
      {"date\n1899-12-31\n", "2, column 1 (date): the year of 1899-12-31 is outside 1900 to 2154"},
      {"date\n1900-02-29\n", "2, column 1 (date): 1900-02-29 is not a calendar date"},
      {"date\n2003-09-31\n", "2, column 1 (date): 2003-09-31 is not a calendar date"},
      {"kind,date,priority\ntodo,2003-01-01,ABC\n", "2, column 3 (priority): a priority has one or two characters"},
      {"date,repeat,deleted\n2003-01-01,daily," + Times(128, "2003-01-02;") + "\n",
       "2, column 3 (deleted): more than 127 deleted occurrences"},
      {"date,alarm\n2003-01-01,maybe\n", "2, column 2 (alarm): \"maybe\" is neither yes nor no"},
      {"date,lead\n2003-01-01,65536\n", "2, column 2 (lead): \"65536\" is not a whole number from 0 to 65535"},
      {"date\n2003-001-05\n", "2, column 1 (date): \"2003-001-05\" is not a date (YYYY-MM-DD)"},
      {"date,start\n2003-01-05,9:05:007\n", "2, column 2 (start): \"9:05:007\" is not a time (HH:MM)"},
      {"date,start\n2003-01-05,9:005\n", "2, column 2 (start): \"9:005\" is not a time (HH:MM)"},
      {"date,repeat\n2003-01-05,128\n", "2, column 2 (repeat): \"128\" is not a repeat (none, daily, weekly, monthly, yearly, custom)"},
      {"date,repeat\n2003-01-05,-129\n", "2, column 2 (repeat): \"-129\" is not a repeat (none, daily, weekly, monthly, yearly, custom)"},
      {"date,repeat,weekdays\n2003-01-01,weekly,Monday;Fun\n",
       "2, column 3 (weekdays): \"Fun\" is not a weekday (MON to SUN)"},
      {"date,repeat,weeks\n2003-01-01,monthly,256\n",
       "2, column 3 (weeks): \"256\" is not a week of the month (first, second, third, fourth, last)"},
      {"date,repeat,months\n2003-01-01,yearly,Jan;Janus\n",
       "2, column 3 (months): \"Janus\" is not a month (JAN to DEC)"},
      {"date,repeat,deleted\n2003-01-01,daily,2003-01-02 gone\n",
       "2, column 3 (deleted): \"2003-01-02 gone\" is not a date, a date and done, or a date and status N"},
      {"date,repeat,deleted\n2003-01-01,daily,2003-01-02 status 256\n",
       "2, column 3 (deleted): \"256\" is not a whole number from 0 to 255"},
      {"date,note\n2003-01-01,\"a\nb \xE4\xBC\x9A\"\n",
       "3, column 2 (note): the text holds a character that CP437 cannot hold"},
      {"date,description\r\n2001-01-01,\"abc\0def\"\r\n"s, "2, column 2 (description): " + nul},
      {"date,kind,note\n2001-01\0-01,todo,\"a\nb\0\"\n"s, "2, column 1 (date): " + nul},
      {"date,kind,note\n2001-01-01,todo,\"a\nb\"\0\n"s, "3, column 3 (note): " + nul},
      {"date,no\0te\n"s, "1, column 2: " + nul},
      {"\xFE\xFF\0k\0i\0n\0d\0\r\0\n"s, "is UTF-16 text; save it as CSV in UTF-8"},
      {"d\0\n\0"s, "is UTF-16 text; save it as CSV in UTF-8"},  // the smallest sample, the whole file
      {"\0d\0\n"s, "is UTF-16 text; save it as CSV in UTF-8"},
      {"\xFF\xFE\0\0d\0\0\0"s, "is UTF-32 text; save it as CSV in UTF-8"},
      {"date,category\n2003-01-01," + std::string(32732, 'x') + "\n",
       "2, column 2 (category): with this text the record is longer than a record can be (32767 bytes)"},
      {"date\n" + Times(4092, "2003-01-01\n"), "4093: too many rows; the output database has room for 4091"},
      {"date,note\n" + Times(2046, "2003-01-01,x\n"), "2047: too many rows; the output database has room for 2045"},
      {"date,note\n" + Times(4092, "2003-01-01,x\n"), "4093: too many rows; a database holds at most 4091", false},
      // clang-format on
  };
  for (const auto& c : cases) {
    const std::string& csv = c.csv;
    ScratchDir dir;
    dir.Write("defs.dat", Book({}));
    dir.Write("out.dat", std::string("old"));
    dir.Write("sheet.csv", (csv[csv.find(',') + 1] == '2' ? "kind,date,start,description\n" : "") + csv);
    std::vector<std::string> args = {"-xdefs.dat", "-isheet.csv", "--format=csv", "--encoding=CP437", "-s1"};
    if (c.bOut) args.push_back("-oout.dat");
    const auto r = RunKalvert(dir, args);
    EXPECT_EQ(r.status, 1) << c.err;
    EXPECT_EQ(Said(r), "sheet.csv " + std::string(c.err.compare(0, 3, "is ") == 0 ? "" : "line ") + c.err + ".\n");
    EXPECT_EQ(dir.Read("out.dat"), (std::vector<unsigned char>{'o', 'l', 'd'}));
  }
  // One fewer row, a category one byte shorter, and one fewer deleted day fit.
  ScratchDir dir;
  dir.Write("defs.dat", Book({}));
  dir.Write("a.csv", "date\n" + Times(4091, "2003-01-01\n"));
  dir.Write("b.csv", "date,category\n2154-12-31," + std::string(32731, 'x') + "\n");  // the last year too
  dir.Write("c.csv", "date,repeat,deleted\n2003-01-01,daily," + Times(127, "2003-01-02;") + "\n");
  for (const char* in : {"-ia.csv", "-ib.csv", "-ic.csv"})
    EXPECT_EQ(RunKalvert(dir, {"-xdefs.dat", in, "-oout.dat", "--format=csv", "-s1"}).status, 0) << in;
  // Into a copy of a book with an item of its own, that item takes one record of the room.
  dir.Write("one.dat", Book({Appt("Old", 100, 0, 0)}));
  EXPECT_EQ(Said(RunKalvert(dir, {"-xone.dat", "-ia.csv", "-oout.dat", "--format=csv", "-s1"})),
            "a.csv line 4092: too many rows; the output database has room for 4090.\n");
}

// What spreadsheets save, each imported as its plain form is: semicolons
// and tabs found from the header, dates with the time of midnight, times
// with the day zero of a spreadsheet's calendar, 12-hour times, dates in the
// order --date-order names, the last line without its line break; seconds
// are dropped with a warning. The book goes out with tabs or semicolons and
// comes back the same.
TEST(StdCsvImport, WhatSpreadsheetsSave) {
  const std::string plain = "date,start,end,description\n1996-01-07,";
  // clang-format off
  const struct { std::string csv, want, option = "-s1", said = ""; } cases[] = {
      {"\xC3\xAF\xC2\xBB\xC2\xBF"
       "Date;Start;End;Description\n1996-01-07 00:00:00;09:45:00 AM;;x\n",
       plain + "09:45,,x\n", "-s1",
       "Warning: a.csv line 1: the header begins with \xC3\xAF\xC2\xBB\xC2\xBF, a UTF-8 byte order mark that was "
       "read as Latin-1 and saved again; read as a byte order mark (check the texts that are not ASCII).\n"},
      {"date\tstart\tend\tdescription\n1996-01-07T00:00\t12:00 am\t12:30PM\t\"a;\tb\"\n",
       plain + "00:00,12:30,\"a;\tb\"\n"},
      {"date,repeat\n1996-01-07,-128\n", "date,repeat\n1996-01-07,-128\n"},  // a kind of no known meaning, kept
      {"date,start,end,description\n07.01.1996,1899-12-30 21:05:00,1899-12-31T1:07 pm,\n", plain + "21:05,13:07,\n",
       "--date-order=DMY"},
      {"date,start,end,description\n1/7/1996,11:59:00 PM,,", plain + "23:59,,\n", "--date-order=MDY"},
      {"date,start,end,description\n2004/2/29,9:05:07,0:00:59,\n", "date,start,end\n2004-02-29,09:05,00:00\n",
       "--date-order=YMD",
       "Warning: a.csv line 2, column 2 (start): seconds dropped: the organiser keeps whole minutes.\nWarning: a.csv "
       "line 2, column 3 (end): seconds dropped: the organiser keeps whole minutes.\nWarning: 2 value(s) of a.csv were "
       "changed to fit the organiser (each named above).\n"},
      {"description,date,lead,note\n\"a\r\nb\",1996-01-07,65535,\"x\ny\rz\r\nw\tt\"\n",
       "date,lead,description,note\n1996-01-07,65535,a b,\"x\r\ny\r\nz\r\nw\tt\"\n", "-s1",
       "Warning: a.csv line 2, column 1 (description): line breaks written as spaces: the organiser keeps this text on "
       "one line.\nWarning: 1 value(s) of a.csv were changed to fit the organiser (each named above).\n"},
  };
  // clang-format on
  ScratchDir dir;
  dir.Write("defs.dat", Book({}));
  for (const auto& c : cases) {
    dir.Write("a.csv", c.csv);
    dir.Write("b.csv", c.want);
    const auto a = RunKalvert(dir, {"-xdefs.dat", "-ia.csv", "-oa.dat", "--format=csv", "-s1", c.option});
    EXPECT_EQ(std::make_pair(a.status, Said(a)), std::make_pair(0, c.said)) << c.csv;
    ASSERT_EQ(RunKalvert(dir, {"-xdefs.dat", "-ib.csv", "-ob.dat", "--format=csv", "-s1"}).status, 0);
    EXPECT_EQ(Items(dir.Read("a.dat")), Items(dir.Read("b.dat"))) << c.csv;
    for (const char* sep : {"--delimiter=tab", "--delimiter=;"}) {
      dir.Write("c.csv", RunKalvert(dir, {"-xa.dat", "--format=csv", "-s1", sep}).out);
      ASSERT_EQ(RunKalvert(dir, {"-xdefs.dat", "-ic.csv", "-oc.dat", "--format=csv", "-s1"}).status, 0);
      EXPECT_EQ(Items(dir.Read("c.dat")), Items(dir.Read("b.dat"))) << sep;
    }
  }
}

// A CP437 and a CP932 text out as UTF-8 and back to the same bytes; a
// description too long for its field is cut between two characters.
TEST(StdCsvImport, CodePagesThereAndBack) {
  // clang-format off
  const struct { const char* enc; std::string text, utf8; } cases[] = {
      {"CP437", "Caf\x82 \x9B\x35 & #1, \"\xE1\"", "Caf\xC3\xA9 \xC2\xA2\x35 & #1, \"\xC3\x9F\""},
      {"CP850", "\x9D\xE1 \x82", "\xC3\x98\xC3\x9F \xC3\xA9"},
      {"CP852", "\xA5\x82 \xE6", "\xC4\x85\xC3\xA9 \xC5\xA0"},
      {"ISO-8859-1", "Caf\xE9 \xDF", "Caf\xC3\xA9 \xC3\x9F"},
      {"UTF-8", "Ol\xC3\xA9 \xE4\xBC\x9A", "Ol\xC3\xA9 \xE4\xBC\x9A"},
      {"CP932", "\x89\xEF\x8B\x63 \x83\x41", "\xE4\xBC\x9A\xE8\xAD\xB0 \xE3\x82\xA2"},
  };
  // clang-format on
  ScratchDir dir;
  dir.Write("defs.dat", Book({}));
  for (const auto& c : cases) {
    Appt a(c.text, 100, 0, 0, c.text.substr(0, 4));
    a.start(-1).end(-32767).note = 0;  // negative words other than "no time" (FF FF of the legacy import) come back
    dir.Write("book.dat", Book({a}, {c.text + "\r\n" + c.text}));
    const std::string enc = std::string("--encoding=") + c.enc;
    const auto out = RunKalvert(dir, {"-xbook.dat", "--format=csv", enc, "-s1"});
    dir.Write("out.csv", out.out);
    EXPECT_EQ(PythonRows(dir.Path("out.csv")).at(1).at(1), c.utf8);
    ASSERT_EQ(RunKalvert(dir, {"-xdefs.dat", "-m", "-iout.csv", "-ocopy.dat", "--format=csv", enc, "-s1"}).status, 0);
    EXPECT_EQ(Items(dir.Read("copy.dat")), Items(dir.Read("book.dat"))) << c.enc;
  }
  std::string kai, want;  // 26 characters of 3 bytes in UTF-8, 2 in CP932; 25 fit
  for (int i = 0; i < 26; ++i) kai += "\xE4\xBC\x9A", want += i < 25 ? "\x89\xEF" : "";
  // A note one byte longer than a note record holds.
  dir.Write("sheet.csv", "date,description,note\n2003-01-01," + kai + "," + std::string(32762, 'n') + "\n");
  const auto r = RunKalvert(dir, {"-xdefs.dat", "-isheet.csv", "-oout.dat", "--format=csv", "--encoding=CP932", "-s1"});
  EXPECT_EQ(Said(r),
            "Warning: sheet.csv line 2, column 2 (description): text cut to 50 bytes, as much as the organiser's field "
            "holds.\nWarning: sheet.csv line 2, column 3 (note): text cut to 32761 bytes, as much as the organiser's "
            "field holds.\nWarning: 2 value(s) of sheet.csv were changed to fit the organiser (each named above).\n");
  const auto items = Items(dir.Read("out.dat"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(std::string(items[0].begin() + 27, items[0].begin() + 27 + 51), want + '\0');
  // 25 of them and an "x" are the field's 51 bytes exactly: kept, unwarned.
  dir.Write("full.csv", "date,description\n2003-01-01," + kai.substr(0, 75) + "x\n");
  const auto full =
      RunKalvert(dir, {"-xdefs.dat", "-ifull.csv", "-ofull.dat", "--format=csv", "--encoding=CP932", "-s2"});
  EXPECT_FALSE(Holds(full.err, "Warning"));
  const auto kept = Items(dir.Read("full.dat"));
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(std::string(kept[0].begin() + 27, kept[0].begin() + 27 + 52), want.substr(0, 50) + "x" + '\0');
  // NOT SIGN, which iconv maps to CP932 one way only; 15 characters of 3
  // bytes with a lead byte E0, then two of 4 bytes (lead bytes F4 and F0):
  // the first of these fits.
  std::string deva;
  for (int i = 0; i < 15; ++i) deva += "\xE0\xA4\x80";
  deva += "\xF4\x8F\xBF\xBF\xF0\x9F\x98\x80";
  dir.Write("odd.csv", "date,description\n2003-01-01,\xC2\xAC\n2003-01-01," + deva + "\n");
  const char* const errs[] = {
      "odd.csv line 2, column 2 (description): the text holds a character that CP932 cannot hold.\n",
      "Warning: odd.csv line 3, column 2 (description): text cut to 49 bytes, as much as the organiser's field "
      "holds.\nWarning: 1 value(s) of odd.csv were changed to fit the organiser (each named above).\n"};
  for (const char* enc : {"CP932", "UTF-8"}) {
    const auto odd =
        RunKalvert(dir, {"-xdefs.dat", "-iodd.csv", "--format=csv", std::string("--encoding=") + enc, "-s1"});
    EXPECT_EQ(Said(odd), errs[enc[0] == 'U']);
  }
}

// A card file out and in: typed columns, the radio group by its buttons'
// names, header names without their hotkey marks, columns in any order.
// Without --encoding only ASCII passes, and nothing is written: the export
// names the record (an item: ChoiceReplacementAndMark), the import the line
// and column.
TEST(StdCsvImport, GeneralDatabaseBothWays) {
  fixture::DbFile db('D');
  const struct {
    unsigned type, offset, flags, res1;
    const char* name;
  } defs[] = {{2, 0, 0x20, 0, "&Name"},       {0, 2, 0, 0, "&Name"},  {7, 4, 0, 0, ""},      {8, 6, 0, 0, "&Birthday"},
              {11, 0, 0, 0, "Contact &&&by"}, {9, 9, 0, 1, "&Phone"}, {9, 9, 0, 2, "&Mail"}, {10, 11, 0, 0, "&Note"}};
  for (unsigned id = 0; id < std::size(defs); ++id) {
    const auto& d = defs[id];
    db.Add(6, 0, static_cast<int>(id), fixture::FieldDefBody(d.type, id + 1, d.offset, d.flags, d.res1, 0, d.name));
  }
  db.Add(9, 0, 0, Bytes().str("a\r\nb"));
  db.Add(11, 0, 0,
         Bytes().le16(14).le16(5).le16(615).u8(94).u8(11).u8(30).le16(2).le16(0).u8(0).cstr("Tanaka & Sons, \"K\""));
  db.Add(11, 0, 1,
         Bytes().le16(14).le16(0).le16(0x8000).u8(255).u8(255).u8(255).le16(1).le16(0xFFFF).u8(0).cstr("Caf\x82"));
  ScratchDir dir;
  dir.Write("cards.dat", db.Finish());
  const auto out = RunKalvert(dir, {"-xcards.dat", "--format=csv", "--encoding=CP437", "-s1"});
  dir.Write("out.csv", out.out);
  const std::vector<std::vector<std::string>> want = {
      {"Name", "Name 2", "field 3", "Birthday", "Contact &by", "Note"},  // names told apart
      {"Tanaka & Sons, \"K\"", "5", "10:15", "1994-12-31", "Mail", "a\r\nb"},
      {"Caf\xC3\xA9", "0", "", "", "Phone", ""}};
  EXPECT_EQ(PythonRows(dir.Path("out.csv")), want);

  const auto refused = RunKalvert(dir, {"-xcards.dat", "--format=csv", "-s1"});
  fixture::ExpectEnded(dir, refused, 1, "Data record 1" + kNotAscii);
  EXPECT_EQ(refused.out, "");
  dir.Write("in.csv", "name\n\"a\nCaf\xC3\xA9\"\n");
  fixture::ExpectEnded(dir, RunKalvert(dir, {"-xcards.dat", "-m", "-iin.csv", "-oout.dat", "--format=csv", "-s1"}), 1,
                       "in.csv line 3, column 1 (name): the text holds non-ASCII characters, and the organiser's code "
                       "page is not known." +
                           kAsk);
  // A check box of its own is yes or no; it has no slot in the fixed part
  // that the import writes.
  fixture::DbFile box('D');
  box.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Name"));
  box.Add(6, 0, 1, fixture::FieldDefBody(9, 2, 2, 0, 1, 0, "Urgent"));
  box.Add(11, 0, 0, Bytes().le16(3).u8(1).cstr("A"));
  box.Add(11, 0, 1, Bytes().le16(3).u8(2).cstr("B"));
  dir.Write("box.dat", box.Finish());
  fixture::DbFile direct('D');  // a text kept in the fixed part of the record
  direct.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0, 0, 0, "Code"));
  dir.Write("direct.dat", direct.Finish());
  EXPECT_EQ(RunKalvert(dir, {"-xbox.dat", "--format=csv", "-s1"}).out, "Name,Urgent\r\nA,yes\r\nB,no\r\n");
  // clang-format off
  for (const auto& [file, csv, said] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"cards", "contact &by\n65536\n", "in.csv line 2, column 1 (contact &by): \"65536\" is none of the group's buttons.\n"},
           {"cards", "name,note\nKen\n", "in.csv line 2: the row has 1 columns, the header 2.\n"},
           {"cards", "name 2\n65536\n", "(name 2): \"65536\" is neither a number from 0 to 65535 nor yes or no.\n"},
           {"box", "urgent\n2\n", "in.csv line 2, column 1 (urgent): \"2\" is neither yes nor no.\n"},
           {"box", "urgent\nyes\n", "The definition of field Urgent lies outside the record's fixed part.\n"},
           {"direct", "code\nx\n",
            "(code): this field keeps its text inside the fixed part of the record, which the import can't write.\n"}}) {
    // clang-format on
    dir.Write("in.csv", csv);
    ExpectEnded(dir, RunKalvert(dir, {"-x" + file + ".dat", "-iin.csv", "-oout.dat", "--format=csv", "-s1"}), 1, said);
    EXPECT_FALSE(dir.Exists("out.dat"));
  }
  dir.Write("in.csv", "note,contact &BY,NAME,birthday,name 2\r\n\"x\ny\",phone,Ken,2001-02-03,yes\r\n,2,Li,,no\r\n");
  const auto in =
      RunKalvert(dir, {"-xcards.dat", "-m", "-iin.csv", "-oout.dat", "--format=csv", "--encoding=CP437", "-s1"});
  ASSERT_EQ(in.status, 0) << in.err;
  std::vector<std::vector<unsigned char>> written;
  for (const auto& rec : Records(dir.Read("out.dat")))
    if (rec.type == 9 || rec.type == 11) written.push_back(rec.body);
  const Bytes body = Bytes().le16(14).le16(1).le16(0x8000).u8(101).u8(1).u8(2).le16(1).le16(0).u8(0).cstr("Ken");
  const Bytes li = Bytes().le16(14).le16(0).le16(0x8000).u8(255).u8(255).u8(255).le16(2).le16(0xFFFF).u8(0).cstr("Li");
  EXPECT_EQ(written, (std::vector<std::vector<unsigned char>>{{'x', '\r', '\n', 'y'}, body.v, li.v}));
  // Without -o the cards are shown after the book's, the note from its text.
  dir.Write("shown.csv", RunKalvert(dir, {"-xcards.dat", "-iin.csv", "--format=csv", "--encoding=CP437", "-s1"}).out);
  std::vector<std::vector<std::string>> shown = want;
  shown.insert(shown.end(), {{"Ken", "1", "", "2001-02-03", "Phone", "x\r\ny"}, {"Li", "0", "", "", "Mail", ""}});
  EXPECT_EQ(PythonRows(dir.Path("shown.csv")), shown);
  // With -o, 6 header bytes, the 13 of the slots, their NUL and the text's
  // leave 32746 bytes of text.
  for (const std::size_t n : {32746u, 32747u}) {
    dir.Write("long.csv", "name\n" + std::string(n, 'x') + "\n");
    const std::string err = RunKalvert(dir, {"-xcards.dat", "-ilong.csv", "-oout.dat", "--format=csv", "-s2"}).err;
    EXPECT_EQ(err.substr(err.rfind("\n\n") + 2),
              n == 32746 ? ""
                         : "long.csv line 2, column 1 (name): with this text the record is longer than a record "
                           "can be (32767 bytes).\n");
  }
}

// The lossless round trip: a generated book with every kind, repeat rule and
// flag, exported, imported into a copy that holds only the definitions and
// exported again: the same CSV, and the same data records but for their links.
TEST(StdCsvRoundTrip, GeneratedBooksComeBackWhole) {
  for (const char* enc : {"--encoding=CP437", "--encoding=EUC-JP"}) {
    ScratchDir dir;
    const std::string gen = std::string("'" KALVERT_GEN "' ") + "varied 1000 3 '" + dir.Path("book.dat") + "' && '" +
                            KALVERT_GEN "' defs '" + dir.Path("defs.dat") + "'";
    ASSERT_EQ(std::system(gen.c_str()), 0);
    const std::vector<std::string> args = {"--format=csv", "-s1", enc};
    auto run = [&](std::vector<std::string> more) {
      more.insert(more.end(), args.begin(), args.end());
      const fixture::RunResult r = RunKalvert(dir, more);
      EXPECT_EQ(r.status, 0) << r.err;
      return r.out;
    };
    const std::string first = run({"-xbook.dat"});
    dir.Write("book.csv", first);
    run({"-xdefs.dat", "-m", "-ibook.csv", "-ocopy.dat"});
    EXPECT_EQ(run({"-xcopy.dat"}), first) << enc;
    const auto items = Items(dir.Read("copy.dat"));
    EXPECT_EQ(items.size(), 1001u);  // and the count of notes
    EXPECT_TRUE(items == Items(dir.Read("book.dat"))) << enc;
  }
}

// Stored by the column rules: a time is hours x 60 + minutes, each the
// leading number after blanks, modulo 2^16 (-1:00 is -60, 65537 hours is 1);
// a line of six columns has no note (and a warning, no empty note); a line that
// ends inside the repeat columns repeats from 1994/01/01 to 1999/01/01 without
// the rules it lacks, a ToDo line that ends at its frequency or day rule
// without a day or month rule; the frequency keeps its low 8 bits, a weekday
// rule with a month rule or a day rule of 128 fits no repeat type (0); an
// unquoted line has no fields, so no date, and is named and counted. The day
// rule 2th/MON is 128 + Monday's bit 1 + 256 x week 2 (a monthly rule), the
// month rule JAN:DEC the bits 0 and 10 (DEC comes before NOV).
TEST(LegacyImport, OddLinesStoredByTheColumnRules) {
  const auto line = [](const std::string& name, const std::string& rest) {
    return "\"" + name + "\",\"2000/01/05\"," + (rest[0] == ',' ? "\"\",\"\",\"\",\"0\",\"\"" + rest : rest) + "\n";
  };
  const auto item = [](const std::string& name, int type, std::vector<unsigned char> ria = {}) {
    Appt a(name, 100, 0, 4);
    a.cRepeatType = type;
    return ria.empty() ? a : a.repeat(type, ria);
  };
  const std::string year = "\"2000/01/01\",\"2000/12/31\"";
  // U: a description of 51 bytes cut before its last, the first byte of a
  // two-byte character; a completion date that marks it done.
  const std::string longU = std::string(50, 'U') + "\x82";
  Appt t = item("T", 8, {1, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), u = item(longU.substr(0, 50), 2, {3});
  for (Appt* p : {&t, &u})
    std::tie(p->cFlags, p->t1, p->t2, p->lead, p->leadTime) = std::make_tuple(0x14, 'A', 0, 255, 255);
  std::tie(u.cFlags, u.e1, u.e2, u.lead) = std::make_tuple(0x16, 100, 0, 8);
  // clang-format off
  const std::tuple<std::string, std::string, std::vector<Appt>, std::string> runs[] = {
      {"-a",
       line("a", "\"-1:00\",\"12::30\",\"\",\"0\",\"\"") + line("b", "\" 65537\",\"NONE\",\"\",\"0\"") +
           "Lunch,2000/01/05,12:00,13:00,Office,0,\n" + line("r8", ",\"2\"") + line("r9", ",\"1\",\"2th/MON\"") +
           line("r10", ",\"0\",\"15\",\"JAN:DEC\"") + line("r11", ",\"1\",\"3\",\"0\",\"2000/01/01\"") +
           line("r12", ",\"1\",\"3\",\"0\"," + year) + line("f257", ",\"257\",\"\",\"\"," + year) +
           line("f256", ",\"256\",\"\",\"\"," + year) + line("t0", ",\"1\",\"MON\",\"JAN\"," + year) +
           line("t0d", ",\"1\",\"128\",\"0\"," + year),
       {Appt("a", 100, 0, 4).start(-60).end(720), Appt("b", 100, 0, 4).start(60), Appt("", 255, 255, 255),
        item("r8", 2, {2, 0, 0, 0, 0, 94, 0, 0, 99, 0, 0, 0}), item("r9", 8, {1, 0x81, 2, 0, 0, 94, 0, 0, 99, 0, 0, 0}),
        item("r10", 32, {0, 15, 0, 1, 4, 94, 0, 0, 99, 0, 0, 0}), item("r11", 8, {1, 3, 0, 0, 0, 100, 0, 0, 99, 0, 0, 0}),
        item("r12", 8, {1, 3, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0}),
        item("f257", 2, {1, 0, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0}), item("f256", 1), item("t0", 0), item("t0d", 0)},
       "I can't understand follow this record. Please check !\n<<< " + line("b", "\" 65537\",\"NONE\",\"\",\"0\"") +
           " >>>\nWarning: no date can be read from line 3 of the CSV file; no export will show its item.\n"
           "Warning: 1 item(s) stored without a date.\n"},
      {"-t",
       line("T", "\"0\",\"\",\"A\",\"\",\"1\",\"5\"") + line(longU, "\"0\",\"2000/01/09\",\"A\",\"\",\"3\""),
       {t, u}, ""},
      // 26 two-byte characters (52 bytes) keep 25.
      {"-a", line(Times(26, "\xB2\xF1"), "\"\",\"\",\"\",\"0\",\"\""), {Appt(Times(25, "\xB2\xF1"), 100, 0, 4)}, ""},
  };
  // clang-format on
  for (const auto& [option, csv, items, said] : runs) {
    ScratchDir dir;
    dir.Write("defs.dat", Book({}));
    dir.Write("in.csv", csv);
    const auto r = RunKalvert(dir, {"-xdefs.dat", option, "-iin.csv", "-oout.dat", "-s1"});
    EXPECT_EQ(std::make_pair(r.status, Said(r)), std::make_pair(0, said));
    EXPECT_EQ(Items(dir.Read("out.dat")), Items(Book(items))) << option;
  }
}

}  // namespace
