// Note lookup and the two string helpers: the -n conversions, which record
// wins, how a lookup ends, the input position afterwards, and that answers
// from the remembered notes equal those of a fresh read from the first record.
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

class ReadNoteTest : public readertest::ReaderTest {
 protected:
  // Note 1 twice (the first wins), note 2 with a NUL inside, note -1, a data
  // record in between, and note 3 only after the lookup table.
  static std::vector<unsigned char> Book() {
    DbFile db;
    db.Add(TYPE_NOTE, 0, 1, Bytes().str("a\r\nb"));
    db.Add(TYPE_DATA, 0, 1, Bytes().zeros(30));
    db.Add(TYPE_NOTE, 0, 2, Bytes().str("c\nd").u8(0).str("hidden"));
    db.Add(TYPE_NOTE, 0, 1, Bytes().str("second"));
    db.Add(TYPE_NOTE, 0, -1, Bytes());
    auto file = db.Finish();
    const auto late = readertest::Record(TYPE_NOTE, 0, 3, Bytes().str("late")).v;
    file.insert(file.end(), late.begin(), late.end());
    return file;
  }

  // ReadNote from a fixed input position; checks the position is kept.
  static Outcome Lookup(int16_t word) {
    std::fseek(fp, 40, SEEK_SET);
    ReadNoteResult().clear();
    Outcome o = Capture([&] { ReadNoteResult() = ReadNote(word, 2); });
    if (o.status == 0) {
      EXPECT_EQ(std::ftell(fp), 40) << word;
    }
    o.out = ReadNoteResult();
    return o;
  }
  static std::string& ReadNoteResult() {
    static std::string s;
    return s;
  }
};

TEST_F(ReadNoteTest, ConvertsLineBreaksAsAsked) {
  OpenDatabase(Book());
  const struct {
    int note;
    int16_t word;
    std::string read, changed;
  } cases[] = {
      {2, 1, "a\\nb", "a\r\nb"}, {1, 1, "a  b", "a  b"}, {0, 1, "a\nb", "a\nb"},
      {2, 2, "cnd", "cnd"},      {1, 2, "c d", "c d"},   {0, 2, "c\nd", "c\nd"},
      {7, 1, "a\nb", "a\nb"},    {2, -1, "", ""},
  };
  for (const auto& c : cases) {
    iNote = static_cast<int16_t>(c.note);
    const Outcome o = Lookup(c.word);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out, c.read) << c.note << " " << c.word;
    EXPECT_EQ(ChangeString(o.out), c.changed);
  }
}

TEST_F(ReadNoteTest, NoteAfterLookupTableIsMissing) {
  OpenDatabase(Book());
  const Outcome o = Lookup(3);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Note record 3 not found.\n");
}

