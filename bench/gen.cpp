// kalvert_gen: writes benchmark inputs from a seed, byte by byte from the file
// layouts (through the test fixture builder, never the program's writers):
//
//   kalvert_gen book    N SEED FILE   appointment book of N items (half with
//                                     notes, a third repeating with deleted
//                                     occurrences)
//   kalvert_gen varied  N SEED FILE   appointment book of N items with every
//                                     kind, repeat rule and flag, categories,
//                                     long alarm leads, two-character
//                                     priorities, checked-off occurrences and
//                                     notes full of quotes, commas, &, #,
//                                     CR LF and lone LF
//   kalvert_gen defs          FILE    appointment book holding only its
//                                     definition records (import target)
//   kalvert_gen csv     N SEED FILE [all|half|none] [appt|todo] [DATES]
//                                     N CSV lines in the export's layout,
//                                     with notes on all, half or none; with
//                                     DATES, every line on one of that many
//                                     dates (many items share each date)
//   kalvert_gen general N SEED FILE   card file (general database) of N
//                                     records, half with notes
//   kalvert_gen gcsv    N SEED FILE   N CSV lines for that card file
//   kalvert_gen scsv    BYTES SEED FILE [rows|notes|commas]
//                                     about BYTES of standard CSV: items as
//                                     the export writes them, 2000 items
//                                     with long notes, or one line of commas
//
// The same seed gives the same bytes on every machine: only the 32-bit
// Mersenne twister's raw output is used, never a library distribution.
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "dbbuilder.h"

namespace {

using fixture::Appt;
using fixture::Bytes;
using fixture::DbFile;

class Rng {
 public:
  explicit Rng(unsigned long seed) : mt_(static_cast<std::mt19937::result_type>(seed)) {}
  // 0 .. n-1 (n small: the modulo bias does not matter here).
  int Below(int n) { return static_cast<int>(mt_() % static_cast<unsigned long>(n)); }
  int Pick(std::initializer_list<int> values) { return values.begin()[Below(static_cast<int>(values.size()))]; }
  template <std::size_t K>
  const char* Pick(const char* const (&words)[K]) {
    return words[Below(static_cast<int>(K))];
  }

