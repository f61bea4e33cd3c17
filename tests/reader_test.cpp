// The reader in-process: filing items in date and time order, the
// definitions pass (copies, field counts, type-14 record 0), the data pass,
// general-database lines with their notes, and the heading line.
#include "inproc.h"

namespace {

using fixture::Bytes;
using fixture::DbFile;
using inproc::Capture;
using inproc::Record;
using inproc::Text;

class Reader : public inproc::Test {
 protected:
  SeekInfoLists seek;
  StartCSV scsv;
  // The definitions pass over a whole database, silent; then the data pass if asked.
  inproc::Outcome Read(const std::vector<unsigned char>& file, bool data = false) {
    MutableOptions().iSilent = 2;
    OpenDatabase(file);
    return Capture([&] {
      PFDC fdc = ReadField(nullptr, &seek);
      files.in.Seek(state.lFirst);
      if (data) ReadData(fdc, &scsv, &seek);
    });
  }
};

// Files an item "name" on day `day` of 2000/01 starting at `minutes` (-1: none).
void File(StartCSV* scsv, const std::string& name, unsigned day, int minutes, unsigned flags = 0x87, int repeat = 1) {
  auto item = MakeCSVD(static_cast<int8_t>(repeat - 1));
  item->pszDescription = name;
  const auto t = static_cast<uint16_t>(minutes);
  *item->pnra = NonRepeaAppt{0,
                             0,
                             0,
                             0,
                             -1,
                             -1,
                             -1,
                             static_cast<uint8_t>(flags),
                             100,
                             0,
                             static_cast<uint8_t>(day),
                             static_cast<uint8_t>(t & 0xFF),
                             static_cast<uint8_t>(t >> 8),
                             0,
                             0,
                             0,
                             0,
                             0,
                             static_cast<int8_t>(repeat)};
  AddUserType14(scsv, std::move(item), nullptr);
}

std::string Names(PCSVD p, bool down = false) {
  std::string s;
  for (; p; p = p->pnext_csvd) s += p->pszDescription + (down ? "[" + Names(p->pdown_csvd) + "]" : "");
  return s;
}

TEST_F(Reader, FilingOrder) {
  for (const char* name : {"A", "B", "C", "D", "E"}) File(&scsv, name, 4, name[0] % 2 ? 600 : 660);  // A C E at 10:00
  File(&scsv, "y", 2, -1);
  // Repeating, ToDo and unknown items: flat by date, the latest filed first.
  File(&scsv, "r1", 4, 600, 0x87, 2);
  File(&scsv, "td", 4, 0, 0x14);
  File(&scsv, "r2", 4, 900, 0x87, 2);
  File(&scsv, "k", 2, 0, 0x05);
  // Ties on one date: the last filed heads it, then time order.
  EXPECT_EQ(Names(scsv.start_csvd, true), "y[]E[CABD]");
  EXPECT_EQ(Names(scsv.other_csvd), "kr2tdr1");
  EXPECT_EQ(state.iUserType14, 2);
  std::string numbers;  // record numbers follow the filing order
  for (const auto& it : scsv.items) numbers += it->pszDescription + std::to_string(it->iRecordNum);
  EXPECT_EQ(numbers, "A0B1C2D3E4y5r16td7r28k9");
}

TEST_F(Reader, DefinitionsPassCopiesByTypeAndStatusAndKeepsRecordZero) {
  OpenOutput();
  const struct {
    unsigned type, status;
    bool copied;
  } cases[] = {
      {TYPE_CARDDEF, 0, true},
      {TYPE_CARDDEF, 1, false},
      {TYPE_CARDDEF, 3, false},
      {TYPE_CARDDEF, 2, true},
      {TYPE_CATEGORY, 1, true},
      {TYPE_USER15, 1, true},
      {TYPE_VIEWPTDEF, 0, true},
      {TYPE_VIEWPTTABLE, 0, false},
      {TYPE_DATA, 0, false},
      {TYPE_NOTE, 0, false},
      {TYPE_USER14, 1, false},
      {TYPE_USER14, 0, false},
      {20, 0, true},
      {20, 1, false},
      {TYPE_USER14, 2, false},
      {TYPE_FIELDDEF, 1, true},
  };
  DbFile db;
  Bytes want;
  for (const auto& c : cases) {
    const int i = static_cast<int>(&c - cases), num = i % 2;
    const Bytes b =
        c.type == TYPE_FIELDDEF ? fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Nm") : Text("xyz" + std::to_string(i));
    db.Add(c.type, c.status, num, b);
    if (c.copied) want.bytes(Record(c.type, c.status, num, b));
  }
  Read(db.Finish());
  EXPECT_EQ(OutputBytes(), want.v);
  EXPECT_EQ(seek.nodes.size(), 7u);
  EXPECT_EQ(state.szUserType14_0,
            (std::vector<unsigned char>{'x', 'y', 'z', '1', '4', 0}));  // the last type-14 record 0
}

TEST_F(Reader, DefinitionsPassCountsFields) {
  const struct {
    std::vector<unsigned> types;
    int fields, bytes;
  } cases[] = {
      // One slot per radio group, at its first button; a button outside a group;
      // 12 and 14 leave the group open, a text closes it.
      {{11, 9, 9, 9}, 3, 2},
      {{9}, 1, 0},
      {{11, 12, 9, 14, 9}, 2, 2},
      {{11, 2, 9}, 2, 2},
      {{0, 1, 7, 8, 10, 13, 15}, 7, 15},
      {{12, 14, 16, 23}, 0, 0},
  };
  for (const auto& c : cases) {
    Reset();
    DbFile db;
    for (unsigned t : c.types) db.Add(TYPE_FIELDDEF, 0, 0, fixture::FieldDefBody(t, 1, 0, 0, 0, 0, "n"));
    Read(db.Finish());
    EXPECT_EQ(std::make_pair(int{state.iFileDefNum}, int{state.iOffsetLength}), std::make_pair(c.fields, c.bytes))
        << c.types[0];
  }
}

// A category, then data records of kinds 0x85 0x26 0x14, 0x05 (no known
// kind), a repeating 0x7F and a status-1 0x10, each followed by a note.
std::vector<unsigned char> Book() {
  DbFile db;
  db.Add(TYPE_CATEGORY, 0, 0, Text("cat"));
  int num = 20;
  for (const unsigned flags : {0x85u, 0x26u, 0x14u, 0x05u, 0x7Fu, 0x10u}) {
    fixture::Appt a;
    a.cFlags = flags;
    a.repeats = flags == 0x7F;
    a.cRepeatType = a.repeats ? 2 : 1;
    a.description = "d" + std::to_string(num);
    db.Add(TYPE_DATA, flags == 0x10 ? 1 : 0, num++, a.Encode());
    db.Add(TYPE_NOTE, 0, 0, Text("n"));
  }
  return db.Finish();
}

TEST_F(Reader, ProgressBarMarks) {
  const struct {
    std::vector<long> steps;
    long last;
    int marks;
  } cases[] = {
      {{70, 100, 990}, 1000, 49},  // 7 + 10 + 99 percent: 3 + 2 + 44, no closing mark
      {{70, 100, 950}, 1000, 48},  // 95 percent: 3 + 2 + 42 and the closing mark
      {{58}, 100, 29},             // 58 / 100 * 100 is 57.99...: 28 marks and the closing one
      {{70, 1200}, 1000, 4},       // past lFileLast nothing more is drawn
      {{100}, 0, 1},               // no lookup table offset: only the closing mark
  };
  for (const auto& c : cases) {
    Reset();
    Bytes raw = Bytes().zeros(c.steps[0]);
    for (std::size_t i = 1; i < c.steps.size(); ++i)
      raw.bytes(Record(TYPE_DATA, 0, 0, Bytes().zeros(c.steps[i] - c.steps[i - 1] - 6)));
    files.in = inproc::Image(raw.bytes(Record(TYPE_LOOKUPTABLE, 2, 0, Bytes())).v, c.steps[0]);
    state.lFileLast = static_cast<int32_t>(c.last);
    // The bar; a file shorter than lFileLast is warned of after it.
    const std::string bar = "       0%|----+----+----+----+----|----+----+----+----+----|100%\n Pass-1  |" +
                            std::string(c.marks, 'o') + "|\n";
    EXPECT_EQ(Capture([] { ReadField(nullptr, nullptr); }).err.substr(0, bar.size()), bar) << c.steps.back();
  }
}

// Notes by number with the three conversions: the first record of a number
// wins, a NUL ends the text, nothing after the lookup table is found, and the
// answers kept from earlier lookups equal a fresh read for every lookup.
TEST_F(Reader, NoteLookups) {
  DbFile db;
  db.Add(TYPE_NOTE, 0, 1, Text("a\r\nb"));
  db.Add(TYPE_DATA, 0, 1, Bytes().zeros(30));
  db.Add(TYPE_NOTE, 0, 2, Text("c\nd").u8(0).str("hidden"));
  db.Add(TYPE_NOTE, 0, 1, Text("second"));
  const std::vector<unsigned char> file = Bytes{db.Finish()}.bytes(Record(TYPE_NOTE, 0, 3, Text("late"))).v;
  const struct {
    int16_t note, word;
    std::string text;
  } cases[] = {
      {2, 1, "a\\nb"}, {1, 1, "a  b"}, {0, 1, "a\nb"}, {2, 9, "Note record 9 not found.\n"},
      {2, 2, "cnd"},   {1, 2, "c d"},  {0, 2, "c\nd"}, {2, 3, "Note record 3 not found.\n"},
  };
  for (const bool fresh : {false, true}) {
    for (const auto& c : cases) {
      if (fresh || &c == cases) {
        Reset();
        OpenDatabase(file);
      }
      MutableOptions().iNote = c.note;
      files.in.Seek(40);
      std::string text;
      text += Capture([&] { text = ReadNote(c.word, 2); }).err;  // the text, or the warning
      EXPECT_EQ(text, c.text) << fresh << " " << c.note << " " << c.word;
      EXPECT_EQ(files.in.Tell(), 40);  // the input position is kept
    }
  }
}

TEST_F(Reader, DataPassKindsAndMerge) {
  ASSERT_EQ(Read(Book(), true).status, 0);
  std::string kinds;
  for (const auto& it : scsv.items) kinds += std::to_string(it->cKind) + it->pszDescription + " ";
  EXPECT_EQ(kinds, "128d20 32d21 16d22 0 32d24 16d25 ");  // no known kind: left as made
  // -m with -o leaves the input's items out: only the category is copied.
  Reset();
  scsv = StartCSV();
  MutableOptions().iMerge = 1;
  OpenOutput();
  ASSERT_EQ(Read(Book(), true).status, 0);
  EXPECT_TRUE(scsv.items.empty());
  EXPECT_EQ(OutputBytes(), Record(TYPE_CATEGORY, 0, 0, Text("cat")).v);
}

struct Def {
  uint8_t type;
  int16_t offset;
  uint8_t flags = 0, res1 = 0;
  std::string name = "f";
};

// The field list as the definitions pass builds it, iFileDefNum counted from it.
PFDC Chain(const std::vector<Def>& defs) {
  state.fdcNodes.clear();
  state.iFileDefNum = 0;
  for (const Def& d : defs) {
    FieldDefineChain& n = state.fdcNodes.emplace_back();
    n.pfd = std::make_unique<FieldDefine>(FieldDefine{d.type, 1, d.offset, d.flags, d.res1, 0});
    n.szName = d.name;
    if (state.fdcNodes.size() > 1) state.fdcNodes[state.fdcNodes.size() - 2].pnext_fdc = &n;
    if (d.type <= 10 || d.type == 13 || d.type == 15) ++state.iFileDefNum;
  }
  return state.fdcNodes.empty() ? nullptr : &state.fdcNodes.front();
}

// Record 12 of the body bytes, with the appended NUL.
RecordBody Body(Bytes b) { return RecordBody{b.u8(0).v, 12}; }

TEST_F(Reader, GeneralDatabaseFieldTypes) {
  const std::string broken = "Broken TYPE_DATA record 12.\n";
  const struct {
    std::vector<Def> defs;
    Bytes body;
    std::string line, err = "";
  } cases[] = {
      {{{0, 0}, {1, 2}}, Bytes().le16(5).le16(0), "1,0\n"},
      {{{7, 0}, {7, 2}, {7, 4}}, Bytes().le16(615).u8(0).u8(0x80).le16(0), "10:15,,00:00\n"},
      {{{8, 0}, {8, 3}}, Bytes().u8(0x5E).u8(0x0B).u8(0x1E).u8(0xFF).u8(0xFF).u8(0xFF), "1994/12/31,\n"},
      {{{11, 0}, {9, 0, 0, 1}, {9, 0, 0, 2}, {9, 0, 0, 3}}, Bytes().u8(2).u8(0), "0,1,0\n"},
      {{{2, 0}, {13, 4, 0x20}, {15, 6, 0x20}}, Bytes().cstr("hey").le16(9).le16(8).u8(0).cstr("you"), "hey,you,\n"},
      {{{7, 0, 0x20}}, Bytes().le16(2).le16(615), "10:15\n"},
      {{{3, 0}, {11, -5}, {12, 999}, {14, 999}}, Bytes().cstr("A&B #1"), "AB 1\n"},
      {{{0, 1}}, Bytes().le16(1), "", broken},
      {{{2, 0, 0x20}}, Bytes().le16(0xFFFF), "", broken},
      {{{11, 0}, {9, 2}}, Bytes().le16(1), "", broken},
      {{{8, 1}}, Bytes().u8(1).u8(2).u8(3), "", broken},
  };
  MutableOptions().iCSV = 1;
  for (const auto& c : cases) {
    RecordBody body = Body(c.body);
    std::string line;
    PFDC fdc = Chain(c.defs);
    EXPECT_EQ(Capture([&] { ReadDB(fdc, &seek, body, line); }).err, c.err) << c.line;
    if (c.err.empty()) {
      EXPECT_EQ(line, c.line);
    }
  }
}

TEST_F(Reader, GeneralDatabaseNotesRenumberedOnlyWhenWritten) {
  DbFile db('D');
  db.Add(TYPE_NOTE, 0, 5, Text("hi\r\nyo"));
  db.Add(TYPE_NOTE, 0, 6, Text("b"));
  // With -o the linked notes are written under the next numbers in field
  // order; -m writes none and keeps the links (0xFFFF: no note).
  const struct {
    int16_t note;
    bool merge;
    int links[2];
    std::string line;
    int newLinks[2];
    std::vector<std::string> written;
  } cases[] = {
      {0, false, {6, 5}, "b,hi\nyo\n", {3, 4}, {"b", "hi\r\nyo"}},  // written as stored
      {2, true, {5, 0xFFFF}, "hi\\nyo,\n", {5, 0xFFFF}, {}},
  };
  for (const auto& c : cases) {
    Reset();
    OpenDatabase(db.Finish());
    MutableOptions().iCSV = 1;
    state.iFileType = 1;
    state.iNoteNum = 3;
    MutableOptions().iNote = c.note;
    MutableOptions().iMerge = c.merge;
    OpenOutput();
    RecordBody body = Body(Bytes().le16(c.links[0]).le16(c.links[1]));
    std::string line;
    PFDC fdc = Chain({{10, 0}, {10, 2}});
    seek = SeekInfoLists();
    ASSERT_EQ(Capture([&] { ReadDB(fdc, &seek, body, line); }).status, 0);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(body.bytes, Body(Bytes().le16(c.newLinks[0]).le16(c.newLinks[1])).bytes);
    Bytes want;
    for (const std::string& text : c.written)
      want.bytes(Record(TYPE_NOTE, 1, 3 + static_cast<int>(want.size() > 0), Text(text)));
    EXPECT_EQ(OutputBytes(), want.v);
    EXPECT_EQ(state.iNoteNum, 3 + static_cast<int>(c.written.size()));
  }
}

TEST_F(Reader, HeadingLineBranches) {
  const std::vector<Def> book = {{2, 0, 0, 0, "Desc&ription"}, {8, 0, 0, 0, "Date"},      {7, 0, 0, 0, "Start"},
                                 {7, 0, 0, 0, "End"},          {2, 0, 0, 0, "Lo&cation"}, {19, 0, 0, 0, "Nt"},
                                 {22, 0, 0, 0, "Pri"},         {23, 0, 0, 0, "Tt"},       {10, 0, 0, 0, "No&te"}};
  const struct {
    int16_t appt, event, todo;
    std::string line;
  } cases[] = {
      {1, 1, 1, "Description,Start,End,Location,Nt,Tt,Note\n"},
      {0, 1, 1, "Description,Location,Nt,Tt,Note\n"},
      {0, 0, 2, "Description,Date,Nt,Pri,Tt,Note\n"},
  };
  MutableOptions().iHeader = 1;
  for (const auto& c : cases) {
    MutableOptions().iCSV = 1;
    MutableOptions().iAppt = c.appt;
    MutableOptions().iEvent = c.event;
    MutableOptions().iToDo = c.todo;
    PFDC fdc = Chain(book);
    EXPECT_EQ(Capture([&] { PrintHeader(fdc); }).out, c.line);
  }
  // A general database names every column that prints, whatever -a says.
  state.iFileType = 1;
  MutableOptions().iCSV = 2;
  PFDC fdc = Chain({{2, 0, 0, 0, "Na&me"},
                    {11, 0, 0, 0, "Group"},
                    {9, 0, 0, 0, "One"},
                    {12, 0, 0, 0, "Link"},
                    {8, 0, 0, 0, std::string("Da\0te", 5)},
                    {15, 0, 0, 0, "#Memo"},
                    {23, 0, 0, 0, "T"}});
  EXPECT_EQ(Capture([&] { PrintHeader(fdc); }).out, "\"Name\",\"One\",\"Da\",\"Memo\",\"T\"\n");
}

}  // namespace
