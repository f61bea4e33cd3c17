// The vCard export through the built program, from card files built byte by
// byte: every property the field names find, the names split as people
// write them, --vcard-map and the refusals. The UIDs were worked out with
// Python's uuid.uuid5 in kalvert's namespace.
#include <gtest/gtest.h>

#include <random>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using fixture::Bytes, fixture::Holds, fixture::RunKalvert, fixture::ScratchDir;

constexpr unsigned kText = 2, kNumber = 0, kTime = 7, kDate = 8, kButton = 9, kNote = 10, kGroup = 11;

struct CardField {
  unsigned type;
  std::string name;
  unsigned value = 0;  // a button's value in its group's slot
};

// A value of a record: a text, a number (a time's minutes, a group's chosen
// value), the three date bytes or a note's text; a button has none.
using Values = std::vector<std::string>;

// A general database of the fields, one record per list of values. Each field
// has its slot in the fixed part (a text's slot holds where its text begins,
// a note's the number of its note record, the buttons of a group share one);
// the byte after the fixed part is the NUL that every empty text points at.
std::vector<unsigned char> CardFile(const std::vector<CardField>& fields, const std::vector<Values>& records) {
  fixture::DbFile db('D');
  std::vector<int> at;
  int fixed = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const unsigned t = fields[i].type;
    const bool bShared = t == kButton && fields[i - 1].type == kButton;
    const int slot = t == kGroup ? 0 : bShared ? at.back() : fixed;
    at.push_back(slot);
    db.Add(6, 0, static_cast<int>(i),
           fixture::FieldDefBody(t, static_cast<unsigned>(i + 1), slot, t == kText ? 0x20 : 0, fields[i].value, 0,
                                 fields[i].name));
    if (t != kGroup && !bShared) fixed += t == kDate ? 3 : 2;
  }
  int notes = 0;
  for (const Values& r : records) {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i].type == kNote && !r[i].empty()) db.Add(9, 0, notes++, Bytes().str(r[i]));
  }
  notes = 0;
  int recnum = 0;
  for (const Values& r : records) {
    Bytes slots, texts;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::string& v = r[i];
      const unsigned t = fields[i].type;
      if (t == kText) {
        slots.le16(v.empty() ? fixed : fixed + 1 + static_cast<long>(texts.size()));
        if (!v.empty()) texts.cstr(v);
      } else if (t == kDate) {
        slots.str(v);
      } else if (t == kNote) {
        slots.le16(v.empty() ? 0xFFFF : notes++);
      } else if (t != kButton) {  // a number, a time, a group's chosen value
        slots.le16(std::stol(v));
      }
    }
    db.Add(11, 0, recnum++, slots.u8(0).bytes(texts));
  }
  return db.Finish();
}

const std::vector<CardField> kEveryRole = {
    {kText, "&Name"},       {kText, "Company:"}, {kText, "Dept."},    {kText, "Title"},  {kText, "Business"},
    {kText, "Home Phone"},  {kText, "Mobile"},   {kText, "FAX"},      {kText, "Pager"},  {kText, "Phone"},
    {kText, "E-mail"},      {kText, "Web page"}, {kText, "Street"},   {kText, "City"},   {kText, "State"},
    {kText, "Zip"},         {kText, "Country"},  {kText, "Category"}, {kText, "Memo"},   {kDate, "Birthday"},
    {kDate, "Anniversary"}, {kNumber, "Age"},    {kNote, "Note"},     {kText, "E-mail"}, {kText, "Name"}};

// clang-format off
const Values kAnna = {
    "Dr. Anna van der Berg", "Acme; Inc.", "R&D", "Boss", "+1 555 0100", "+1 555 0101", "+1 555 0102", "+1 555 0103",
    "77", "+1 555 0104", "anna@example.com", "http://example.com/a,b", "1 Main St\r\nApt 2", "Springfield", "IL",
    "62701", "USA", "Work", "likes tea, not coffee", "\x46\x01\x02", "\xFF\xFF\xFF", "42", "Line 1\r\nLine 2",
    "anna@home.example", "Anna"};
// clang-format on
// A company alone, twice, with a phone a 3.0 TEL can't hold as it is.
Values Solo() {
  Values v(kEveryRole.size());
  v[1] = "Solo Ltd";
  v[9] = "12\\34";
  v[19] = v[20] = std::string(3, '\xFF');
  v[21] = "0";
  return v;
}
const Values kSolo = Solo();