 private:
  std::mt19937 mt_;
};

const char* const kSubjects[] = {"Staff meeting",
                                 "Dentist",
                                 "Lunch with Ken",
                                 "Budget review",
                                 "Pay rent",
                                 "Tea ceremony class",
                                 "Call the bank",
                                 "Flight to Osaka",
                                 "Piano lesson",
                                 "Project kick-off",
                                 "Car inspection",
                                 "Parents' evening",
                                 "Gym",
                                 "Quarterly report",
                                 "Library books due",
                                 "Haircut"};
const char* const kDetails[] = {"",    " (room 2)",    " - bring slides", " with Yamada",
                                " #2", " & follow-up", " at 3rd floor",   ""};
const char* const kPlaces[] = {"",
                               "",
                               "Office",
                               "Room 2",
                               "Station square",
                               "Head office",
                               "Cafe Mori",
                               "Clinic",
                               "\xB2\xF1\xB5\xC4\xBC\xBC" /* meeting room, EUC-JP */};
const char* const kNotes[] = {"Agenda:\r\n1. Budget\r\n2. Rota",
                              "Bring the contract.",
                              "Photos:\r\n2 copies",
                              "Call back before noon.\r\nAsk for Mr Sato.",
                              "Room booked under Kalvert team.",
                              "\xB2\xD6\xB8\xAB\r\nSheet, tea, rice balls"};
const char* const kWeekdays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

struct Date {
  int year, month, day;  // 1999.., 1..12, 1..28
};

Date RandomDate(Rng& rng) { return Date{1999 + rng.Below(3), 1 + rng.Below(12), 1 + rng.Below(28)}; }

std::string Description(Rng& rng) { return std::string(rng.Pick(kSubjects)) + rng.Pick(kDetails); }

// One generated item, before it becomes a record or a CSV line.
struct Item {
  enum Kind { kAppt, kEvent, kTodo } kind = kAppt;
  unsigned flags = 0x87;
  Date date{};
  int start = -1, end = -1;  // minutes; -1 none
  int endDate = 0;
  std::string description, location, note, category;
  char priority = '1';
  char priority2 = 0;
  int lead = 5;        // appointments and events: alarm lead in minutes
  int doneStatus = 0;  // status byte of the deleted occurrences
  bool completed = false;
  Date done{};
  // Repeat rule (repeatType 1: none).
  int repeatType = 1, freq = 0, days = 0, months = 0;
  Date first{}, last{};
  int deleted = 0;
};

Item MakeItem(Rng& rng, long index, int notesEvery) {
  Item it;
  const int k = rng.Below(10);
  it.kind = k < 6 ? Item::kAppt : k < 8 ? Item::kEvent : Item::kTodo;
  it.date = RandomDate(rng);
  it.description = Description(rng);
  if (notesEvery > 0 && index % notesEvery == 0) it.note = rng.Pick(kNotes);
  switch (it.kind) {
    case Item::kAppt:
      it.flags = 0x80u + static_cast<unsigned>(rng.Below(8));
      it.start = 7 * 60 + 15 * rng.Below(48);
      it.end = it.start + 30 * (1 + rng.Below(4));
      it.location = rng.Pick(kPlaces);
      break;
    case Item::kEvent:
      it.flags = 0x26;
      if (rng.Below(4) == 0) it.endDate = 1 + rng.Below(6);  // a multi-day event
      it.location = rng.Pick(kPlaces);
      break;
    case Item::kTodo:
      it.priority = static_cast<char>('1' + rng.Below(3));
      it.completed = rng.Below(3) == 0;
      it.flags = it.completed ? 0x16 : 0x14;
      it.done = RandomDate(rng);
      break;
  }
  if (index % 3 == 1) {
    it.freq = 1 + rng.Below(2);
    switch (rng.Below(4)) {
      case 0:  // every day or every few days
        it.repeatType = 2;
        break;
      case 1:  // a weekday set
        it.repeatType = 4;
        it.days = 0x80 | (1 << rng.Below(7)) | (1 << rng.Below(7));
        break;
      case 2:  // the nth weekday of the month
        it.repeatType = 8;
        it.days = 0x80 | ((1 + rng.Below(4)) << 8) | (1 << rng.Below(7));
        break;
      default:  // a day of chosen months
        it.repeatType = 16;
        it.days = 1 + rng.Below(28);
        it.months = 1 + rng.Below(0xFFF);
        break;
    }
    it.first = it.date;
    it.last = Date{it.date.year + 1, it.date.month, it.date.day};
    it.deleted = 1 + rng.Below(3);
  }
  return it;
}

const char* const kOddNotes[] = {"Say \"hi\", Tom\r\nTanaka & Sons #2", "one\r\ntwo,\ttab", "a\r\n\r\nc \"q\"",
                                 "Agenda:\r\n1. Budget\r\n2. Rota"};
const char* const kCategories[] = {"", "Work", "Home & garden", "\"VIP\", #1"};

// Every repeat kind (custom too), every flag bit of each kind, weeks of the
// month as bits (the last week included), leads of hours and days.
Item MakeVariedItem(Rng& rng, long index) {
  Item it = MakeItem(rng, index, 0);
  it.note = index % 4 == 3 ? std::string() : rng.Pick(kOddNotes);
  it.category = rng.Pick(kCategories);
  if (index % 5 == 0) it.description += ", \"quoted\"";
  const unsigned bits = static_cast<unsigned>(rng.Below(8));
  switch (it.kind) {
    case Item::kAppt:
      it.lead = rng.Pick({5, 90, 2880});
      if (rng.Below(4) == 0) it.end = -1;
      break;
    case Item::kEvent:
      it.flags = 0x20u + bits;
      it.lead = rng.Pick({0, 5, 600});
      break;
    case Item::kTodo:
      it.flags = 0x10u + bits;
      it.completed = (bits & 2) != 0;
      if (rng.Below(2)) it.priority2 = 'A';
      it.doneStatus = index % 2;
      break;
  }
  if (it.repeatType == 8) it.days = 0x80 | ((1 << rng.Below(5)) << 8) | (1 << rng.Below(7));
  if (it.repeatType == 16 && index % 2 == 0) {
    it.repeatType = 32;  // custom: every year in the months of its rule, whatever its count
    it.freq = rng.Pick({0, 1, 2});
  }
  return it;
}

std::vector<Item> MakeItems(long n, unsigned long seed, int notesEvery) {
  Rng rng(seed);
  std::vector<Item> items;
  items.reserve(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) items.push_back(MakeItem(rng, i, notesEvery));
  return items;
}

void SetDate(unsigned& y, unsigned& m, unsigned& d, const Date& date) {
  y = static_cast<unsigned>(date.year - 1900);
  m = static_cast<unsigned>(date.month - 1);
  d = static_cast<unsigned>(date.day - 1);
}

Appt Encode(const Item& it, int noteNum) {
  Appt a;
  a.cFlags = it.flags;
  SetDate(a.cYear, a.cMonth, a.cDay, it.date);
  a.description = it.description;
  a.note = noteNum;
  a.iEndDate = it.endDate;
  a.category = it.category;
  if (it.kind == Item::kTodo) {
    a.t1 = static_cast<unsigned char>(it.priority);
    a.t2 = static_cast<unsigned char>(it.priority2);
    if (it.completed) {
      SetDate(a.e1, a.e2, a.lead, it.done);
    } else {
      a.e1 = a.e2 = a.lead = 0xFF;
    }
    a.leadTime = 0xFF;
  } else {
    a.location = it.location;
    a.lead = static_cast<unsigned>(it.lead & 0xFF);
    a.leadTime = static_cast<unsigned>(it.lead >> 8);
    if (it.start >= 0) {
      a.start(it.start).end(it.end >= 0 ? it.end : 0x8000);
    } else {
      a.t1 = a.e1 = 0x00;  // 0x8000: the organiser's "no time"
      a.t2 = a.e2 = 0x80;
    }
  }
  if (it.repeatType > 1) {
    a.cRepeatType = it.repeatType;
    a.repeats = true;
    const int v[12] = {it.freq,
                       it.days & 0xFF,
                       it.days >> 8,
                       it.months & 0xFF,
                       it.months >> 8,
                       it.first.year - 1900,
                       it.first.month - 1,
                       it.first.day - 1,
                       it.last.year - 1900,
                       it.last.month - 1,
                       it.last.day - 1,
                       it.deleted};
    for (int i = 0; i < 12; ++i) a.ria[i] = static_cast<unsigned char>(v[i]);
    for (int i = 0; i < it.deleted; ++i) {
      a.deleted.u8(static_cast<unsigned>(it.first.year - 1900))
          .u8(static_cast<unsigned>(it.first.month - 1))
          .u8(static_cast<unsigned>(i * 7))
          .u8(static_cast<unsigned>(it.doneStatus));
    }
  }
  return a;
}

// The field definitions of an appointment book; their names make the heading
// lines of the three layouts.
void AddBookDefinitions(DbFile& db) {
  struct Def {
    unsigned type;
    const char* name;
  };
  const Def defs[] = {{2, "&Description"}, {19, "&Date"},     {7, "&Start Time"}, {7, "&End Time"}, {2, "Lo&cation"},
                      {23, "End Dat&e"},   {8, "Co&mpleted"}, {22, "&Priority"},  {10, "&Note"}};
  int id = 0;
  for (const Def& d : defs) {
    db.Add(6, 0, id, fixture::FieldDefBody(d.type, static_cast<unsigned>(id + 1), 0, 0, 0, 0, d.name));
    ++id;
  }
}

// The organiser's own chain records: record 0 (23 bytes, first item of the
// flat chain unknown here) and record 1 with only its end entry. The program
// rebuilds both when it writes a book.
void AddChainRecords(DbFile& db) {
  db.Add(14, 0, 0, Bytes().u8(1).u8(0).le16(12).zeros(13).le16(-1).le16(0).zeros(2));
  db.Add(14, 0, 1, Bytes().u8('Z').u8(0).u8(0).u8(0xFF).u8(0xFF));
}

std::vector<unsigned char> Book(const std::vector<Item>& items) {
  DbFile db('2');
  AddBookDefinitions(db);
  int noteNum = 0;
  int dataNum = 0;
  for (const Item& it : items) {
    const bool hasNote = !it.note.empty();
    db.Add(11, 0, dataNum++, Encode(it, hasNote ? noteNum : -1).Encode());
    if (hasNote) db.Add(9, 0, noteNum++, Bytes().str(it.note));
  }
  AddChainRecords(db);
  db.Add(10, 0, 0, Bytes());
  return db.Finish();
}

std::vector<unsigned char> DefinitionsOnly() {
  DbFile db('2');
  AddBookDefinitions(db);
  db.Add(10, 0, 0, Bytes());
  return db.Finish();
}

std::string DateText(const Date& d) {
  char b[32];
  std::snprintf(b, sizeof b, "%04d/%02d/%02d", d.year, d.month, d.day);
  return b;
}

std::string TimeText(int minutes) {
  if (minutes < 0) return "NONE";
  char b[16];
  std::snprintf(b, sizeof b, "%02d:%02d", minutes / 60, minutes % 60);
  return b;
}

// A note in a CSV column: each line break as backslash and n.
std::string NoteText(const std::string& note) {
  std::string out;
  for (std::size_t i = 0; i < note.size(); ++i) {
    if (note[i] == '\r' && i + 1 < note.size() && note[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else {
      out += note[i];
    }
  }
  return out;
}

std::string DayRuleText(int days) {
  if (days <= 128) return std::to_string(days);
  std::string out;
  if (days >> 8) out = std::to_string(days >> 8) + "th/";
  bool firstName = true;
  for (int i = 0; i < 7; ++i) {
    if (!(days & (1 << i))) continue;
    if (!firstName) out += ':';
    out += kWeekdays[i];
    firstName = false;
  }
  return out;
}

std::string MonthRuleText(int months) {
  static const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                      "JUL", "AUG", "SEP", "OCT", "DEC", "NOV"};
  if (months == 0) return "0";
  std::string out;
  for (int i = 0; i < 12; ++i) {
    if (!(months & (1 << i))) continue;
    if (!out.empty()) out += ':';
    out += names[i];
  }
  return out;
}

std::string Quoted(const std::vector<std::string>& cols) {
  std::string line;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (i) line += ',';
    line += '"' + cols[i] + '"';
  }
  return line + '\n';
}

std::vector<std::string> RepeatColumns(const Item& it) {
  if (it.repeatType <= 1) return {"0", "", "0", "", ""};
  return {std::to_string(it.freq), DayRuleText(it.days), MonthRuleText(it.months), DateText(it.first),
          DateText(it.last)};
}

std::string ApptLine(const Item& it) {
  const bool timed = it.start >= 0 && it.kind == Item::kAppt;
  std::vector<std::string> cols = {it.description,
                                   DateText(it.date),
                                   TimeText(timed ? it.start : -1),
                                   TimeText(timed ? it.end : -1),
                                   it.location,
                                   std::to_string(it.endDate),
                                   NoteText(it.note)};
  for (std::string& c : RepeatColumns(it)) cols.push_back(std::move(c));
  return Quoted(cols);
}

std::string TodoLine(const Item& it) {
  std::vector<std::string> cols = {it.description,
                                   DateText(it.date),
                                   std::to_string(it.endDate),
                                   it.completed ? DateText(it.done) : std::string(),
                                   std::string(1, it.priority),
                                   NoteText(it.note)};
  for (std::string& c : RepeatColumns(it)) cols.push_back(std::move(c));
  return Quoted(cols);
}

std::string Csv(long n, unsigned long seed, const std::string& notes, bool todo, int dates) {
  const int every = notes == "all" ? 1 : notes == "half" ? 2 : 0;
  std::string text;
  long i = 0;
  for (Item& it : MakeItems(n, seed, every)) {
    if (dates > 0) {
      const int d = static_cast<int>(i++ % dates);
      it.date = Date{2021 + d / 336, 1 + d / 28 % 12, 1 + d % 28};
    }
    text += todo ? TodoLine(it) : ApptLine(it);
  }
  return text;
}

// A standard CSV field, in double quotes when it holds a comma, a quote or a
// line break.
std::string StdField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (const char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + '"';
}

// About `bytes` of standard CSV for the appointment book: "rows", items as
// the export writes them (half with notes) until the size is reached;
// "notes", 2000 rows whose notes make up the size (2000 items and their
// notes fill a book's lookup table); "commas", one line of commas after the
// header.
std::string StdCsv(long bytes, unsigned long seed, const std::string& shape) {
  std::string text = "kind,description,date,start,end,location,note\r\n";
  if (shape == "commas") return text + std::string(static_cast<std::size_t>(bytes), ',') + "\r\n";
  Rng rng(seed);
  const long n = shape == "notes" ? 2000 : bytes / 60;
  const std::size_t noteBytes = shape == "notes" ? static_cast<std::size_t>(bytes / n) : 0;
  static const char* const kKinds[] = {"appointment", "event", "todo"};
  for (long i = 0; static_cast<long>(text.size()) < bytes && (shape != "notes" || i < n); ++i) {
    Item it = MakeItem(rng, i, 2);
    if (noteBytes) it.note = std::string(noteBytes, 'n');
    const bool timed = it.kind == Item::kAppt && it.start >= 0;
    text += std::string(kKinds[it.kind]) + ',' + StdField(it.description) + ',' + DateText(it.date) + ',' +
            (timed ? TimeText(it.start) : "") + ',' + (timed ? TimeText(it.end) : "") + ',' + StdField(it.location) +
            ',' + StdField(it.note) + "\r\n";
  }
  return text;
}

// The card file: name, company and phone (indirect texts), a flag word, a
// call time, a birthday and a note link, slots in definition order.
constexpr int kSlotName = 0, kSlotCompany = 2, kSlotPhone = 4, kSlotFriend = 6, kSlotCall = 8, kSlotBirthday = 10,
              kSlotNote = 13, kFixedArea = 15;

const char* const kNames[] = {"Hanako Yamada", "John Smith", "Keiko Tanaka", "Ken Sato", "Mari Ito", "Paul Kent"};
const char* const kCompanies[] = {"", "Sakura Trading", "Tanaka & Sons", "Mori Cafe", "Head office"};

struct Card {
  std::string name, company, phone, note;
  int friendFlag = 0;
  int call = -1;
  Date birthday{};
};

std::vector<Card> MakeCards(long n, unsigned long seed) {
  Rng rng(seed);
  std::vector<Card> cards;
  for (long i = 0; i < n; ++i) {
    Card c;
    c.name = std::string(rng.Pick(kNames)) + " " + std::to_string(i);
    c.company = rng.Pick(kCompanies);
    c.phone = "03-" + std::to_string(1000 + rng.Below(9000)) + "-" + std::to_string(1000 + rng.Below(9000));
    c.friendFlag = rng.Below(2);
    if (rng.Below(2)) c.call = 60 * (8 + rng.Below(12)) + 15 * rng.Below(4);
    c.birthday = Date{1940 + rng.Below(60), 1 + rng.Below(12), 1 + rng.Below(28)};
    if (i % 2 == 0) c.note = rng.Pick(kNotes);
    cards.push_back(std::move(c));
  }
  return cards;
}

Bytes CardBody(const Card& c, int noteNum) {
  Bytes area, texts;
  area.zeros(kFixedArea);
  auto put16 = [&area](int at, int v) {
    area.v[static_cast<std::size_t>(at)] = static_cast<unsigned char>(v & 0xFF);
    area.v[static_cast<std::size_t>(at) + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
  };
  const std::pair<int, const std::string*> textSlots[] = {
      {kSlotName, &c.name}, {kSlotCompany, &c.company}, {kSlotPhone, &c.phone}};
  for (const auto& [slot, text] : textSlots) {
    if (text->empty()) {
      put16(slot, kFixedArea);
    } else {
      put16(slot, kFixedArea + 1 + static_cast<int>(texts.size()));
      texts.cstr(*text);
    }
  }
  put16(kSlotFriend, c.friendFlag);
  put16(kSlotCall, c.call >= 0 ? c.call : 0x8000);
  area.v[kSlotBirthday] = static_cast<unsigned char>(c.birthday.year - 1900);
  area.v[kSlotBirthday + 1] = static_cast<unsigned char>(c.birthday.month - 1);
  area.v[kSlotBirthday + 2] = static_cast<unsigned char>(c.birthday.day - 1);
  put16(kSlotNote, noteNum);
  return Bytes().bytes(area).u8(0).bytes(texts);
}

std::vector<unsigned char> General(long n, unsigned long seed) {
  DbFile db('D');
  struct Def {
    unsigned type;
    int offset;
    unsigned flags;
    const char* name;
  };
  const Def defs[] = {{2, kSlotName, 0x20, "&Name"},   {3, kSlotCompany, 0x20, "&Company"},
                      {4, kSlotPhone, 0x20, "&Phone"}, {0, kSlotFriend, 0, "&Friend"},
                      {7, kSlotCall, 0, "Call &time"}, {8, kSlotBirthday, 0, "Birth&day"},
                      {10, kSlotNote, 0, "&Note"}};
  int id = 0;
  for (const Def& d : defs) {
    db.Add(6, 0, id, fixture::FieldDefBody(d.type, static_cast<unsigned>(id + 1), d.offset, d.flags, 0, 0, d.name));
    ++id;
  }
  int noteNum = 0;
  int dataNum = 0;
  for (const Card& c : MakeCards(n, seed)) {
    // The organiser stores a record's note in front of it.
    const bool hasNote = !c.note.empty();
    if (hasNote) db.Add(9, 0, noteNum, Bytes().str(c.note));
    db.Add(11, 0, dataNum++, CardBody(c, hasNote ? noteNum++ : 0xFFFF));
  }
  db.Add(10, 0, 0, Bytes());
  return db.Finish();
}

std::string GeneralCsv(long n, unsigned long seed) {
  std::string text;
  for (const Card& c : MakeCards(n, seed)) {
    text += Quoted({c.name, c.company, c.phone, std::to_string(c.friendFlag), c.call >= 0 ? TimeText(c.call) : "",
                    DateText(c.birthday), NoteText(c.note)});
  }
  return text;
}

bool WriteFile(const char* path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

int Usage() {
  std::fputs(
      "usage: kalvert_gen book N SEED FILE | varied N SEED FILE | defs FILE | csv N SEED FILE [all|half|none] "
      "[appt|todo] [DATES]\n"
      "                   | general N SEED FILE | gcsv N SEED FILE | scsv BYTES SEED FILE [rows|notes|commas]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string what = argv[1];
  if (what == "defs") {
    const auto bytes = DefinitionsOnly();
    return WriteFile(argv[2], bytes.data(), bytes.size()) ? 0 : 1;
  }
  if (argc < 5) return Usage();
  const long n = std::strtol(argv[2], nullptr, 10);
  const unsigned long seed = std::strtoul(argv[3], nullptr, 10);
  const char* path = argv[4];
  if (n < 0) return Usage();
  if (what == "varied") {
    Rng rng(seed);
    std::vector<Item> items;
    for (long i = 0; i < n; ++i) items.push_back(MakeVariedItem(rng, i));
    const auto bytes = Book(items);
    return WriteFile(path, bytes.data(), bytes.size()) ? 0 : 1;
  }
  if (what == "book" || what == "general") {
    const auto bytes = what == "book" ? Book(MakeItems(n, seed, 2)) : General(n, seed);
    return WriteFile(path, bytes.data(), bytes.size()) ? 0 : 1;
  }
  if (what == "scsv") {
    const std::string text = StdCsv(n, seed, argc > 5 ? argv[5] : "rows");
    return WriteFile(path, text.data(), text.size()) ? 0 : 1;
  }
  if (what == "csv" || what == "gcsv") {
    const std::string notes = argc > 5 ? argv[5] : "half";
    const bool todo = argc > 6 && std::string(argv[6]) == "todo";
    const int dates = argc > 7 ? std::atoi(argv[7]) : 0;
    const std::string text = what == "csv" ? Csv(n, seed, notes, todo, dates) : GeneralCsv(n, seed);
    return WriteFile(path, text.data(), text.size()) ? 0 : 1;
  }
  return Usage();
}