// A sequence of lookups answered from what earlier lookups read must equal
// the same lookups each made on a fresh read from the first record.
TEST_F(ReadNoteTest, RememberedAnswersEqualFreshReads) {
  const struct {
    const char* name;
    std::vector<unsigned char> file;
    std::vector<int16_t> words;
  } books[] = {
      {"book", Book(), {2, 1, 9, 1, 2, -1, 3, 2}},
      {"no lookup table",
       [] {
         DbFile db;
         db.Add(TYPE_NOTE, 0, 4, Bytes().str("four"));
         db.Add(TYPE_NOTE, 0, 5, Bytes().str("five"));
         return db.Finish(false);
       }(),
       {5, 4, 6}},
      {"broken header",
       [] {
         DbFile db;
         db.Add(TYPE_NOTE, 0, 4, Bytes().str("four"));
         db.Add(TYPE_NOTE, 0, 5, Bytes().str("five"));
         db.AddRaw(Bytes().u8(TYPE_NOTE).u8(0).le16(2).le16(6));
         db.Add(TYPE_NOTE, 0, 6, Bytes().str("six"));
         return db.Finish();
       }(),
       {5, 4, 6}},
      {"short body",
       [] {
         DbFile db;
         db.Add(TYPE_NOTE, 0, 4, Bytes().str("four"));
         db.AddRaw(Bytes().u8(TYPE_NOTE).u8(0).le16(100).le16(8).str("cut"));
         return db.Finish(false);
       }(),
       {4, 8}},
  };
  for (const auto& b : books) {
    std::vector<Outcome> remembered, fresh;
    ResetGlobals();
    OpenDatabase(b.file);
    for (int16_t w : b.words) {
      remembered.push_back(Lookup(w));
      if (remembered.back().status != 0) break;
    }
    for (int16_t w : b.words) {
      ResetGlobals();
      OpenDatabase(b.file);
      fresh.push_back(Lookup(w));
      if (fresh.back().status != 0) break;
    }
    ASSERT_EQ(remembered.size(), fresh.size()) << b.name;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
      EXPECT_EQ(remembered[i].status, fresh[i].status) << b.name << " " << i;
      EXPECT_EQ(remembered[i].out, fresh[i].out) << b.name << " " << i;
      EXPECT_EQ(remembered[i].err, fresh[i].err) << b.name << " " << i;
    }
  }
}

TEST_F(ReadNoteTest, HowLookupsEnd) {
  // Answers worked out from the layouts: which record wins and what ends
  // the read from the first record.
  const struct {
    std::vector<unsigned char> file;
    int16_t word;
    int status;
    std::string text, err;
  } cases[] = {
      {Book(), 1, 0, "a\\nb", ""},
      {Book(), 9, 0, "", "Note record 9 not found.\n"},
      {[] {
         DbFile db;
         db.Add(TYPE_NOTE, 0, 4, Bytes().str("four"));
         return db.Finish(false);
       }(),
       5, 1, "", "1. Failed read TYPE_NOTE in file.\n"},
      {[] {
         DbFile db;
         db.Add(TYPE_NOTE, 0, 4, Bytes().str("four"));                 // 29..39
         db.AddRaw(Bytes().u8(TYPE_CATEGORY).u8(0).le16(0).le16(0));  // at 39
         return db.Finish();
       }(),
       5, 1, "", "Broken record at offset 39.\n"},
      {[] {
         DbFile db;
         db.AddRaw(Bytes().u8(TYPE_NOTE).u8(0).le16(100).le16(8).str("cut"));
         return db.Finish(false);
       }(),
       8, 1, "", "2. Failed read TYPE_NOTE in file.\n"},
  };
  for (const auto& c : cases) {
    ResetGlobals();
    OpenDatabase(c.file);
    const Outcome o = Lookup(c.word);
    EXPECT_EQ(o.status, c.status) << c.word;
    EXPECT_EQ(o.err, c.err) << c.word;
    if (c.status == 0) {
      EXPECT_EQ(o.out, c.text);
    }
  }
}

TEST(ChangeStringTest, BackslashNBecomesCrLf) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"a\\nb", "a\r\nb"},
      {"\\\\n", "\\\r\n"},
      {"\\n\\n", "\r\n\r\n"},
      {"end\\", "end\\"},
      {"n\\", "n\\"},
      {"\\x", "\\x"},
      {std::string("\\n\0\\n", 5), std::string("\r\n\0\r\n", 5)},
  };
  for (const auto& c : cases) EXPECT_EQ(ChangeString(c.in), c.out) << c.in;
}

TEST(ChangeStringTest, LongTextsAreHandledWhole) {
  std::string in;
  for (int i = 0; i < 20000; ++i) in += "x\\n";
  const std::string out = ChangeString(in);
  ASSERT_EQ(out.size(), in.size());
  EXPECT_EQ(out.substr(out.size() - 3), "x\r\n");
  EXPECT_EQ(GetString(in), in);
  EXPECT_EQ(GetString(""), "");
}

}  // namespace
