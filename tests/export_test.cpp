// The export: the text of a small appointment book through the whole program
// in every layout and under the kind, date and note options.
#include <sstream>
#include <tuple>

#include "inproc.h"
#include "runner.h"

namespace {

using fixture::Appt, fixture::Holds;

// Note 0; then Meeting and Early (same date, Early earlier, so Early heads
// the date), Weekly (repeats, every -1 days as its byte 0xFF says; its day rule, weeks value 2 with Monday,
// Wednesday and Friday, and its month rule 0x8C01, negative: -255 and -115
// in two's complement, in the legacy text's words: 2th/MON:WED:FRI and
// JAN:SEP:DEC:NOV), Party (event), Buy milk
// (ToDo) and Old (a record of status 1, whose end of 32767 minutes is written
// as it comes). Meeting, Party and Buy milk hold the edge values of their
// kind byte.
std::vector<unsigned char> Book() {
  fixture::DbFile db;
  db.Add(9, 0, 0, inproc::Text("a\r\nb"));
  Appt m("Meeting", 100, 5, 14, "Room 2"), e("Early", 100, 5, 14), w("Weekly", 100, 0, 0);
  Appt p("Party", 100, 6, 0, "Hall"), t("Buy milk", 100, 2, 9, "Store"), o("Old", 99, 11, 30, "50% A&B #1");
  m.category = e.category = "Work";
  e.note = 0;
  m.cFlags = 0x80;
  p.cFlags = 0x7F;
  std::tie(t.cFlags, t.t1, t.t2, t.lead) = std::make_tuple(0x10, '1', 0, 0xFF);
  db.Add(11, 0, 0, m.start(570).end(600).Encode());
  db.Add(11, 0, 1, e.start(480).end(510).Encode());
  db.Add(11, 0, 2, w.repeat(2, {0xFF, 0x95, 0x02, 0x01, 0x8C, 100, 0, 0, 100, 11, 30, 0}).start(600).end(660).Encode());
  db.Add(11, 0, 3, p.Encode());
  db.Add(11, 0, 4, t.Encode());
  db.Add(11, 1, 5, o.start(0).end(0x7FFF).Encode());
  return db.Finish();
}

const std::string W =
    "\"Weekly\",\"2000/01/01\",\"10:00\",\"11:00\",\"\",\"0\",\"\",\"-1\",\"2th/MON:WED:FRI\",\"JAN:SEP:DEC:NOV\","
    "\"2000/01/01\",\"2000/12/31\",\"0\"\n";
const std::string O = "\"Old\",\"1999/12/31\",\"00:00\",\"546:07\",\"50% AB 1\",\"0\",\"\"\n";
const std::string E = "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a\\nb\"\n";
const std::string M = "\"Meeting\",\"2000/06/15\",\"09:30\",\"10:00\",\"Room 2\",\"0\",\"\"\n";
const std::string P = "\"Party\",\"2000/07/01\",\"NONE\",\"NONE\",\"Hall\",\"0\",\"\"\n";

TEST(ExportEndToEnd, OptionsAndLayouts) {
  // Old alone, in each layout: "&" and "#" dropped from its location; with -b
  // and -c1 the quotes come from -b, the commas from -c1.
  const std::string T5 = "\"T\",\"2000/01/05\",\"10:00\",\"11:00\",\"\",\"0\",";
  const std::string T = "\"Buy milk\",\"2000/03/10\",", eF = "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",";
  // clang-format off
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, W + O + E + M}, {{"-a2"}, O + E + M}, {{"-a3"}, W}, {{"-e", "-a"}, W + O + E + M + P}, {{"-a", "-e"}, P},
      {{"-t"}, T + "\"0\",\"\",\"1\",\"\"\n"}, {{"-t3"}, ""}, {{"-t4"}, T + "\"\",\"\",\"\",\"0\",\"\"\n"},
      {{"-a2", "-s0"}, ""}, {{"-g000101", "-f001231"}, W + E + M}, {{"-g20000616", "-e", "-a"}, P},
      {{"-a2", "-n1", "-g000615"}, eF + "\"a  b\"\n" + M}, {{"-a2", "-n0", "-g000615"}, eF + "\"a\nb\"\n" + M},
      {{"-a2", "-n2", "-g000615"}, eF + "\"a\\nb\"\n" + M},
      {{"-g000105", "-f000105", "-iin.csv", "-n1"}, T5 + "\"a  b\"\n"}, {{"-g000105", "-f000105", "-iin.csv"}, T5 + "\"a\\nb\"\n"},
      {{"-a2", "-f991231", "-c1"}, "Old,1999/12/31,00:00,546:07,50% AB 1,0,\n"},
      {{"-a2", "-f991231", "-c0"}, "Old\n1999/12/31\n00:00\n546:07\n50% AB 1\n0\n\n\n"},
      {{"-a2", "-f991231", "-b"}, "\"Old\"\t\"1999/12/31\"\t\"00:00\"\t\"546:07\"\t\"50% AB 1\"\t\"0\"\t\"\"\n\n"},
      {{"-a2", "-f991231", "-b", "-c1"}, O}};
  // clang-format on
  fixture::ScratchDir dir;
  dir.Write("book.dat", Book());
  dir.Write("in.csv", T5 + "\"a\\nb\"\n");  // imported, shaped as -n asks
  for (auto [options, out] : cases) {
    options.push_back("-xbook.dat");
    const fixture::RunResult r = fixture::RunKalvert(dir, options);
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(0, out)) << options[0] << r.err;
  }
  EXPECT_EQ(fixture::RunKalvert(dir, {"-x/dev/stdin"}, "cat book.dat | ").out, W + O + E + M);  // read from a pipe
  // Without -s, a progress bar for each pass, a mark for every 2 % of the
  // file read: the example book's last records begin past 98 %.
  const std::string bar = "|" + std::string(49, 'o') + "|\n";
  EXPECT_EQ(
      fixture::Said(fixture::RunKalvert(dir, {"-x" KALVERT_SOURCE_DIR "/examples/book.dat"})),
      "       0%|----+----+----+----+----|----+----+----+----+----|100%\n Pass-1  " + bar + " Pass-2  " + bar + "\n");
}

