// The reader in-process: the definitions pass (copies, type-14 record 0),
// note lookups, general-database lines with their notes; and the file layer's
// lookup table limits.
#include "inproc.h"

namespace {

using fixture::Bytes, fixture::DbFile;
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

// Copied at status 0 and 2 only: card definitions (4), categories (5), field
// definitions (6), view point definitions (7), 15 and 20; never the view point
// table (10), data (11), notes (9) or the type-14 records.
TEST_F(Reader, DefinitionsPassCopiesByTypeAndStatusAndKeepsRecordZero) {
  OpenOutput();
  const std::tuple<unsigned, unsigned, bool> cases[] = {
      {4, 0, 1},  {4, 1, 0}, {4, 3, 0},  {4, 2, 1},  {5, 1, 1},  {15, 1, 1}, {7, 0, 1},  {10, 0, 0},
      {11, 0, 0}, {9, 0, 0}, {14, 1, 0}, {14, 0, 0}, {20, 0, 1}, {20, 1, 0}, {14, 2, 0}, {6, 1, 1}};
  DbFile db;
  Bytes want;
  for (int i = 0; i < 16; ++i) {
    const auto [type, status, copied] = cases[i];
    const int num = i % 2;
    const Bytes b = type == 6 ? fixture::FieldDefBody(2, 1, 0, 0x20, 0, 0, "Nm") : Text("xyz" + std::to_string(i));
    db.Add(type, status, num, b);
    if (copied) want.bytes(Record(type, status, num, b));
  }
  Read(db.Finish());
  EXPECT_EQ(OutputBytes(), want.v);
  EXPECT_EQ(seek.nodes.size(), 7u);
  EXPECT_EQ(state.szUserType14_0, Text("xyz14").u8(0).v);  // the last type-14 record 0
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
  const std::tuple<int16_t, int16_t, std::string> cases[] = {
      {2, 1, "a\\nb"}, {1, 1, "a  b"}, {0, 1, "a\nb"}, {2, 9, "Note record 9 not found.\n"},
      {2, 2, "cnd"},   {1, 2, "c d"},  {0, 2, "c\nd"}, {2, 3, "Note record 3 not found.\n"}};
  for (const bool fresh : {false, true}) {
    for (const auto& [note, word, want] : cases) {
      if (fresh || (note == 2 && word == 1)) {
        ResetGlobals();
        OpenDatabase(file);
      }
      MutableOptions().iNote = note;
      files.in.Seek(40);
      std::string text;
      const int16_t iWord = word;                               // a lambda takes no structured binding before C++20
      text += Capture([&] { text = ReadNote(iWord, 2); }).err;  // the text, or the warning
      EXPECT_EQ(text, want) << fresh << " " << note << " " << word;
      EXPECT_EQ(files.in.Tell(), 40);  // the input position is kept
    }
  }
}

struct Def {
  uint8_t type;
  int16_t offset;
  uint8_t flags = 0, res1 = 0;
};

// The field list as the definitions pass builds it, iFileDefNum counted from it.
PFDC Chain(const std::vector<Def>& defs) {
  state.fdcNodes.clear();
  state.iFileDefNum = 0;
  for (const Def& d : defs) {
    FieldDefineChain& n = state.fdcNodes.emplace_back();
    n.pfd = std::make_unique<FieldDefine>(FieldDefine{d.type, 1, d.offset, d.flags, d.res1, 0});
    if (state.fdcNodes.size() > 1) state.fdcNodes[state.fdcNodes.size() - 2].pnext_fdc = &n;
    state.iFileDefNum += FieldMakesColumn(d.type);
  }
  return state.fdcNodes.empty() ? nullptr : &state.fdcNodes.front();
}

// Record 12 of the body bytes, with the appended NUL.
RecordBody Body(Bytes b) { return RecordBody{b.u8(0).v, 12}; }

// One data record of a general database as a line: the field types, broken
// records, and the notes, which -o writes as stored under the next numbers
// (here from 3) in field order, renumbering the links, and -m neither writes
// nor renumbers (0xFFFF: no note).
TEST_F(Reader, GeneralDatabaseFieldTypesAndNotes) {
  DbFile db('D');
  db.Add(TYPE_NOTE, 0, 5, Text("hi\r\nyo"));
  db.Add(TYPE_NOTE, 0, 6, Text("b"));
  const std::string broken = "Broken TYPE_DATA record 12.\n";
  const Bytes notes = Record(TYPE_NOTE, 1, 3, Text("b")).bytes(Record(TYPE_NOTE, 1, 4, Text("hi\r\nyo")));
  // links, written: the body and the output afterwards; empty: as before, nothing.
  // clang-format off
  const struct { std::vector<Def> defs; Bytes bytes; std::string want, err; int16_t note = 2; bool merge = true;
                 Bytes links{}, written{}; } cases[] = {
      {{{0, 0}, {1, 2}}, Bytes().le16(5).le16(0), "1,0\n", ""},
      {{{7, 0}, {7, 2}, {7, 4}}, Bytes().le16(615).u8(0).u8(0x80).le16(0), "10:15,,00:00\n", ""},
      {{{8, 0}, {8, 3}}, Bytes().u8(0x5E).u8(0x0B).u8(0x1E).u8(0xFF).u8(0xFF).u8(0xFF), "1994/12/31,\n", ""},
      {{{8, 0}, {8, 3}}, Bytes().u8(0xFF).u8(5).u8(0xFF).u8(5).u8(0xFF).u8(0xFF), "2155/06/256,1905/256/256\n", ""},
      {{{11, 0}, {9, 0, 0, 1}, {9, 0, 0, 2}, {9, 0, 0, 3}}, Bytes().u8(2).u8(0), "0,1,0\n", ""},
      {{{9, 1, 0, 5}}, Bytes().u8(0).u8(5), "1\n", ""},  // in the body's last byte
      {{{2, 0}, {13, 4, 0x20}, {15, 6, 0x20}}, Bytes().cstr("hey").le16(9).le16(8).u8(0).cstr("you"), "hey,you,\n", ""},
      {{{7, 0, 0x20}}, Bytes().le16(2).le16(615), "10:15\n", ""},
      {{{7, 0}}, Bytes().le16(0xFFFF), "00:-1\n", ""},  // a negative time as it comes
      {{{3, 0}, {11, -5}, {12, 999}, {14, 999}}, Bytes().cstr("A&B #1"), "AB 1\n", ""},
      {{{0, 1}}, Bytes().le16(1), "", broken},
      {{{2, 0, 0x20}}, Bytes().le16(0xFFFF), "", broken},
      {{{11, 0}, {9, 2}}, Bytes().le16(1), "", broken},
      {{{8, 1}}, Bytes().u8(1).u8(2).u8(3), "", broken},
      {{{10, 0}, {10, 2}}, Bytes().le16(6).le16(5), "b,hi\nyo\n", "", 0, false, Bytes().le16(3).le16(4), notes},
      {{{10, 0}, {10, 2}}, Bytes().le16(5).le16(0xFFFF), "hi\\nyo,\n", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    ResetGlobals();
    OpenDatabase(db.Finish());
    std::tie(MutableOptions().iCSV, MutableOptions().iNote, MutableOptions().iMerge) =
        std::make_tuple(1, c.note, c.merge);
    std::tie(state.iFileType, state.iNoteNum) = std::make_tuple(1, 3);
    OpenOutput();
    RecordBody body = Body(c.bytes);
    std::string line;
    PFDC fdc = Chain(c.defs);
    EXPECT_EQ(Capture([&] { ReadDB(fdc, &seek, body, line); }).err, c.err) << c.want;
    EXPECT_EQ(line, c.want);
    EXPECT_EQ(body.bytes, Body(c.links.size() ? c.links : c.bytes).bytes);
    EXPECT_TRUE(!c.err.empty() || OutputBytes() == c.written.v) << c.want;  // a failed run has no output file
    EXPECT_EQ(state.iNoteNum, c.merge ? 3 : 5);
  }
}

// Type 32 and a count past the table's end through the program are the
// broken-database tests'; here the order of the checks and the last offset.
TEST_F(Reader, LookupTableRegistrationsItCannotHoldAreRefused) {
  const std::tuple<uint8_t, int, int32_t, std::string> cases[] = {
      {9, 0, 16777216, "Output file too large for the lookup table.\n"},
      {40, 4095, 16777216, "Record type 40 can't be listed in the lookup table.\n"},  // type first
      {9, 4095, 16777216, "Too many records for the lookup table.\n"},                // then count
      {31, 4094, 16777215, ""},  // the last entry and offset the table holds
  };
  for (const auto& [type, existing, offset, message] : cases) {
    SeekInfoLists lists;
    const RecordHeader filler{11, 2, 6, 0}, rh{type, 2, 6, 0};
    for (int i = 0; i < existing; ++i) AddSeekInfo(&lists, &filler, 29 + 6 * i);
    const int32_t lAt = offset;  // a lambda takes no structured binding before C++20
    const inproc::Outcome o = Capture([&] { AddSeekInfo(&lists, &rh, lAt); });
    EXPECT_EQ(std::make_pair(o.status, o.err), std::make_pair(message.empty() ? 0 : 1, message));
  }
}

// Each byte of a number in its place and back: all 32 bits, the sign and
// the three bytes of an offset (files past 64 KiB).
TEST(Coding, LittleEndianBothWays) {
  unsigned char b[4];
  EncodeI32(b, -0x12345679);  // 0xEDCBA987
  EXPECT_EQ(std::vector<unsigned char>(b, b + 4), (std::vector<unsigned char>{0x87, 0xA9, 0xCB, 0xED}));
  EXPECT_EQ(std::make_tuple(DecodeI32(b), DecodeU24(b), DecodeI16(b)),
            std::make_tuple(-0x12345679, 0xCBA987, int16_t{-0x5679}));
  EncodeU24(b, 0x654321);
  EXPECT_EQ(std::vector<unsigned char>(b, b + 4), (std::vector<unsigned char>{0x21, 0x43, 0x65, 0xED}));
}

}  // namespace
