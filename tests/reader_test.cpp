// The reader in-process: filing items in date and time order, the
// definitions pass (copies, field counts, type-14 record 0, progress bar),
// the data pass, note lookups, general-database lines and the heading line.
#include <string>
#include <vector>

#include "inproc.h"

namespace {

using fixture::Appt;
using fixture::Bytes;
using fixture::DbFile;
using fixture::FieldDefBody;
using inproc::Capture;
using inproc::Outcome;
using inproc::Record;
using inproc::Text;

class Reader : public inproc::Test {
 protected:
  SeekInfoLists seek;
  StartCSV scsv;
  PFDC Defs(const std::vector<unsigned char>& file, Outcome* o = nullptr) {
    OpenDatabase(file);
    PFDC head = nullptr;
    const Outcome out = Capture([&] { head = ReadField(nullptr, &seek); });
    if (o) *o = out;
    return head;
  }
};

// An item "name" of the date and start minutes (-1: none), kind flags and repeat type.
void File(StartCSV* scsv, const std::string& name, unsigned day, int minutes, unsigned flags = 0x87, int repeat = 1) {
  auto item = MakeCSVD(static_cast<int8_t>(repeat - 1));
  item->pszDescription = name;
  NonRepeaAppt& n = *item->pnra;
  n.cYear = 100, n.cMonth = 0, n.cDay = static_cast<uint8_t>(day);
  n.cStartTimePri1 = static_cast<uint8_t>(minutes & 0xFF);
  n.cStartTimePri2 = static_cast<uint8_t>((minutes >> 8) & 0xFF);
  n.cFlags = static_cast<uint8_t>(flags);
  n.cRepeatType = static_cast<int8_t>(repeat);
  AddUserType14(scsv, std::move(item), nullptr);
}

std::string Names(PCSVD p, bool down = false) {
  std::string s;
  for (; p; p = p->pnext_csvd) s += p->pszDescription + (down ? "[" + Names(p->pdown_csvd) + "]" : "");
  return s;
}

TEST_F(Reader, FilingOrder) {
  for (const auto& [name, minutes] : std::vector<std::pair<std::string, int>>{{"A", 600}, {"B", 660}, {"C", 600},
                                                                              {"D", 660}, {"E", 600}}) {
    File(&scsv, name, 4, minutes);
  }
  File(&scsv, "y", 2, -1);
  // Ties on one date: the last filed heads it, then time order.
  EXPECT_EQ(Names(scsv.start_csvd, true), "y[]E[CABD]");
  EXPECT_EQ(iUserType14, 2);
  std::string numbers;  // record numbers follow the filing order
  for (const auto& it : scsv.items) numbers += it->pszDescription + std::to_string(it->iRecordNum);
  EXPECT_EQ(numbers, "A0B1C2D3E4y5");
  // Repeating, end-dated, ToDo and unknown items: flat by date, the latest filed first.
  StartCSV other;
  File(&other, "r1", 4, 600, 0x87, 2);
  File(&other, "td", 4, 0, 0x14);
  File(&other, "r2", 4, 900, 0x87, 2);
  File(&other, "k", 2, 0, 0x05);
  EXPECT_EQ(other.start_csvd, nullptr);
  EXPECT_EQ(Names(other.other_csvd), "kr2tdr1");
}

TEST_F(Reader, DefinitionsPassCopiesByTypeAndStatus) {
  OpenOutput();
  const struct { unsigned type, status; bool copied; } cases[] = {
      {TYPE_CARDDEF, 0, true},  {TYPE_CARDDEF, 1, false},   {TYPE_CARDDEF, 3, false},    {TYPE_CARDDEF, 2, true},
      {TYPE_CATEGORY, 1, true},
      {TYPE_USER15, 1, true},   {TYPE_VIEWPTDEF, 0, true},  {TYPE_VIEWPTTABLE, 0, false}, {TYPE_DATA, 0, false},
      {TYPE_NOTE, 0, false},    {TYPE_USER14, 1, false},    {20, 0, true},               {20, 1, false},
      {TYPE_FIELDDEF, 1, true},
  };
  DbFile db;
  Bytes want;
  int num = 10;
  for (const auto& c : cases) {
    const Bytes b = c.type == TYPE_FIELDDEF ? FieldDefBody(2, 1, 0, 0x20, 0, 0, "Nm") : Text("xyz");
    db.Add(c.type, c.status, num, b);
    if (c.copied) want.bytes(Record(c.type, c.status, num, b));
    ++num;
  }
  iSilent = 2;
  Defs(db.Finish());
  EXPECT_EQ(OutputBytes(), want.v);
  EXPECT_EQ(seek.nodes.size(), 7u);
}

TEST_F(Reader, DefinitionsPassCountsFieldsAndKeepsTheLastRecordZero) {
  const struct { std::vector<unsigned> types; int fields, bytes; } cases[] = {
      {{11, 9, 9, 9}, 3, 2},  // one slot per radio group, at its first button
      {{9}, 1, 0},            // a button outside a group
      {{0, 1, 7, 8, 10, 13, 15}, 7, 15},
      {{11, 12, 9, 14, 9}, 2, 2},  // 12 and 14 leave the group open
      {{11, 2, 9}, 2, 2},          // a text closes it
      {{12, 14, 16, 23}, 0, 0},
  };
  for (const auto& c : cases) {
    Reset();
    iSilent = 2;
    DbFile db;
    for (unsigned t : c.types) db.Add(TYPE_FIELDDEF, 0, 0, FieldDefBody(t, 1, 0, 0, 0, 0, "n"));
    Defs(db.Finish());
    EXPECT_EQ(iFileDefNum, c.fields) << c.types.size();
    EXPECT_EQ(iOffsetLength, c.bytes) << c.types.size();
  }
  Reset();
  iSilent = 2;
  DbFile db;
  db.Add(TYPE_USER14, 0, 0, Text("first"));
  db.Add(TYPE_USER14, 0, 1, Text("record one"));
  db.Add(TYPE_USER14, 2, 0, Bytes().u8(1).u8(0).u8(0xFF));
  Defs(db.Finish());
  EXPECT_EQ(szUserType14_0, (std::vector<unsigned char>{1, 0, 0xFF, 0}));
}

TEST_F(Reader, ProgressBarMarks) {
  const struct { std::vector<long> steps; long last; int marks; } cases[] = {
      {{70, 100, 990}, 1000, 49},  // 7 + 10 + 99 percent: 3 + 2 + 44, no closing mark
      {{70, 100, 950}, 1000, 48},  // 95 percent: 3 + 2 + 42 and the closing mark
      {{70, 1200}, 1000, 4},       // past lFileLast nothing more is drawn
      {{100}, 0, 1},               // no lookup table offset: only the closing mark
  };
  for (const auto& c : cases) {
    Reset();
    Bytes raw;
    raw.zeros(static_cast<std::size_t>(c.steps.front()));
    for (std::size_t i = 0; i + 1 < c.steps.size(); ++i) {
      raw.bytes(Record(TYPE_DATA, 0, 0, Bytes().zeros(static_cast<std::size_t>(c.steps[i + 1] - c.steps[i] - 6))));
    }
    fp = inproc::TempFile(raw.bytes(Record(TYPE_LOOKUPTABLE, 2, 0, Bytes())).v, c.steps.front());
    lFileLast = static_cast<int32_t>(c.last);
    EXPECT_EQ(Capture([] { ReadField(nullptr, nullptr); }).err,
              "       0%|----+----+----+----+----|----+----+----+----+----|100%\n Pass-1  |" +
                  std::string(static_cast<std::size_t>(c.marks), 'o') + "|\n")
        << c.steps.back();
  }
}

// Kind bytes of every range with a note after each; the last is garbage and decoded all the same.
std::vector<unsigned char> Book(unsigned unknownKind) {
  DbFile db;
  db.Add(TYPE_CATEGORY, 0, 0, Text("cat"));
  int num = 20;
  for (const unsigned flags : {0x85u, 0x26u, 0x14u, unknownKind, 0x7Fu, 0x10u}) {
    Appt a;
    a.cFlags = flags;
    a.cRepeatType = flags == 0x7F ? 2 : 1;
    a.repeats = flags == 0x7F;
    a.description = "d" + std::to_string(num);
    db.Add(TYPE_DATA, flags == 0x10 ? 1 : 0, num++, a.Encode());
    db.Add(TYPE_NOTE, 0, 0, Text("n"));
  }
  return db.Finish();
}

TEST_F(Reader, DataPassKindsAndMerge) {
  const auto run = [&](unsigned unknownKind, bool merge, bool output) {
    Reset();
    scsv = StartCSV();
    iSilent = 2;
    iMerge = merge;
    if (output) OpenOutput();
    OpenDatabase(Book(unknownKind));
    return Capture([&] {
      PFDC fdc = ReadField(nullptr, &seek);
      std::fseek(fp, lFirst, SEEK_SET);
      ReadData(fdc, &scsv, &seek);
    });
  };
  ASSERT_EQ(run(0x05, false, false).status, 0);
  std::string kinds;
  for (const auto& it : scsv.items) kinds += std::to_string(it->cKind) + it->pszDescription + " ";
  EXPECT_EQ(kinds, "128d20 32d21 16d22 0 32d24 16d25 ");  // no known kind: left as made
  EXPECT_EQ(run(0x05, true, false).status, 0);
  EXPECT_EQ(scsv.items.size(), 6u);
  // -m with -o leaves the input's items out: only the category is copied.
  EXPECT_EQ(run(0x05, true, true).status, 0);
  EXPECT_TRUE(scsv.items.empty());
  EXPECT_EQ(OutputBytes(), Record(TYPE_CATEGORY, 0, 0, Text("cat")).v);
  const Outcome refused = run(0x0F, false, true);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "TYPE_DATA record 23 has no known kind; can't write it.\n");
}

