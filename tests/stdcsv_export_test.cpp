// The --format=csv export read back by Python's csv module (strict), for
// texts full of quotes, commas, line breaks, & and #, in CP437 and CP932, and
// for every kind of item with its flags and repeat rule.
#include <gtest/gtest.h>

#include <tuple>

#include "csvcheck.h"

namespace {

using fixture::Appt;
using fixture::Bytes;

// Each kind once: values worked out from the bytes below.
TEST(StdCsvExport, EveryKindReadBackByPython) {
  Appt meet, pay, fair;  // plain appointment (start_csvd, so written last), repeating ToDo, custom event
  std::tie(meet.cFlags, meet.cYear, meet.cMonth, meet.cDay, meet.lead, meet.leadTime) =
      std::make_tuple(0x83, 103, 1, 13, 0x2C, 0x01);  // 300 minutes ahead
  meet.start(570).end(645);
  meet.description = "Say \"hi\", Tom & Sons #2 \x82";
  meet.location = "Caf\x82";
  meet.category = "Work, home";
  meet.note = 0;
  std::tie(pay.cFlags, pay.cYear, pay.cMonth, pay.cDay, pay.t1, pay.t2, pay.e1, pay.e2, pay.lead, pay.leadTime) =
      std::make_tuple(0x16, 103, 2, 0, 'A', '2', 103, 2, 1, 0xFF);
  pay.description = "Pay";
  pay.cRepeatType = 4;
  pay.repeats = fair.repeats = true;
  const unsigned char payRule[12] = {2, 0x85, 0, 0, 0, 103, 2, 0, 103, 11, 30, 2};
  std::copy(payRule, payRule + 12, pay.ria);
  pay.deleted.u8(103).u8(2).u8(9).u8(0).u8(103).u8(2).u8(16).u8(1);
  // three days, no time, 600 minutes ahead
  std::tie(fair.cFlags, fair.cYear, fair.cMonth, fair.cDay, fair.t1, fair.t2, fair.e1, fair.e2, fair.lead,
           fair.leadTime) = std::make_tuple(0x66, 103, 3, 0, 0, 0x80, 0, 0x80, 0x58, 0x02);
  fair.iEndDate = 3;
  fair.description = "Fair";
  fair.cRepeatType = 32;
  const unsigned char fairRule[12] = {0, 15, 0, 0x01, 0x0C, 103, 3, 0, 0xFF, 0xFF, 0xFF, 0};
  std::copy(fairRule, fairRule + 12, fair.ria);
  fixture::ScratchDir dir;
  dir.Write("book.dat", csvcheck::Book({meet, pay, fair}, {"line1\r\nline2\nline3 \"q\", #&"}));
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "--format=csv", "--encoding=CP437", "-s1"});
  ASSERT_EQ(r.status, 0) << r.err;
  dir.Write("out.csv", r.out);
  EXPECT_NE(r.out.find("\r\n"), std::string::npos);
  // One row a line, fields split at '|'.
  const char* const rows[] = {
      "kind|description|date|start|end|days|location|category|alarm|lead|month_view|week_view|priority|completed|"
      "completed_on|carry|other_flags|repeat|every|weekdays|weeks|day_of_month|months|repeat_from|repeat_until|"
      "deleted|note",
      "todo|Pay|2003-03-01||||||||||A2|yes|2003-03-02|yes||weekly|2|MON;WED||||2003-03-01|2003-12-31|"
      "2003-03-10;2003-03-17 done|",
      "event|Fair|2003-04-01|||3|||no|600|yes|yes|||||64|custom||||15|JAN;NOV;DEC|2003-04-01|||",
      "appointment|Say \"hi\", Tom & Sons #2 \xC3\xA9|2003-02-14|09:30|10:45||Caf\xC3\xA9|Work, home|yes|300|yes|no|"
      "|||||none|||||||||line1\r\nline2\nline3 \"q\", #&"};
  std::vector<std::vector<std::string>> want;
  for (const char* row : rows) want.push_back(csvcheck::Split(row, '|'));
  EXPECT_EQ(csvcheck::PythonRows(dir.Path("out.csv")), want);
}

// Kinds add up, none means all; the date range holds; bytes not valid in
// the code page become U+FFFD with one warning; --bom leads the text.
TEST(StdCsvExport, ChoiceReplacementAndMark) {
  Appt a, e, t;
  e.cFlags = 0x26;
  t.cFlags = 0x14;
  t.cDay = 5;
  a.description = "\x81 x";  // a lead byte without its trail byte
  fixture::ScratchDir dir;
  dir.Write("book.dat", csvcheck::Book({a, e, t}));
  const struct {
    std::vector<std::string> args;
    std::string kinds, err;
  } cases[] = {
      {{}, "todo,event,appointment", ""},
      {{"-t", "-a"}, "todo,appointment", ""},
      {{"-e"}, "event", ""},
      {{"-g20000102"}, "todo", ""},
      {{"--encoding=CP932", "-a"},
       "appointment",
       "Warning: 1 byte sequence(s) not valid in CP932 were written as U+FFFD.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-xbook.dat", "--format=csv", "-s1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const fixture::RunResult r = fixture::RunKalvert(dir, args);
    std::string kinds;
    for (std::size_t at = r.out.find("\r\n"); at != std::string::npos && at + 2 < r.out.size();
         at = r.out.find("\r\n", at + 2)) {
      kinds += (kinds.empty() ? "" : ",") + r.out.substr(at + 2, r.out.find(',', at) - at - 2);
    }
    EXPECT_EQ(kinds, c.kinds) << c.args.size();
    EXPECT_EQ(csvcheck::Said(r), c.err);
  }
  EXPECT_NE(fixture::RunKalvert(dir, {"-xbook.dat", "--format=csv", "--encoding=CP932", "-a", "-s1"})
                .out.find("\xEF\xBF\xBD x"),
            std::string::npos);
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xbook.dat", "--format=csv", "--bom", "-s1"}).out.substr(0, 8),
            "\xEF\xBB\xBFkind,");
}

}  // namespace
