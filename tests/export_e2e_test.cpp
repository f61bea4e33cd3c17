// The export text of a small appointment book, run through the whole program,
// in every layout and under the kind, date and note options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Appt;
using fixture::Bytes;

// Note 0; then Meeting and Early (same date, Early earlier, so Early heads
// the date), Weekly (repeats), Party (event), Buy milk (ToDo) and Old.
std::vector<unsigned char> Book() {
  fixture::DbFile db;
  db.Add(9, 0, 0, Bytes().str("a\r\nb"));
  Appt m;
  m.cYear = 100, m.cMonth = 5, m.cDay = 14;
  m.start(570).end(600);
  m.description = "Meeting", m.category = "Work", m.location = "Room 2";
  db.Add(11, 0, 0, m.Encode());
  Appt e = m;
  e.start(480).end(510);
  e.description = "Early", e.location = "", e.note = 0;
  db.Add(11, 0, 1, e.Encode());
  Appt w;
  w.start(600).end(660);
  w.description = "Weekly", w.cRepeatType = 2, w.repeats = true;
  const unsigned char ria[12] = {1, 0x85, 0, 0, 0, 100, 0, 0, 100, 11, 30, 0};
  std::copy(ria, ria + 12, w.ria);
  db.Add(11, 0, 2, w.Encode());
  Appt p;
  p.cFlags = 0x26, p.cYear = 100, p.cMonth = 6, p.cDay = 0;
  p.description = "Party", p.location = "Hall";
  db.Add(11, 0, 3, p.Encode());
  Appt t;
  t.cFlags = 0x14, t.cYear = 100, t.cMonth = 2, t.cDay = 9;
  t.t1 = '1', t.t2 = 0, t.lead = 0xFF;
  t.description = "Buy milk", t.location = "Store";
  db.Add(11, 0, 4, t.Encode());
  Appt o;
  o.cYear = 99, o.cMonth = 11, o.cDay = 30;
  o.start(0).end(60);
  o.description = "Old", o.location = "50% A&B #1";
  db.Add(11, 0, 5, o.Encode());
  return db.Finish();
}

const std::string W =
    "\"Weekly\",\"2000/01/01\",\"10:00\",\"11:00\",\"\",\"0\",\"\",\"1\",\"MON:WED\",\"0\",\"2000/01/01\","
    "\"2000/12/31\",\"0\"\n";
const std::string O = "\"Old\",\"1999/12/31\",\"00:00\",\"01:00\",\"50% AB 1\",\"0\",\"\"\n";
const std::string E = "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a\\nb\"\n";
const std::string M = "\"Meeting\",\"2000/06/15\",\"09:30\",\"10:00\",\"Room 2\",\"0\",\"\"\n";
const std::string P = "\"Party\",\"2000/07/01\",\"NONE\",\"NONE\",\"Hall\",\"0\",\"\"\n";

fixture::RunResult RunOnBook(std::vector<std::string> options) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", Book());
  options.insert(options.begin(), "-xbook.dat");
  return fixture::RunKalvert(dir, options);
}

TEST(ExportEndToEnd, FiltersAndNotes) {
  const struct { std::vector<std::string> options; std::string out; } cases[] = {
      {{}, W + O + E + M},
      {{"-a2"}, O + E + M},
      {{"-a3"}, W},
      {{"-e"}, P},
      {{"-e", "-a"}, W + O + E + M + P},
      {{"-a", "-e"}, P},
      {{"-t"}, "\"Buy milk\",\"2000/03/10\",\"0\",\"\",\"1\",\"\"\n"},
      {{"-t2"}, "\"Buy milk\",\"2000/03/10\",\"0\",\"\",\"1\",\"\"\n"},
      {{"-t3"}, ""},
      {{"-t4"}, "\"Buy milk\",\"2000/03/10\",\"\",\"\",\"\",\"0\",\"\"\n"},
      {{"-g000101", "-f001231"}, W + E + M},
      {{"-g20000615", "-f20000615"}, E + M},
      // Meeting's own date is in range, but its date head's is not.
      {{"-f20000614"}, W + O},
      {{"-g20000616", "-e", "-a"}, P},
      {{"-a2", "-n1", "-f20000615"}, O + "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a  b\"\n" + M},
      {{"-a2", "-n0", "-f20000615"}, O + "\"Early\",\"2000/06/15\",\"08:00\",\"08:30\",\"\",\"0\",\"a\nb\"\n" + M},
      {{"-a2", "-n2", "-s0"}, ""},
  };
  for (const auto& c : cases) {
    const fixture::RunResult r = RunOnBook(c.options);
    std::string args;
    for (const auto& a : c.options) args += a + " ";
    EXPECT_EQ(r.status, 0) << args << r.err;
    EXPECT_EQ(r.out, c.out) << args;
  }
}

TEST(ExportEndToEnd, Layouts) {
  const struct { const char* option; std::string out; } cases[] = {
      {"-c2", E + M},
      {"-c1", "Early,2000/06/15,08:00,08:30,,0,a\\nb\nMeeting,2000/06/15,09:30,10:00,Room 2,0,\n"},
      {"-c0", "Early\n2000/06/15\n08:00\n08:30\n\n0\na\\nb\n\nMeeting\n2000/06/15\n09:30\n10:00\nRoom 2\n0\n\n\n"},
      {"-b",
       "\"Early\"\t\"2000/06/15\"\t\"08:00\"\t\"08:30\"\t\"\"\t\"0\"\t\"a\\nb\"\n\n"
       "\"Meeting\"\t\"2000/06/15\"\t\"09:30\"\t\"10:00\"\t\"Room 2\"\t\"0\"\t\"\"\n\n"},
  };
  for (const auto& c : cases) {
    const fixture::RunResult r = RunOnBook({c.option, "-g000615", "-f000615"});
    EXPECT_EQ(r.status, 0) << c.option << r.err;
    EXPECT_EQ(r.out, c.out) << c.option;
  }
}

TEST(ExportEndToEnd, BrokenRecordStopsTheRun) {
  fixture::DbFile db;
  Appt a;
  a.description = "A";
  db.Add(11, 0, 0, a.Encode());
  a.osLocation = 200;
  db.Add(11, 0, 3, a.Encode());
  fixture::ScratchDir dir;
  dir.Write("book.dat", db.Finish());
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  const std::string kMsg = "Broken TYPE_DATA record 3.\n";
  ASSERT_GE(r.err.size(), kMsg.size());
  EXPECT_EQ(r.err.substr(r.err.size() - kMsg.size()), kMsg);
}

}  // namespace
