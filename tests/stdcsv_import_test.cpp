// The --format=csv import: what spreadsheets write, every refusal with its
// line and column (the destination untouched), cuts at character
// boundaries, code pages there and back, general databases; and the legacy
// import's warning for lines without a date.
#include <gtest/gtest.h>

#include <tuple>

#include "csvcheck.h"

namespace {

using csvcheck::Said;
using fixture::Appt;
using fixture::Bytes;
using fixture::RunKalvert;
using fixture::ScratchDir;

TEST(StdCsvImport, SpreadsheetStyleInputImportedExactly) {
  Appt lunch, rent;
  std::tie(lunch.cFlags, lunch.cYear, lunch.cMonth, lunch.cDay) = std::make_tuple(0x86, 103, 1, 13);  // no alarm
  lunch.start(750).end(0x8000);
  lunch.description = "Lunch, with \"Ken\"";
  lunch.note = 0;
  std::tie(rent.cFlags, rent.cYear, rent.cMonth, rent.cDay, rent.t1, rent.t2, rent.lead, rent.leadTime) =
      std::make_tuple(0x10, 103, 2, 0, 0, 0, 0xFF, 0xFF);
  rent.description = "Pay rent";
  const auto want = csvcheck::Items(csvcheck::Book({lunch, rent}, {"a\nb"}));
  const std::string rows[] = {
      "\xEF\xBB\xBF"
      "Date,Description,KIND,note,Start",
      "2003-02-14,\"Lunch, with \"\"Ken\"\"\",appointment,\"a\nb\",12:30", "2003-03-01,Pay rent,todo,,", ""};
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    std::string text;
    for (const std::string& row : rows) text += row.empty() ? row : row + eol;
    ScratchDir dir;
    dir.Write("defs.dat", csvcheck::Book({}));
    dir.Write("sheet.csv", text);
    const auto r = RunKalvert(dir, {"-xdefs.dat", "-m", "-isheet.csv", "-oout.dat", "--format=csv", "-s1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(csvcheck::Items(dir.Read("out.dat")), want);
  }
}

// A csv that begins with data (a date second) gets the header
// "kind,date,start,description"; err follows "sheet.csv line ".
TEST(StdCsvImport, BadValuesRefusedWithLineAndColumn) {
  const std::pair<std::string, std::string> cases[] = {
      {"appointment,2003-02-30,,x\n", "2, column 2 (date): 2003-02-30 is not a calendar date.\n"},
      {"appointment,2003-02-01,25:99,x\n", "2, column 3 (start): 25:99 is not a time of the day.\n"},
      {"meeting,2003-02-01,,x\n", "2, column 1 (kind): \"meeting\" is not a kind (appointment, event, todo).\n"},
      {"todo,2003-02-01,10:00,x\n", "2, column 3 (start): an item of kind todo has no start.\n"},
      {"appointment,2003-02-01,\n", "2: the row has 3 columns, the header 4.\n"},
      {"appointment,2003-01-01,,\"a\r\nb\"\r\nappointment,2003-01-01,,\"x\n",
       "4: the double quote that begins this field is never closed.\n"},
      {"kind,date,colour\n", "1, column 3 (colour): no such column.\n"},
      {"Date,repeat\n2003-01-01,fortnightly\n",
       "2, column 2 (repeat): \"fortnightly\" is not a repeat (none, daily, weekly, monthly, yearly, custom).\n"},
      {"date,repeat,weekdays\n2003-01-01,none,MON\n",
       "2, column 3 (weekdays): weekdays is given, but the item does not repeat.\n"},
      {"description,kind\nx,event\n", "1: the header has no column date.\n"},
      {"date,note\n2003-01-01,\"a\nb \xE4\xBC\x9A\"\n",
       "3, column 2 (note): the text holds a character that CP437 cannot hold.\n"},
  };
  for (const auto& [csv, err] : cases) {
    ScratchDir dir;
    dir.Write("defs.dat", csvcheck::Book({}));
    dir.Write("out.dat", std::string("old"));
    dir.Write("sheet.csv", (csv[csv.find(',') + 1] == '2' ? "kind,date,start,description\n" : "") + csv);
    const auto r =
        RunKalvert(dir, {"-xdefs.dat", "-isheet.csv", "-oout.dat", "--format=csv", "--encoding=CP437", "-s1"});
    EXPECT_EQ(r.status, 1) << csv;
    EXPECT_EQ(Said(r), "sheet.csv line " + err);
    EXPECT_EQ(dir.Read("out.dat"), (std::vector<unsigned char>{'o', 'l', 'd'}));
  }
}

// A CP437 and a CP932 text out as UTF-8 and back to the same bytes; a
// description too long for its field is cut between two characters.
TEST(StdCsvImport, CodePagesThereAndBack) {
  const struct {
    const char* enc;
    std::string text, utf8;
  } cases[] = {
      {"CP437",
       "Caf\x82 \x9B"
       "5 & #1, \"\xE1\"",
       "Caf\xC3\xA9 \xC2\xA2"
       "5 & #1, \"\xC3\x9F\""},
      {"CP850", "\x9D\xE1 \x82", "\xC3\x98\xC3\x9F \xC3\xA9"},
      {"CP932", "\x89\xEF\x8B\x63 \x83\x41", "\xE4\xBC\x9A\xE8\xAD\xB0 \xE3\x82\xA2"},
  };
  for (const auto& c : cases) {
    Appt a;
    a.description = c.text;
    a.location = c.text.substr(0, 4);
    a.start(600).end(0x8000);
    a.note = 0;
    ScratchDir dir;
    dir.Write("book.dat", csvcheck::Book({a}, {c.text + "\r\n" + c.text}));
    dir.Write("defs.dat", csvcheck::Book({}));
    const std::string enc = std::string("--encoding=") + c.enc;
    const auto out = RunKalvert(dir, {"-xbook.dat", "--format=csv", enc, "-s1"});
    dir.Write("out.csv", out.out);
    EXPECT_EQ(csvcheck::PythonRows(dir.Path("out.csv")).at(1).at(1), c.utf8);
    ASSERT_EQ(RunKalvert(dir, {"-xdefs.dat", "-m", "-iout.csv", "-ocopy.dat", "--format=csv", enc, "-s1"}).status, 0);
    EXPECT_EQ(csvcheck::Items(dir.Read("copy.dat")), csvcheck::Items(dir.Read("book.dat"))) << c.enc;
  }
  ScratchDir dir;
  dir.Write("defs.dat", csvcheck::Book({}));
  std::string kai, want;  // 26 characters of 3 bytes in UTF-8, 2 in CP932; 25 fit
  for (int i = 0; i < 26; ++i) kai += "\xE4\xBC\x9A", want += i < 25 ? "\x89\xEF" : "";
  dir.Write("sheet.csv", "date,description\n2003-01-01," + kai + "\n");
  const auto r = RunKalvert(dir, {"-xdefs.dat", "-isheet.csv", "-oout.dat", "--format=csv", "--encoding=CP932", "-s1"});
  EXPECT_EQ(Said(r),
            "Warning: sheet.csv line 2, column 2 (description): text cut to 50 bytes, as much as the organiser's field "
            "holds.\n");
  const auto items = csvcheck::Items(dir.Read("out.dat"));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(std::string(items[0].begin() + 27, items[0].begin() + 27 + 51), want + '\0');
}

// A card file out and in: typed columns, the radio group by its buttons'
// names, header names without their hotkey marks, columns in any order.
TEST(StdCsvImport, GeneralDatabaseBothWays) {
  fixture::DbFile db('D');
  const struct {
    unsigned type, offset, flags, res1;
    const char* name;
  } defs[] = {{2, 0, 0x20, 0, "&Name"},     {0, 2, 0, 0, "&Friend"}, {7, 4, 0, 0, "&Call"}, {8, 6, 0, 0, "&Birthday"},
              {11, 0, 0, 0, "Contact &by"}, {9, 9, 0, 1, "&Phone"},  {9, 9, 0, 2, "&Mail"}, {10, 11, 0, 0, "&Note"}};
  for (unsigned id = 0; id < 8; ++id) {
    const auto& d = defs[id];
    db.Add(6, 0, static_cast<int>(id), fixture::FieldDefBody(d.type, id + 1, d.offset, d.flags, d.res1, 0, d.name));
  }
  db.Add(9, 0, 0, Bytes().str("a\r\nb"));
  db.Add(11, 0, 0,
         Bytes().le16(14).le16(5).le16(615).u8(94).u8(11).u8(30).le16(2).le16(0).u8(0).cstr("Tanaka & Sons, \"K\""));
  ScratchDir dir;
  dir.Write("cards.dat", db.Finish());
  const auto out = RunKalvert(dir, {"-xcards.dat", "--format=csv", "-s1"});
  dir.Write("out.csv", out.out);
  const std::vector<std::vector<std::string>> want = {
      {"Name", "Friend", "Call", "Birthday", "Contact by", "Note"},
      {"Tanaka & Sons, \"K\"", "5", "10:15", "1994-12-31", "Mail", "a\r\nb"}};
  EXPECT_EQ(csvcheck::PythonRows(dir.Path("out.csv")), want);

  dir.Write("in.csv", "note,contact BY,NAME,birthday\r\n\"x\ny\",phone,Ken,2001-02-03\r\n");
  ASSERT_EQ(RunKalvert(dir, {"-xcards.dat", "-m", "-iin.csv", "-oout.dat", "--format=csv", "-s1"}).status, 0);
  std::vector<std::vector<unsigned char>> written;
  for (const auto& rec : csvcheck::Records(dir.Read("out.dat"))) {
    if (rec.type == 9 || rec.type == 11) written.push_back(rec.body);
  }
  const Bytes body = Bytes().le16(14).le16(0).le16(0x8000).u8(101).u8(1).u8(2).le16(1).le16(0).u8(0).cstr("Ken");
  EXPECT_EQ(written, (std::vector<std::vector<unsigned char>>{{'x', '\n', 'y'}, body.v}));
}

TEST(LegacyImport, LinesWithoutADateAreNamedAndCounted) {
  ScratchDir dir;
  dir.Write("defs.dat", csvcheck::Book({}));
  dir.Write("in.csv",
            "\"Ok\",\"2000/01/05\",\"NONE\",\"NONE\",\"\",\"0\",\"\"\nLunch,2000/01/05,12:00,13:00,Office,0,\n");
  const auto r = RunKalvert(dir, {"-xdefs.dat", "-iin.csv", "-oout.dat", "-s1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Said(r),
            "Warning: no date can be read from line 2 of the CSV file; no export will show its item.\n"
            "Warning: 1 item(s) stored without a date.\n");
}

}  // namespace