// Note 1 twice (the first wins), note 2 with a NUL inside, a data record in
// between, and note 3 only after the lookup table.
std::vector<unsigned char> Notes() {
  DbFile db;
  db.Add(TYPE_NOTE, 0, 1, Text("a\r\nb"));
  db.Add(TYPE_DATA, 0, 1, Bytes().zeros(30));
  db.Add(TYPE_NOTE, 0, 2, Text("c\nd").u8(0).str("hidden"));
  db.Add(TYPE_NOTE, 0, 1, Text("second"));
  auto file = db.Finish();
  const auto late = Record(TYPE_NOTE, 0, 3, Text("late")).v;
  file.insert(file.end(), late.begin(), late.end());
  return file;
}

Outcome Lookup(int16_t word) {
  std::fseek(fp, 40, SEEK_SET);
  std::string text;
  Outcome o = Capture([&] { text = ReadNote(word, 2); });
  if (o.status == 0) { EXPECT_EQ(std::ftell(fp), 40) << word; }  // the input position is kept
  o.out = text;
  return o;
}

TEST_F(Reader, NoteLookups) {
  const struct { int note; int16_t word; std::string text; } cases[] = {
      {2, 1, "a\\nb"}, {1, 1, "a  b"}, {0, 1, "a\nb"}, {2, 2, "cnd"}, {1, 2, "c d"}, {0, 2, "c\nd"},
  };
  OpenDatabase(Notes());
  for (const auto& c : cases) {
    iNote = static_cast<int16_t>(c.note);
    EXPECT_EQ(Lookup(c.word).out, c.text) << c.note << " " << c.word;
  }
  const Outcome late = Lookup(3);
  EXPECT_EQ(late.out, "");
  EXPECT_EQ(late.err, "Note record 3 not found.\n");
}

