// General database records and the heading line: every field type, the
// indirect slot, note links with and without an output database, bounds of
// the record body, and the branches of the heading line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbbuilder.h"
#include "reader_support.h"

namespace {

using fixture::Bytes;
using fixture::DbFile;
using readertest::Capture;
using readertest::Outcome;
using readertest::Record;

struct Def {
  unsigned type;
  int offset;
  unsigned flags = 0;
  unsigned res1 = 0;
  std::string name = "f";
};

// The field list as the definitions pass would build it, with iFileDefNum
// counted from it.
PFDC Chain(const std::vector<Def>& defs) {
  PFDC head = nullptr;
  PFDC tail = nullptr;
  iFileDefNum = 0;
  for (const Def& d : defs) {
    fdcNodes.emplace_back();
    FieldDefineChain& n = fdcNodes.back();
    n.pfd = std::make_unique<FieldDefine>(FieldDefine{static_cast<uint8_t>(d.type), 1, static_cast<int16_t>(d.offset),
                                                      static_cast<uint8_t>(d.flags), static_cast<uint8_t>(d.res1), 0});
    n.szName = d.name;
    (tail ? tail->pnext_fdc : head) = &n;
    tail = &n;
    if (d.type <= 10 || d.type == 13 || d.type == 15) ++iFileDefNum;
  }
  return head;
}

RecordBody Body(const Bytes& b, int16_t recnum = 9) {
  RecordBody body;
  body.bytes = b.v;
  body.bytes.push_back(0);
  body.iRecord = recnum;
  return body;
}

class ReadDBTest : public readertest::ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    iCSV = 1;
    iFileType = 1;
  }
  Outcome Line(const std::vector<Def>& defs, RecordBody& body, std::string* line) {
    PFDC fdc = Chain(defs);
    line->clear();
    return Capture([&] { ReadDB(fdc, &seek, body, *line); });
  }
  SeekInfoLists seek;
};

TEST_F(ReadDBTest, FieldTypes) {
  const struct {
    const char* name;
    std::vector<Def> defs;
    Bytes body;
    std::string line;
  } cases[] = {
      {"flag words", {{0, 0}, {1, 2}}, Bytes().le16(5).le16(0), "1,0\n"},
      {"times", {{7, 0}, {7, 2}, {7, 4}}, Bytes().le16(615).u8(0).u8(0x80).le16(0), "10:15,,00:00\n"},
      {"dates", {{8, 0}, {8, 3}}, Bytes().u8(0x5E).u8(0x0B).u8(0x1E).u8(0xFF).u8(0xFF).u8(0xFF), "1994/12/31,\n"},
      {"radio group", {{11, 0}, {9, 0, 0, 1}, {9, 0, 0, 2}, {9, 0, 0, 3}}, Bytes().u8(2).u8(0), "0,1,0\n"},
      {"texts direct and indirect",
       {{2, 0}, {13, 4, 0x20}, {15, 6, 0x20}},
       Bytes().cstr("hey").le16(9).le16(8).u8(0).cstr("you"),
       "hey,you,\n"},
      {"indirect time", {{7, 0, 0x20}}, Bytes().le16(2).le16(615), "10:15\n"},
      {"text at the body length is empty", {{2, 2}}, Bytes().str("ab"), "\n"},
      {"text ends at the body end", {{2, 1}}, Bytes().str("abc"), "bc\n"},
      {"& and # dropped", {{3, 0}}, Bytes().cstr("A&B #1"), "AB 1\n"},
      // Fields that print nothing are not read, wherever they point.
      {"last field ends the line", {{2, 0}, {11, -5}, {12, 999}, {14, 999}, {23, 999}}, Bytes().cstr("x"), "x\n"},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    iCSV = 1;
    RecordBody body = Body(c.body);
    std::string line;
    const Outcome o = Line(c.defs, body, &line);
    EXPECT_EQ(o.status, 0) << c.name << o.err;
    EXPECT_EQ(line, c.line) << c.name;
  }
}

TEST_F(ReadDBTest, ValuesOutsideTheBodyBreakTheRecord) {
  const struct {
    const char* name;
    std::vector<Def> defs;
    Bytes body;
  } cases[] = {
      {"flag word over the end", {{0, 1}}, Bytes().le16(1)},
      {"negative slot", {{2, -1}}, Bytes().cstr("a")},
      {"text past the end", {{2, 3}}, Bytes().str("ab")},
      {"date over the end", {{8, 1}}, Bytes().u8(1).u8(2).u8(3)},
      {"indirect offset out", {{2, 0, 0x20}}, Bytes().le16(40)},
      {"indirect negative", {{2, 0, 0x20}}, Bytes().le16(0xFFFF)},
      {"radio byte at the end", {{11, 0}, {9, 2}}, Bytes().le16(1)},
      {"note link over the end", {{10, 1}}, Bytes().le16(0xFFFF)},
      {"time over the end", {{2, 0}, {7, 2}}, Bytes().cstr("a").u8(7)},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    RecordBody body = Body(c.body, 12);
    std::string line;
    const Outcome o = Line(c.defs, body, &line);
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.err, "Broken TYPE_DATA record 12.\n") << c.name;
  }
}

class NoteLinkTest : public ReadDBTest {
 protected:
  void SetUp() override {
    ReadDBTest::SetUp();
    DbFile db('D');
    db.Add(TYPE_NOTE, 0, 5, Bytes().str("hi\r\nyo"));
    db.Add(TYPE_NOTE, 0, 6, Bytes().str("b"));
    OpenDatabase(db.Finish());
  }
};