// The -d dump, worked out from the bytes: the file header; a record's status
// named; a type-14 body byte by byte (a category's is not shown); the lookup
// table's entries (a note of 300 bytes makes a length of two bytes); a
// repeating appointment with its deleted entry (unsigned); the field list;
// with -dx the view point table's words.
TEST(ExportEndToEnd, DebugDumpOfEveryPart) {
  fixture::DbFile db;
  db.header.cFileStatus = 2;
  db.header.iCurrViewPt = 3;
  db.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 3, 1, "&Desc"));  // at 29, 18 bytes
  db.Add(9, 0, 0, fixture::Bytes().str(std::string(300, 'n')));          // at 47, 306 bytes
  Appt a = Appt("Tea", 99, 11, 30, "Hall").repeat(8, {1, 0x82, 2, 1, 4, 99, 0, 0, 100, 11, 30, 1});
  a.deleted = fixture::Bytes().u8(99).u8(1).u8(200).u8(1);
  db.Add(11, 0, 0, a.start(570).end(600).Encode());  // at 353, 59 bytes
  db.Add(14, 1, 0, fixture::Bytes().str("A"));
  db.Add(5, 0, 0, fixture::Bytes().str("B"));
  db.Add(10, 0, 0, fixture::Bytes().le16(0x4142));  // with -dx, the view point table alone
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  const std::string view = fixture::RunKalvert(dir, {"-xbook.dat", "-dx", "-s1"}).out;
  EXPECT_EQ(view.substr(0, view.find('"')),
            "rh.iLength=8 : i=0\nVIEW : B, A\nVIEW : 66, 65\nVIEW : 42, 41\nVIEW : 16706\nVIEW : 16706, 66, 65\n");
  // A table of three words: each its own pair of bytes (0x4443 is 17475).
  fixture::DbFile three;
  three.Add(10, 0, 0, fixture::Bytes().le16(0x4142).le16(0x4443).le16(0x4645));
  dir.Write("three.dat", three.Finish());
  const std::string words = fixture::RunKalvert(dir, {"-xthree.dat", "-dx", "-s1"}).out;
  EXPECT_TRUE(Holds(words, "rh.iLength=12 : i=0\nVIEW : B, A\n"));
  EXPECT_TRUE(Holds(words, "rh.iLength=12 : i=1\nVIEW : C, D\nVIEW : 67, 68\nVIEW : 43, 44\nVIEW : 17475\n"));
  EXPECT_TRUE(Holds(words, "rh.iLength=12 : i=2\nVIEW : E, F\n"));
  const std::string out = fixture::RunKalvert(dir, {"-xbook.dat", "-d", "-s1"}).out;
  // With -o, each item written: description, location, date bytes, day count and note.
  EXPECT_TRUE(
      Holds(fixture::RunKalvert(dir, {"-xbook.dat", "-d", "-s1", "-ocopy.dat"}).out, "Tea\nHall\n99, 11, 30\n0\n\n\n"));
  const std::string rest = "Index 2 = 65535 index[2]=ff, index[3]=ff\nIndex 3 = 0\nIndex 4 = ";
  // clang-format off
  for (const std::string& part : std::vector<std::string>{
      "    Record Type : TYPE_DBHEADER.\n  Record Status : 0. \n"
      "  Record Length : 25\n  Record Number : 0\n Release Number : 102\n  Number Record : 6\n"
      "Current View Pt : 3\n   Look Up Seek : 434\n      File Type : 2\n  Record Status : Modified(2). \n"
      "   View Pt Hash : 7\n   View Pt Hash : 9\nLast Time Stamp : 1999/12/31/:23:59\n\n",
      "  Record Status : Garbage(1).\n  Record Length", "TYPE_USER(0):65, A, 41\n\n",
      "31:iWork = 0\n\n Index Current = 552\n",
      "0:Index 1 = 18 index[0]=12, index[1]=0)\n" + rest + "29\n\n1:Index 1 = 306 index[0]=32, index[1]=1)\n" +
          rest + "47\n\n2:Index 1 = 59 index[0]=3b, index[1]=0)\n" + rest + "353\n",
      " Item Length : 53\n Offset to Category : 31\n Offset to Location : 32\n Offset to Repeat : 37\n"
      " Note record# : -1\n Prev record# : -1\n Next record# : -1\n Repeat Status : 8\ncFreq  : 1\n"
      "iDays  : 2th/TUE\niMonth : 1025, 4:1\nStart  : 1999/01/01\nEnd    : 2000/12/31\ncDelete: 1\n99\n1\n200\n1\n",
      "     Field Type : 2\n       Field ID : 1\n    Data Offset : 0\n          Flags : 0x20\n"
      "       Reserved : 259\n           Data : &Desc\n\nAll data Number : 1\n\niCounter = 0\niNoteNum = 0\n"})
    EXPECT_TRUE(Holds(out, part));
  // clang-format on
  EXPECT_FALSE(Holds(out, "TYPE_USER(0):66"));
}