// Answers from what earlier lookups read equal those of a fresh read each time.
TEST_F(Reader, RememberedNotesEqualFreshReads) {
  DbFile broken;
  broken.Add(TYPE_NOTE, 0, 4, Text("four"));
  broken.AddRaw(Bytes().u8(TYPE_NOTE).u8(0).le16(2).le16(6));
  broken.Add(TYPE_NOTE, 0, 6, Text("six"));
  const std::pair<std::vector<unsigned char>, std::vector<int16_t>> books[] = {
      {Notes(), {2, 1, 9, 1, 2, -1, 3, 2}}, {broken.Finish(), {5, 4, 6}}};
  for (const auto& [file, words] : books) {
    std::vector<Outcome> remembered, fresh;
    Reset();
    OpenDatabase(file);
    for (int16_t w : words) {
      if (remembered.emplace_back(Lookup(w)).status) break;
    }
    for (int16_t w : words) {
      Reset();
      OpenDatabase(file);
      if (fresh.emplace_back(Lookup(w)).status) break;
    }
    ASSERT_EQ(remembered.size(), fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
      EXPECT_EQ(remembered[i].status, fresh[i].status) << i;
      EXPECT_EQ(remembered[i].out, fresh[i].out) << i;
      EXPECT_EQ(remembered[i].err, fresh[i].err) << i;
    }
  }
}