TEST_F(NoteLinkTest, PrintsNoteAndWritesItRenumbered) {
  const struct {
    const char* name;
    int note;
    bool output, merge;
    int links[2];
    std::string line, err;
    int newLinks[2];
    std::vector<std::string> written;  // note records, numbered from 3
  } cases[] = {
      {"no output", 2, false, false, {5, 0xFFFF}, "hi\\nyo,\n", "", {5, 0xFFFF}, {}},
      {"output", 2, true, false, {5, 0xFFFF}, "hi\\nyo,\n", "", {3, 0xFFFF}, {"hi\r\nyo"}},
      {"output -n1", 1, true, false, {5, 6}, "hi  yo,b\n", "", {3, 4}, {"hi  yo", "b"}},
      {"output -n0", 0, true, false, {6, 5}, "b,hi\nyo\n", "", {3, 4}, {"b", "hi\nyo"}},
      {"merge", 2, true, true, {5, 6}, "hi\\nyo,b\n", "", {5, 6}, {}},
      {"missing note", 2, true, false, {8, 0xFFFF}, ",\n", "Note record 8 not found.\n", {3, 0xFFFF}, {""}},
  };
  for (const auto& c : cases) {
    if (fpout) std::fclose(fpout);
    fpout = nullptr;
    seek = SeekInfoLists();
    iOutAppt = 0;
    iNoteNum = 3;
    iNote = static_cast<int16_t>(c.note);
    iMerge = c.merge ? 1 : 0;
    if (c.output) OpenOutput();
    RecordBody body = Body(Bytes().le16(c.links[0]).le16(c.links[1]));
    std::string line;
    const Outcome o = Line({{10, 0, 0, 0, "N1"}, {10, 2, 0, 0, "N2"}}, body, &line);
    ASSERT_EQ(o.status, 0) << c.name << o.err;
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(body.bytes, Body(Bytes().le16(c.newLinks[0]).le16(c.newLinks[1])).bytes) << c.name;
    Bytes want;
    int num = 3;
    for (const std::string& text : c.written) want.bytes(Record(TYPE_NOTE, 1, num++, Bytes().str(text)));
    EXPECT_EQ(OutputBytes(), want.v) << c.name;
    EXPECT_EQ(iNoteNum, num) << c.name;
    EXPECT_EQ(seek.nodes.size(), c.written.size()) << c.name;
  }
}

class PrintHeaderTest : public readertest::ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    iCSV = 1;
    iHeader = 1;
  }
  std::string Heading(const std::vector<Def>& defs) {
    PFDC fdc = Chain(defs);
    const Outcome o = Capture([&] { PrintHeader(fdc); });
    EXPECT_EQ(o.status, 0);
    return o.out;
  }
};

const std::vector<Def> kBookFields = {
    {2, 0, 0, 0, "Desc&ription"}, {8, 0, 0, 0, "Date"}, {7, 0, 0, 0, "Start"},    {7, 0, 0, 0, "End"},
    {2, 0, 0, 0, "Lo&cation"},    {19, 0, 0, 0, "Nt"},  {22, 0, 0, 0, "Pri"},     {23, 0, 0, 0, "Tt"},
    {10, 0, 0, 0, "No&te"},
};

TEST_F(PrintHeaderTest, AppointmentBookBranches) {
  const struct {
    int appt, event, todo;
    std::string line;
  } cases[] = {
      {1, 0, 0, "Description,Start,End,Location,Nt,Tt,Note\n"},
      {1, 1, 1, "Description,Start,End,Location,Nt,Tt,Note\n"},
      {0, 1, 0, "Description,Location,Nt,Tt,Note\n"},
      {0, 1, 1, "Description,Location,Nt,Tt,Note\n"},
      {0, 0, 2, "Description,Date,Nt,Pri,Tt,Note\n"},
  };
  for (const auto& c : cases) {
    iAppt = static_cast<int16_t>(c.appt);
    iEvent = static_cast<int16_t>(c.event);
    iToDo = static_cast<int16_t>(c.todo);
    EXPECT_EQ(Heading(kBookFields), c.line) << c.appt << c.event << c.todo;
  }
  iAppt = 1;
  iHeader = 0;
  EXPECT_EQ(Heading(kBookFields), "");
}

TEST_F(PrintHeaderTest, GeneralDatabaseNamesEveryColumn) {
  iFileType = 1;  // the appointment branches never apply, whatever -a says
  iCSV = 2;
  EXPECT_EQ(Heading({{2, 0, 0, 0, "Na&me"},
                     {11, 0, 0, 0, "Group"},
                     {9, 0, 0, 0, "One"},
                     {12, 0, 0, 0, "Link"},
                     {8, 0, 0, 0, std::string("Da\0te", 5)},
                     {15, 0, 0, 0, "#Memo"},
                     {14, 0, 0, 0, "Other"}}),
            "\"Name\",\"One\",\"Da\",\"Memo\"\n");
  // A type-23 field shows its name; the heading still ends at its last name.
  EXPECT_EQ(Heading({{2, 0, 0, 0, "A"}, {23, 0, 0, 0, "T"}, {2, 0, 0, 0, "B"}}), "\"A\",\"T\",\"B\"\n");
  EXPECT_EQ(Heading({{2, 0, 0, 0, "A"}, {2, 0, 0, 0, "B"}, {23, 0, 0, 0, "T"}}), "\"A\",\"B\",\"T\"\n");
  // Without -h nothing at all.
  iHeader = 0;
  EXPECT_EQ(Heading({{2, 0, 0, 0, "Name"}}), "");
}

}  // namespace