// Odd bytes: a date's key for -g and -f reads "%4d%02d%02d" as a number, so
// a month or day byte of 99 or more (a part of 100 or more) gives a key of
// nine digits, past any range; a day rule of 128 is still a plain day.
TEST(ExportEndToEnd, GarbageDatesInTheRangeAndDayRule128) {
  fixture::DbFile db;
  const unsigned md[][2] = {{98, 0}, {99, 0}, {0, 98}, {0, 99}};  // d0 to d3
  for (int i = 0; i < 4; ++i) db.Add(11, 0, i, Appt("d" + std::to_string(i), 100, md[i][0], md[i][1]).Encode());
  db.Add(11, 0, 4, Appt("r", 100, 0, 0).repeat(8, {1, 0x80, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0}).Encode());
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  // Keys: r 20000101, d2 20000199, d0 20009901.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-xbook.dat"}, "r d2 d0"}, {{"-xbook.dat", "-f20000199"}, "r d2"}, {{"-xbook.dat", "-g20000200"}, "d0"}};
  for (const auto& [options, names] : cases) {
    std::string got, line;
    for (std::istringstream out(fixture::RunKalvert(dir, options).out); std::getline(out, line);)
      got += (got.empty() ? "" : " ") + line.substr(1, line.find('"', 1) - 1);
    EXPECT_EQ(got, names) << options.back();
  }
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xbook.dat", "-a3"}).out,
            "\"r\",\"2000/01/01\",\"NONE\",\"NONE\",\"\",\"0\",\"\","
            "\"1\",\"128\",\"0\",\"2000/01/01\",\"2000/12/31\",\"0\"\n");
}

// The heading of a card file (-h): a field of type 23 has a name in it but
// no column in the lines; when it is last, the heading ends at its name.
TEST(ExportEndToEnd, HeadingOfACardFileEndsAtItsLastName) {
  fixture::DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "&Name"));
  db.Add(6, 0, 1, fixture::FieldDefBody(23, 2, 0, 0, 0, 0, "Label"));
  db.Add(11, 0, 0, fixture::Bytes().le16(2).cstr("Bob"));
  db.Add(11, 0, 1, fixture::Bytes().le16(2).cstr("Al").zeros(25).str("xy"));
  fixture::ScratchDir dir;
  dir.Write("cards.dat", db.Finish());
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xcards.dat", "-h", "-s1"}).out, "\"Name\",\"Label\"\n\"Bob\"\n\"Al\"\n");
  // With -dx each record's body: its words up to byte 28, then its bytes.
  const std::string dump = fixture::RunKalvert(dir, {"-xcards.dat", "-dx", "-s1"}).out;
  EXPECT_TRUE(Holds(dump, "\"Bob\"\niSize=6\n(0)2\n(2)28482\n(4)98\n\"Al\"\niSize=32\n(0)2\n(2)27713\n(4)0\n"));
  EXPECT_TRUE(Holds(dump, "(26)0\n(28)0\n(30)x\n(31)y\n"));
}

}  // namespace