struct Def {
  unsigned type;
  int offset;
  unsigned flags = 0, res1 = 0;
  std::string name = "f";
};

// The field list as the definitions pass builds it, iFileDefNum counted from it.
PFDC Chain(const std::vector<Def>& defs) {
  PFDC head = nullptr, tail = nullptr;
  fdcNodes.clear();
  iFileDefNum = 0;
  for (const Def& d : defs) {
    FieldDefineChain& n = fdcNodes.emplace_back();
    n.pfd = std::make_unique<FieldDefine>(FieldDefine{static_cast<uint8_t>(d.type), 1, static_cast<int16_t>(d.offset),
                                                      static_cast<uint8_t>(d.flags), static_cast<uint8_t>(d.res1), 0});
    n.szName = d.name;
    (tail ? tail->pnext_fdc : head) = &n;
    tail = &n;
    if (d.type <= 10 || d.type == 13 || d.type == 15) ++iFileDefNum;
  }
  return head;
}

Outcome Line(const std::vector<Def>& defs, RecordBody& body, std::string* line, SeekInfoLists* seek) {
  PFDC fdc = Chain(defs);
  return Capture([&] { ReadDB(fdc, seek, body, *line); });
}

RecordBody Body(const Bytes& b) {
  RecordBody body;
  body.bytes = b.v;
  body.bytes.push_back(0);
  body.iRecord = 12;
  return body;
}

TEST_F(Reader, GeneralDatabaseFieldTypes) {
  const struct { std::vector<Def> defs; Bytes body; std::string line; } cases[] = {
      {{{0, 0}, {1, 2}}, Bytes().le16(5).le16(0), "1,0\n"},
      {{{7, 0}, {7, 2}, {7, 4}}, Bytes().le16(615).u8(0).u8(0x80).le16(0), "10:15,,00:00\n"},
      {{{8, 0}, {8, 3}}, Bytes().u8(0x5E).u8(0x0B).u8(0x1E).u8(0xFF).u8(0xFF).u8(0xFF), "1994/12/31,\n"},
      {{{11, 0}, {9, 0, 0, 1}, {9, 0, 0, 2}, {9, 0, 0, 3}}, Bytes().u8(2).u8(0), "0,1,0\n"},
      {{{2, 0}, {13, 4, 0x20}, {15, 6, 0x20}}, Bytes().cstr("hey").le16(9).le16(8).u8(0).cstr("you"), "hey,you,\n"},
      {{{7, 0, 0x20}}, Bytes().le16(2).le16(615), "10:15\n"},
      {{{3, 0}, {11, -5}, {12, 999}, {14, 999}}, Bytes().cstr("A&B #1"), "AB 1\n"},
  };
  for (const auto& c : cases) {
    Reset();
    iCSV = 1;
    RecordBody body = Body(c.body);
    std::string line;
    EXPECT_EQ(Line(c.defs, body, &line, &seek).status, 0);
    EXPECT_EQ(line, c.line);
  }
  const struct { std::vector<Def> defs; Bytes body; } broken[] = {
      {{{0, 1}}, Bytes().le16(1)},          {{{2, 3}}, Bytes().str("ab")},
      {{{2, 0, 0x20}}, Bytes().le16(40)},   {{{2, 0, 0x20}}, Bytes().le16(0xFFFF)},
      {{{11, 0}, {9, 2}}, Bytes().le16(1)}, {{{8, 1}}, Bytes().u8(1).u8(2).u8(3)},
  };
  for (const auto& c : broken) {
    RecordBody body = Body(c.body);
    std::string line;
    EXPECT_EQ(Line(c.defs, body, &line, &seek).err, "Broken TYPE_DATA record 12.\n");
  }
}