fixture::RunResult Export(const std::vector<CardField>& fields, const std::vector<Values>& records,
                          std::vector<std::string> args) {
  ScratchDir dir;
  dir.Write("cards.dat", CardFile(fields, records));
  args.insert(args.begin(), {"-xcards.dat", "--format=vcf", "-s1"});
  return RunKalvert(dir, args);
}

// Every property of the table, in the order the card writes them; repeated
// roles in field order; what has no property under its field's name.
TEST(VCardExport, EveryPropertyTheFieldNamesFind) {
  const fixture::RunResult r = Export(kEveryRole, {kAnna, kSolo, kSolo}, {"--encoding=CP437"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.out,
      "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:e9f8e9b3-c8ee-5f52-a0b6-d5e0e834df6b\r\nFN:Dr. Anna van der Berg\r\n"
      "N:van der Berg;Anna;;Dr.;\r\nORG:Acme\\; Inc.;R&D\r\nTITLE:Boss\r\nTEL;TYPE=WORK,VOICE:+1 555 0100\r\n"
      "TEL;TYPE=HOME,VOICE:+1 555 0101\r\nTEL;TYPE=CELL:+1 555 0102\r\nTEL;TYPE=FAX:+1 555 0103\r\n"
      "TEL;TYPE=PAGER:77\r\nTEL:+1 555 0104\r\nEMAIL;TYPE=INTERNET:anna@example.com\r\nURL:http://example.com/a,b\r\n"
      "EMAIL;TYPE=INTERNET;X-NAME=E-mail 24:anna@home.example\r\nADR:;;1 Main St\\nApt 2;Springfield;IL;62701;USA\r\n"
      "BDAY:1970-02-03\r\nCATEGORIES:Work\r\nNOTE:Line 1\\nLine 2\r\n"
      "X-KALVERT-FIELD;X-NAME=Memo:likes tea\\, not coffee\r\nX-KALVERT-FIELD;X-NAME=Age:42\r\n"
      "X-KALVERT-FIELD;X-NAME=Name 25:Anna\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
      "UID:f0038eb1-6f59-513e-98ff-f6f635aace0b\r\nFN:Solo Ltd\r\nN:;;;;\r\nORG:Solo Ltd\r\n"
      "X-KALVERT-FIELD;X-NAME=Phone:12\\\\34\r\nX-KALVERT-FIELD;X-NAME=Age:0\r\nEND:VCARD\r\nBEGIN:VCARD\r\n"
      "VERSION:3.0\r\nUID:ee084c2b-8695-59ae-9ceb-ad57480f95c5\r\nFN:Solo Ltd\r\nN:;;;;\r\n"
      "ORG:Solo Ltd\r\nX-KALVERT-FIELD;X-NAME=Phone:12\\\\34\r\nX-KALVERT-FIELD;X-NAME=Age:0\r\nEND:VCARD\r\n");

  // 4.0: the UID as a URN, TYPE values in lower case, text phone numbers,
  // basic dates, no N without a name.
  const fixture::RunResult v4 = Export(kEveryRole, {kAnna, kSolo}, {"--encoding=CP437", "--vcard=4.0"});
  for (const char* line : {"\r\nVERSION:4.0\r\nUID:urn:uuid:e9f8e9b3-c8ee-5f52-a0b6-d5e0e834df6b\r\n",
                           "\r\nTEL;TYPE=\"work,voice\":+1 555 0100\r\n", "\r\nTEL;TYPE=cell:+1 555 0102\r\n",
                           "\r\nEMAIL:anna@example.com\r\n", "\r\nBDAY:19700203\r\n",
                           "\r\nFN:Solo Ltd\r\nORG:Solo Ltd\r\nTEL:12\\\\34\r\n"})
    EXPECT_TRUE(Holds(v4.out, line));
  EXPECT_FALSE(Holds(v4.out, "N:;;;;"));
}

// A name in one field, split as it is written; FN keeps it whole.
TEST(VCardExport, NamesSplitAsPeopleWriteThem) {
  // clang-format off
  const struct { const char *name, *n; } cases[] = {
      {"N\u00FA\u00F1ez, Se\u00F1or", "N:N\u00FA\u00F1ez;Se\u00F1or;;;"}, {"Dr. Mr.", "N:Mr.;;;Dr.;"},
      {"Tom Smith", "N:Smith;Tom;;;"}, {"Mary Ann Lee", "N:Lee;Mary Ann;;;"}, {"Dr. Smith", "N:Smith;;;Dr.;"},
      {"Dr. Tom Smith Jr.", "N:Smith;Tom;;Dr.;Jr."}, {"Smith Jr.", "N:;Smith;;;Jr."}, {"Madonna", "N:;Madonna;;;"},
      {"Ludwig van Beethoven", "N:van Beethoven;Ludwig;;;"},
      {"\xE5\xB1\xB1\xE7\x94\xB0 \xE8\x8A\xB1\xE5\xAD\x90", "N:\xE5\xB1\xB1\xE7\x94\xB0;\xE8\x8A\xB1\xE5\xAD\x90;;;"},
      {"\xE5\xB1\xB1 Taro", "N:\xE5\xB1\xB1;Taro;;;"},
      // Devanagari, given name first (three-byte characters that are no CJK).
      {"\xE0\xA4\x85\xE0\xA4\xAE\xE0\xA4\xBF\xE0\xA4\xA4 \xE0\xA4\xB6\xE0\xA4\xB0\xE0\xA5\x8D\xE0\xA4\xAE\xE0\xA4\xBE",
       "N:\xE0\xA4\xB6\xE0\xA4\xB0\xE0\xA5\x8D\xE0\xA4\xAE\xE0\xA4\xBE;"
       "\xE0\xA4\x85\xE0\xA4\xAE\xE0\xA4\xBF\xE0\xA4\xA4;;;"},
      {"\xE5\xB1\xB1\xE7\x94\xB0", "N:\xE5\xB1\xB1\xE7\x94\xB0;;;;"},  // one word, family first: the family name
      {"\xE5\xB1\xB1\xE7\x94\xB0\xE3\x80\x80\xE8\x8A\xB1\xE5\xAD\x90",
       "N:\xE5\xB1\xB1\xE7\x94\xB0;\xE8\x8A\xB1\xE5\xAD\x90;;;"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const fixture::RunResult r = Export({{kText, "Name"}}, {{c.name}}, {"--encoding=UTF-8"});
    EXPECT_TRUE(Holds(r.out, "\r\n" + std::string(c.n) + "\r\n")) << c.name;
    std::string fn = c.name;
    if (fn.find(',') != std::string::npos) fn.replace(fn.find(','), 1, "\\,");
    EXPECT_TRUE(Holds(r.out, "\r\nFN:" + fn + "\r\n"));
  }
  // A byte that is no character of the code page and a control character:
  // U+FFFD, each counted.
  const fixture::RunResult bad = Export({{kText, "Name"}}, {{"A\xFF\x01"}}, {"--encoding=EUC-JP"});
  EXPECT_TRUE(Holds(bad.out, "\r\nFN:A\xEF\xBF\xBD\xEF\xBF\xBD\r\n"));
  EXPECT_TRUE(Holds(bad.err, "Warning: 2 control character(s)"));  // in FN and N
  EXPECT_TRUE(Holds(bad.err, "Warning: 1 byte sequence(s) not valid in EUC-JP were written as U+FFFD.\n"));
  // A name long enough that the UID's digest takes three blocks (uuid5 of
  // Python).
  const fixture::RunResult longName = Export({{kText, "Name"}}, {{std::string(150, 'a')}}, {});
  EXPECT_TRUE(Holds(longName.out, "\r\nUID:aee3e899-b6b2-5ebf-81a6-82b8d9482202\r\n"));
  // Given and family name fields make the full name in the order of their script.
  const fixture::RunResult parts =
      Export({{kText, "First name"}, {kText, "Last name"}},
             {{"Tom", "Smith"}, {"\xE8\x8A\xB1\xE5\xAD\x90", "\xE5\xB1\xB1\xE7\x94\xB0"}}, {"--encoding=UTF-8"});
  EXPECT_TRUE(Holds(parts.out, "\r\nFN:Tom Smith\r\nN:Smith;Tom;;;\r\n"));
  EXPECT_TRUE(Holds(parts.out, "\r\nFN:\xE5\xB1\xB1\xE7\x94\xB0 \xE8\x8A\xB1\xE5\xAD\x90\r\n"));
}

// Web pages and phones come any number of times, the second naming its
// field; a date the organiser holds with bytes
// that make no day goes under its field's name as it is.
TEST(VCardExport, RepeatedPagesAndDatesThatAreNoDay) {
  // clang-format off
  const fixture::RunResult r = Export(
      {{kText, "Web page"}, {kText, "URL"}, {kDate, "Birthday"}, {kDate, "Anniversary"}, {kText, "Phone"}, {kText, "Phone"}},
      {{"http://a.example/", "http://b.example/", std::string("\x46\0\0", 3), "\x46\x0B\x1E", "+1 1", "+1 2"},
       {"", "", "\x46\x01\x1F", std::string(3, '\xFF'), "", ""}}, {});
  // clang-format on
  EXPECT_TRUE(Holds(r.out, "\r\nTEL:+1 1\r\nTEL;X-NAME=Phone 6:+1 2\r\n"));
  EXPECT_TRUE(Holds(r.out, "\r\nURL:http://a.example/\r\nURL;X-NAME=URL:http://b.example/\r\n"));
  // The first and the last day of a year; then a birthday whose bytes make
  // no day, under its field's name.
  EXPECT_TRUE(Holds(r.out, "\r\nBDAY:1970-01-01\r\nX-ANNIVERSARY:1970-12-31\r\n"));
  EXPECT_TRUE(Holds(r.out, "\r\nX-KALVERT-FIELD;X-NAME=Birthday:1970-02-32\r\nEND:VCARD\r\n"));
  EXPECT_EQ(r.out.find("BDAY", r.out.find("END:VCARD")), std::string::npos);
}

// --vcard-map moves a field to another property (the one it held before is
// then under its name); a map that can't be kept, a file that is no card
// file and texts that can't be written end the run before any card.
TEST(VCardExport, MapsAndRefusals) {
  const fixture::RunResult mapped =
      Export(kEveryRole, {kAnna}, {"--encoding=CP437", "--vcard-map=memo:=note,Name 25 = n.given"});
  EXPECT_EQ(mapped.status, 0) << mapped.err;
  for (const char* line : {"\r\nN:van der Berg;Anna;;Dr.;\r\n", "\r\nNOTE:likes tea\\, not coffee\r\n",
                           "\r\nX-KALVERT-FIELD;X-NAME=Note:Line 1\\nLine 2\r\n"})
    EXPECT_TRUE(Holds(mapped.out, line));
  const std::string kinds =
      "one of FN N.GIVEN N.FAMILY ORG ORG.UNIT TITLE TEL TEL.WORK TEL.HOME TEL.CELL TEL.FAX TEL.PAGER EMAIL URL "
      "ADR.STREET ADR.CITY ADR.REGION ADR.CODE ADR.COUNTRY BDAY ANNIVERSARY CATEGORIES NOTE X.\n";
  const std::pair<std::vector<std::string>, std::string> refusals[] = {
      {{"--vcard-map=Birthday=TEL"},
       "Option --vcard-map: field Birthday can't be TEL: its type holds no such value.\n"},
      {{"--vcard-map=Nope=FN"}, "Option --vcard-map: the database has no field Nope.\n"},
      {{"--vcard-map=Memo=PHOTO"}, "Option --vcard-map: PHOTO is no property kalvert writes; " + kinds},
      {{"--vcard-map=Memo"}, "Option --vcard-map: \"Memo\" is not FIELD=PROPERTY.\n"},
      {{}, "Data record 1: a text holds non-ASCII bytes, and vCard is UTF-8."}};
  Values cafe = kAnna;
  cafe[18] = "Caf\x82";
  for (const auto& [args, message] : refusals) {
    std::vector<std::string> with = args;
    if (!args.empty()) with.push_back("--encoding=CP437");
    const fixture::RunResult r = Export(kEveryRole, {kSolo, cafe}, with);
    EXPECT_EQ(r.status, 1) << message;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(Holds(r.err, message));
  }
  ScratchDir dir;
  const fixture::RunResult book =
      RunKalvert(dir, {"-x" KALVERT_SOURCE_DIR "/examples/book.dat", "--format=vcf", "--encoding=EUC-JP", "-s1"});
  EXPECT_EQ(book.status, 1);
  EXPECT_TRUE(Holds(book.err,
                    "--format=vcf exports general databases (file types D and N), such as card files; this "
                    "file is an appointment book.\n"));
}

// Every field type back from the cards, both versions: the CSV export of the
// copy is the database's, names in both orders, code-page characters, notes
// with line breaks, a radio group, a time, fields under their own names.
std::vector<CardField> EveryType() {
  std::vector<CardField> fields = kEveryRole;
  // clang-format off
  fields.insert(fields.end(), {{kTime, "Call time"}, {kGroup, "Contact by"}, {kButton, "Phone", 1},
                               {kButton, "Letter", 2}, {kText, "Say \"hi\" ^"}});
  // clang-format on
  return fields;
}

// The database's records, exported as vCard and imported into its
// definitions alone: the copy's CSV export is the database's.
void ExpectRoundTrip(const std::vector<CardField>& fields, const std::vector<Values>& records) {
  ScratchDir dir;
  dir.Write("cards.dat", CardFile(fields, records));
  dir.Write("defs.dat", CardFile(fields, {}));
  const auto csv = [&dir](const char* db) {
    return RunKalvert(dir, {std::string("-x") + db, "--format=csv", "--encoding=CP437", "-s1"}).out;
  };
  for (const char* version : {"--vcard=3.0", "--vcard=4.0"}) {
    const fixture::RunResult out = RunKalvert(dir, {"-xcards.dat", "--format=vcf", "--encoding=CP437", version, "-s1"});
    ASSERT_EQ(out.status, 0) << out.err;
    dir.Write("cards.vcf", out.out);
    const fixture::RunResult in =
        RunKalvert(dir, {"-xdefs.dat", "-icards.vcf", "-onew.dat", "--format=vcf", "--encoding=CP437", "-s2"});
    EXPECT_EQ(fixture::Said(in), "\ncards.vcf: " + std::to_string(records.size()) +
                                     " card(s) added, 0 already in the database, 0 left out.\n")
        << version;
    EXPECT_EQ(csv("new.dat"), csv("cards.dat")) << version;
  }
}

// Generated card files: every field type, names in both orders and with
// titles, texts with the characters vCard escapes, line breaks and blanks at
// their ends, code-page characters, phone numbers a 3.0 TEL can't hold.
TEST(VCardImport, GeneratedCardFilesComeBackWhole) {
  const std::vector<CardField> fields = EveryType();
  // clang-format off
  const std::vector<std::string> names = {"Tom Smith", "Smith, Tom", "N\xA3\xA4" "ez, Se\xA4or", "Dr. Smith", "",
                                          "Mary Ann Lee Jr.", "Madonna"};
  // clang-format on
  const std::vector<std::string> texts = {"", "Caf\x82", "a, b; c\\d", "line\r\nbreak", " blank ", "x"};
  const std::vector<std::string> phones = {"", "+1 555 0100", "12\\34", " 07 ", "(03) 1234-5678"};
  const std::vector<std::string> dates = {std::string(3, '\xFF'), "\x46\x01\x02", std::string(3, '\0'), "\x7F\x0B\x1E"};
  std::mt19937 rng(7);
  const auto pick = [&rng](const std::vector<std::string>& pool) { return pool[rng() % pool.size()]; };
  std::vector<Values> records;
  for (int n = 0; n < 120; ++n) {
    Values v;
    for (const CardField& f : fields) {
      const bool bPhone = f.name.find("hone") != std::string::npos || f.name == "Business" || f.name == "Mobile" ||
                          f.name == "FAX" || f.name == "Pager";
      switch (f.type) {
        case kDate:
          v.push_back(pick(dates));
          break;
        case kNumber:
          v.push_back(std::to_string(rng() % 65536));
          break;
        case kTime:
          v.push_back(std::to_string(rng() % 2 ? 32768 : rng() % 1440));
          break;
        case kGroup:
          v.push_back(std::to_string(rng() % 3));
          break;
        case kButton:
          v.emplace_back();
          break;
        case kNote:
          v.push_back(pick({"", "one\r\ntwo", "Caf\x82\r\n\r\n"}));
          break;
        default:
          v.push_back(f.name == "&Name" ? pick(names) : bPhone ? pick(phones) : pick(texts));
      }
    }
    records.push_back(v);
  }
  ExpectRoundTrip(fields, records);
}

TEST(VCardImport, CardFilesComeBackWhole) {
  const std::vector<CardField> fields = EveryType();
  Values anna = kAnna, solo = kSolo, nunez(fields.size());
  anna.insert(anna.end(), {"615", "2", "", "", "x"});
  solo.insert(solo.end(), {"32768", "1", "", "", ""});
  nunez[0] =
      "N\xA3\xA4"
      "ez, Se\xA4or";  // CP437
  nunez[18] = "Caf\x82 au lait\r\n\r\nthird line";
  nunez[19] = nunez[20] = std::string(3, '\xFF');
  nunez[21] = "7";
  nunez[25] = "0";
  nunez[26] = "2";
  ScratchDir dir;
  dir.Write("cards.dat", CardFile(fields, {anna, solo, nunez}));
  dir.Write("defs.dat", CardFile(fields, {}));
  const auto csv = [&dir](const char* db) {
    return RunKalvert(dir, {std::string("-x") + db, "--format=csv", "--encoding=CP437", "-s1"}).out;
  };
  for (const char* version : {"--vcard=3.0", "--vcard=4.0"}) {
    dir.Write("cards.vcf", RunKalvert(dir, {"-xcards.dat", "--format=vcf", "--encoding=CP437", version, "-s1"}).out);
    const fixture::RunResult in =
        RunKalvert(dir, {"-xdefs.dat", "-icards.vcf", "-onew.dat", "--format=vcf", "--encoding=CP437", "-s2"});
    EXPECT_EQ(fixture::Said(in), "\ncards.vcf: 3 card(s) added, 0 already in the database, 0 left out.\n") << version;
    EXPECT_EQ(csv("new.dat"), csv("cards.dat")) << version;
    // Into the database they came from: nothing twice.
    const fixture::RunResult again =
        RunKalvert(dir, {"-xcards.dat", "-icards.vcf", "-onew.dat", "--format=vcf", "--encoding=CP437", "-s2"});
    EXPECT_EQ(fixture::Said(again), "\ncards.vcf: 0 card(s) added, 3 already in the database, 0 left out.\n");
  }
}

// What an old phone writes: 2.1 with quoted-printable over two lines,
// CHARSET=, parameters without names or quoted, a second e-mail address and a home
// phone the database has no field for (into the note), a photo (left out),
// a folded line, a blank line between the cards, a name in a character set
// the code page can't hold ('?' for each character: two kanji and a
// half-width katakana, U+FF71), a card with nothing for any field (left
// out).
TEST(VCardImport, OldPhonesAndWhatHasNoField) {
  const std::vector<CardField> fields = {
      {kGroup, "Category"}, {kButton, "Friend", 1}, {kButton, "Work", 2}, {kText, "Name"}, {kText, "Business"},
      {kText, "Mobile"},    {kText, "E-mail"},      {kText, "Address"},   {kNote, "Note"}, {kText, "Memo"},
      {kDate, "Birthday"},  {kText, "Memo"},        {kTime, "Call"}};
  ScratchDir dir;
  dir.Write("defs.dat", CardFile(fields, {}));
  dir.Write(
      "old.vcf",
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
      "TEL;WORK;VOICE:+49 30 1234\r\nTEL;TYPE=\"PREF,VOICE,CELL\":+49 170 1\r\nTEL;HOME:+49 30 9999\r\n"
      "X-KALVERT-FIELD;X-NAME=Memo:m1\r\nX-KALVERT-FIELD;X-NAME=Memo:m2\r\nX-KALVERT-FIELD;X-NAME=Call:10:15:30\r\n"
      "EMAIL;INTERNET:j@example.de\r\nitem1.EMAIL;INTERNET;X-NAME=\"No:where\":j2@exam\r\n\tple.de\r\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0A=\r\nZweite Zeile\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
      " /9j/4AAQSkZJRgABAQ\r\n AAAQABAAD\r\n\r\nX-CUSTOM;ENCODING=QUOTED-PRINTABLE:hello=21\r\n"
      "ADR;HOME:;;Hauptstr. 1;Berlin;;10115;Germany\r\nCATEGORIES:Family\r\nBDAY:1970-0a-03\r\nEND:VCARD\r\n\r\n"
      "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:Taro =8ER=93c=B1\r\n"
      "EMAIL:t@x.jp\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Tom;;Dr.\r\nCATEGORIES:work\r\n"
      "LABEL:1 Main St\r\nTEL;VALUE=uri;TYPE=cell:tel:+1-555-0102\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:nothing\r\nEND:VCARD\r\n");
  const fixture::RunResult r =
      RunKalvert(dir, {"-xdefs.dat", "-iold.vcf", "-onew.dat", "--format=vcf", "--encoding=CP437", "-s2"});
  EXPECT_EQ(fixture::Said(r),
            "\nWarning: old.vcf line 15 (card \"J\xC3\xBCrgen M\xC3\xBCller\"): PHOTO left out: the organiser keeps no "
            "pictures, sounds or keys.\n"
            "Warning: old.vcf line 37 (card \"\"): left out: nothing of the card has a field of the database.\n"
            "Warning: old.vcf line 9 (field Call): seconds dropped: the organiser keeps whole minutes.\n"
            "old.vcf: 3 card(s) added, 0 already in the database, 1 left out.\n"
            "Warning: 2 warning(s) about the cards of old.vcf, each named above.\n"
            "Warning: 1 value(s) of old.vcf were changed to fit the organiser (each named above).\n"
            "Warning: 3 character(s) of old.vcf that CP437 can't hold were written as '?'.\n");
  // The address's parts without a field of their own join its street; a
  // category that is none of the group's buttons goes to the note (a group
  // left empty shows its first button).
  EXPECT_EQ(RunKalvert(dir, {"-xnew.dat", "--format=csv", "--encoding=CP437", "-s1"}).out,
            "Category,Name,Business,Mobile,E-mail,Address,Note,Memo,Birthday,Memo 10,Call\r\n"
            "Friend,J\xC3\xBCrgen M\xC3\xBCller,+49 30 1234,+49 170 1,j@example.de,"
            "\"Hauptstr. 1, Berlin, 10115, Germany\",\"Erste Zeile\r\nZweite Zeile\r\nPhone (home): +49 30 9999\r\n"
            "E-mail: j2@example.de\r\nX-CUSTOM: hello!\r\nCategory: Family\r\nBirthday: "
            "1970-0a-03\",m1,,m2,10:15\r\nFriend,Taro ???,,,t@x.jp,,,,,,\r\n"
            "Work,Dr. Tom Smith,,+1-555-0102,,,LABEL: 1 Main St,,,,\r\n");  // a LABEL without ADR
  // A database without a field for the name keeps FN in the note.
  dir.Write("mail.dat", CardFile({{kNote, "Note"}, {kText, "E-mail"}}, {}));
  dir.Write("ann.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nEMAIL:a@b\r\nEND:VCARD\r\n");
  RunKalvert(dir, {"-xmail.dat", "-iann.vcf", "-oann.dat", "--format=vcf", "-s2"});
  EXPECT_EQ(RunKalvert(dir, {"-xann.dat", "--format=csv", "-s1"}).out, "Note,E-mail\r\nName: Ann,a@b\r\n");
}

// Refused with the line, the destination never made.
TEST(VCardImport, BrokenFilesAreRefusedWithTheirLine) {
  const std::vector<CardField> fields = {{kText, "Name"}, {kDate, "Birthday"}};
  const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
  std::string many;
  for (int i = 0; i < 4100; ++i) many += "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n";
  const std::pair<std::string, std::string> cases[] = {
      {"hello\r\n", "old.vcf line 1: not a vCard file: it does not begin with BEGIN:VCARD.\n"},
      {many, ": too many cards; the output database has room for "},
      {"", "old.vcf line 1: not a vCard file: it holds no BEGIN:VCARD.\n"},
      {card + "FN:A\r\n", "old.vcf line 1: BEGIN:VCARD has no END:VCARD.\n"},
      // Cut short in a value that goes on over lines.
      {card + "PHOTO;ENCODING=BASE64:AAAA\r\n", "old.vcf line 1: BEGIN:VCARD has no END:VCARD.\n"},
      {card + "NOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\n",
       "old.vcf line 3: a quoted-printable value with '=' before no two hex digits.\n"},
      {card + "FN:A\r\nEND:VCARD\r\nFN:B\r\n", "old.vcf line 5: a line between cards: FN:B.\n"},
      {card + "FN;ENCODING=QUOTED-PRINTABLE:A=ZZ\r\nEND:VCARD\r\n",
       "old.vcf line 3: a quoted-printable value with '=' before no two hex digits.\n"},
      // A NUL byte goes into no text: raw on a line the value goes on to, or decoded.
      {card + "FN;ENCODING=QUOTED-PRINTABLE:A=\r\n" + std::string("B\0C", 3) + "\r\nEND:VCARD\r\n",
       "old.vcf line 4: the line holds a NUL byte.\n"},
      {card + "FN;ENCODING=QUOTED-PRINTABLE:A=00B\r\nEND:VCARD\r\n",
       "old.vcf line 3: the value holds a NUL byte, which the organiser cannot store.\n"},
      {card + "FN:Caf\xE9\r\nEND:VCARD\r\n", "old.vcf line 3: the value is not UTF-8 and names no CHARSET.\n"},
      {card + "FN;CHARSET=X:A\r\nEND:VCARD\r\n",
       "old.vcf line 3: the value is not X text (or iconv does not know X).\n"},
      {card + "BEGIN:VCARD\r\n", "old.vcf line 3: BEGIN:VCARD inside the card of line 1.\n"},
      {card + "no colon\r\nEND:VCARD\r\n",
       "old.vcf line 3: not a content line (a name, then a colon and the value).\n"},
      {card + "FN:A\r\nBDAY:1965-02-30\r\nEND:VCARD\r\n", "old.vcf line 4 (field Birthday): "},
      {card + "FN:Caf\xC3\xA9\r\nEND:VCARD\r\n",
       "old.vcf line 3: the text holds non-ASCII characters, and the organiser's code page is not known."}};
  for (const auto& [text, message] : cases) {
    ScratchDir dir;
    dir.Write("defs.dat", CardFile(fields, {}));
    dir.Write("old.vcf", text);
    const fixture::RunResult r = RunKalvert(dir, {"-xdefs.dat", "-iold.vcf", "-onew.dat", "--format=vcf", "-s2"});
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_TRUE(Holds(r.err, message));
    EXPECT_FALSE(dir.Exists("new.dat")) << text;
  }
}

// A card with a note takes two records of the output (its data and its
// note): with the header and the two field definitions, 4091 records are
// left, 2045 such cards, or 4091 without notes. The note's slot is the
// first (offset 0). Both the CSV import and the vCard import count so.
TEST(VCardImport, CardsWithNotesTakeTwoRecordsOfTheRoom) {
  ScratchDir dir;
  dir.Write("defs.dat", CardFile({{kNote, "Note"}, {kText, "Name"}}, {}));
  // n cards, each with the note given, through the CSV import and the vCard import.
  const auto both = [&dir](int n, const std::string& note) {
    std::string csv = "Note,Name\r\n", vcf;
    for (int i = 0; i < n; ++i) {
      csv += note + ",A" + std::to_string(i) + "\r\n";
      vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A" + std::to_string(i) + (note.empty() ? "" : "\r\nNOTE:" + note) +
             "\r\nEND:VCARD\r\n";
    }
    dir.Write("in.csv", csv);
    dir.Write("in.vcf", vcf);
    return std::make_pair(RunKalvert(dir, {"-xdefs.dat", "-iin.csv", "-oc.dat", "--format=csv", "-s2"}),
                          RunKalvert(dir, {"-xdefs.dat", "-iin.vcf", "-ov.dat", "--format=vcf", "-s2"}));
  };
  // With a note a card takes two records: 2045 fit; without, one: 4091 fit.
  for (const auto& [n, note] : std::vector<std::pair<int, std::string>>{{2045, "x"}, {2046, "x"}, {4091, ""}}) {
    const auto [c, v] = both(n, note);
    EXPECT_EQ(std::make_pair(c.status, v.status), n == 2046 ? std::make_pair(1, 1) : std::make_pair(0, 0)) << n;
    if (n == 2046) {
      EXPECT_EQ(fixture::Said(c), "\nin.csv line 2047: too many rows; the output database has room for 2045.\n");
      EXPECT_TRUE(Holds(v.err, ": too many cards; the output database has room for 2045.\n"));
    }
  }
}

}  // namespace