TEST_F(Reader, GeneralDatabaseNotesRenumberedOnlyWhenWritten) {
  DbFile db('D');
  db.Add(TYPE_NOTE, 0, 5, Text("hi\r\nyo"));
  db.Add(TYPE_NOTE, 0, 6, Text("b"));
  const std::vector<unsigned char> file = db.Finish();
  const struct { int note; bool output, merge; int links[2]; std::string line; int newLinks[2]; std::vector<std::string> written; } cases[] = {
      {2, false, false, {5, 0xFFFF}, "hi\\nyo,\n", {5, 0xFFFF}, {}},
      {1, true, false, {5, 6}, "hi  yo,b\n", {3, 4}, {"hi  yo", "b"}},
      {0, true, false, {6, 5}, "b,hi\nyo\n", {3, 4}, {"b", "hi\nyo"}},
      {2, true, true, {5, 6}, "hi\\nyo,b\n", {5, 6}, {}},
  };
  for (const auto& c : cases) {
    Reset();
    OpenDatabase(file);
    iCSV = 1, iFileType = 1, iNoteNum = 3;
    iNote = static_cast<int16_t>(c.note);
    iMerge = c.merge;
    if (c.output) OpenOutput();
    RecordBody body = Body(Bytes().le16(c.links[0]).le16(c.links[1]));
    std::string line;
    seek = SeekInfoLists();
    ASSERT_EQ(Line({{10, 0}, {10, 2}}, body, &line, &seek).status, 0);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(body.bytes, Body(Bytes().le16(c.newLinks[0]).le16(c.newLinks[1])).bytes);
    Bytes want;
    int num = 3;
    for (const std::string& text : c.written) want.bytes(Record(TYPE_NOTE, 1, num++, Text(text)));
    if (c.output) { EXPECT_EQ(OutputBytes(), want.v); }
    EXPECT_EQ(iNoteNum, num);
  }
}

TEST_F(Reader, HeadingLineBranches) {
  const std::vector<Def> book = {{2, 0, 0, 0, "Desc&ription"}, {8, 0, 0, 0, "Date"}, {7, 0, 0, 0, "Start"},
                                 {7, 0, 0, 0, "End"},  {2, 0, 0, 0, "Lo&cation"}, {19, 0, 0, 0, "Nt"},
                                 {22, 0, 0, 0, "Pri"}, {23, 0, 0, 0, "Tt"},       {10, 0, 0, 0, "No&te"}};
  const struct { int appt, event, todo, header; std::string line; } cases[] = {
      {1, 1, 1, 1, "Description,Start,End,Location,Nt,Tt,Note\n"},
      {0, 1, 1, 1, "Description,Location,Nt,Tt,Note\n"},
      {0, 0, 2, 1, "Description,Date,Nt,Pri,Tt,Note\n"},
      {1, 0, 0, 0, ""},
  };
  for (const auto& c : cases) {
    iCSV = 1, iHeader = static_cast<int16_t>(c.header);
    iAppt = static_cast<int16_t>(c.appt), iEvent = static_cast<int16_t>(c.event), iToDo = static_cast<int16_t>(c.todo);
    PFDC fdc = Chain(book);
    EXPECT_EQ(Capture([&] { PrintHeader(fdc); }).out, c.line);
  }
  // A general database names every column that prints, whatever -a says.
  iFileType = 1, iCSV = 2, iHeader = 1;
  PFDC fdc = Chain({{2, 0, 0, 0, "Na&me"}, {11, 0, 0, 0, "Group"}, {9, 0, 0, 0, "One"}, {12, 0, 0, 0, "Link"},
                    {8, 0, 0, 0, std::string("Da\0te", 5)}, {15, 0, 0, 0, "#Memo"}, {23, 0, 0, 0, "T"}});
  EXPECT_EQ(Capture([&] { PrintHeader(fdc); }).out, "\"Name\",\"One\",\"Da\",\"Memo\",\"T\"\n");
}

}  // namespace
