// Byte-level recipes of the bundled example databases. Texts in Japanese are
// EUC-JP bytes written as escapes, so no editor can re-encode them.
#include "examples.h"

#include <string>

#include "dbbuilder.h"

namespace fixture {

namespace {

constexpr unsigned kNoTimeLo = 0x00;  // 0x8000: the organiser's "no time"
constexpr unsigned kNoTimeHi = 0x80;
constexpr int kNone = -1;

// EUC-JP texts (two bytes per character).
const std::string kDentist = "\xBB\xF5\xB0\xE5\xBC\xD4";                              // dentist
const std::string kStation = "\xB1\xD8\xC1\xB0";                                      // station square
const std::string kCardPayment = "\xA5\xAB\xA1\xBC\xA5\xC9\xBB\xD9\xCA\xA7\xA4\xA4";  // card payment
const std::string kHanami = "\xB2\xD6\xB8\xAB";                                       // blossom viewing
const std::string kPark = "\xBE\xE5\xCC\xEE\xB8\xF8\xB1\xE0";                         // a park
const std::string kTaxReturn = "\xC0\xC7\xB6\xE2\xA4\xCE\xBF\xBD\xB9\xF0";            // tax return
const std::string kMothersBirthday = "\xCA\xEC\xA4\xCE\xC3\xC2\xC0\xB8\xC6\xFC";      // mother's birthday
const std::string kMeetingRoom = "\xB2\xF1\xB5\xC4\xBC\xBC";                          // meeting room
const std::string kYamadaHanako = "\xBB\xB3\xC5\xC4 \xB2\xD6\xBB\xD2";                // a person's name
const std::string kTokyo = "\xC5\xEC\xB5\xFE\xC5\xD4";                                // Tokyo

void SetDate(unsigned& y, unsigned& m, unsigned& d, int year, int month, int day) {
  y = static_cast<unsigned>(year - 1900);
  m = static_cast<unsigned>(month - 1);
  d = static_cast<unsigned>(day - 1);
}

Appt Item(unsigned flags, int year, int month, int day, const std::string& description) {
  Appt a;
  a.cFlags = flags;
  SetDate(a.cYear, a.cMonth, a.cDay, year, month, day);
  a.description = description;
  return a;
}

Appt& NoTimes(Appt& a) {
  a.t1 = kNoTimeLo;
  a.t2 = kNoTimeHi;
  a.e1 = kNoTimeLo;
  a.e2 = kNoTimeHi;
  return a;
}

Appt& Links(Appt& a, int prev, int next) {
  a.prev = prev;
  a.next = next;
  return a;
}

// A ToDo item: priority in the start-time bytes, completion date (or none)
// in the end-time bytes and the lead-time day.
Appt ToDo(unsigned flags, int year, int month, int day, const std::string& description, char priority) {
  Appt a = Item(flags, year, month, day, description);
  a.t1 = static_cast<unsigned char>(priority);
  a.t2 = 0;
  a.e1 = a.e2 = a.lead = 0xFF;
  a.leadTime = 0xFF;
  return a;
}

// The repeat block: frequency, day rule, month rule, first and last date,
// and the raw deleted occurrences (4 bytes each).
void Repeat(Appt& a, int repeatType, int freq, int days, int months, int y0, int m0, int d0, int y1, int m1, int d1,
            const Bytes& deleted = Bytes()) {
  a.cRepeatType = repeatType;
  a.repeats = true;
  const int values[12] = {freq,        days & 0xFF, days >> 8, months & 0xFF,
                          months >> 8, y0 - 1900,   m0 - 1,    d0 - 1,
                          y1 - 1900,   m1 - 1,      d1 - 1,    static_cast<int>(deleted.size() / 4)};
  for (int i = 0; i < 12; ++i) a.ria[i] = static_cast<unsigned char>(values[i]);
  a.deleted = deleted;
}

Bytes Text(const std::string& s) { return Bytes().str(s); }

// Both examples were last saved on 1999/04/01 at noon.
DbFile NewDatabase(unsigned char fileType) {
  DbFile db(fileType);
  db.header.cYear = 99;
  db.header.cMonth = 3;
  db.header.cDay = 0;
  db.header.iMinute = 12 * 60;
  return db;
}

}  // namespace

std::vector<unsigned char> BuildExampleBook() {
  DbFile db = NewDatabase('2');

  // Field definitions: their names and types make the heading lines of the
  // three layouts (appointments, events, ToDo items).
  struct Def {
    unsigned type;
    const char* name;
  };
  const Def defs[] = {{2, "&Description"}, {19, "&Date"},     {7, "&Start Time"}, {7, "&End Time"}, {2, "Lo&cation"},
                      {23, "End Dat&e"},   {8, "Co&mpleted"}, {22, "&Priority"},  {10, "&Note"}};
  int id = 0;
  for (const Def& d : defs) {
    db.Add(6, 0, id, FieldDefBody(d.type, static_cast<unsigned>(id + 1), 0, 0, 0, 0, d.name));
    ++id;
  }

  // Data records 0..11 in file order; each note record follows its item.
  // prev/next are the organiser's own chain links: one chain per date of
  // the plain items, one chain over all other items.
  Appt r0 = Item(0x87, 1999, 4, 5, "Staff meeting");
  r0.start(9 * 60 + 30).end(10 * 60 + 30);
  r0.location = "Room 2";
  r0.note = 0;
  Links(r0, 2, kNone);
  db.Add(11, 0, 0, r0.Encode());
  db.Add(9, 0, 0, Text("Agenda:\r\n1. Budget\r\n2. Rota"));

  Appt r1 = Item(0x81, 1999, 4, 12, kDentist);
  r1.start(15 * 60).end(15 * 60 + 30);
  r1.location = kStation;
  Links(r1, kNone, kNone);
  db.Add(11, 0, 1, r1.Encode());

  Appt r2 = Item(0x86, 1999, 4, 5, "Pay rent");
  NoTimes(r2);
  Links(r2, kNone, 0);
  db.Add(11, 0, 2, r2.Encode());

  Appt r3 = Item(0x87, 1999, 4, 5, "Tea ceremony class");
  r3.start(19 * 60).end(21 * 60);
  r3.location = kMeetingRoom;
  r3.note = 1;
  Repeat(r3, 4, 1, 0x85, 0, 1999, 4, 5, 1999, 12, 31, Bytes().u8(99).u8(4).u8(28).u8(0).u8(99).u8(7).u8(10).u8(0));
  Links(r3, 10, 8);
  db.Add(11, 0, 3, r3.Encode());
  db.Add(9, 0, 1, Text("Bring:\r\n- fan\r\n- white socks"));

  Appt r4 = Item(0x87, 1999, 4, 25, kCardPayment);
  NoTimes(r4);
  Repeat(r4, 8, 1, 25, 0, 1999, 1, 25, 2000, 12, 25);
  Links(r4, 8, 6);
  db.Add(11, 0, 4, r4.Encode());

  Appt r5 = Item(0x26, 1999, 4, 3, kHanami);
  NoTimes(r5);
  r5.location = kPark;
  r5.note = 2;
  Links(r5, kNone, kNone);
  db.Add(11, 0, 5, r5.Encode());
  db.Add(9, 0, 2, Text("Sheet, tea,\r\nrice balls"));

  Appt r6 = Item(0x26, 1999, 4, 29, "Golden Week");
  NoTimes(r6);
  r6.iEndDate = 5;
  Links(r6, 4, 7);
  db.Add(11, 0, 6, r6.Encode());

  Appt r7 = Item(0x26, 1999, 5, 12, kMothersBirthday);
  NoTimes(r7);
  Repeat(r7, 16, 1, 12, 0x10, 1999, 5, 12, 2010, 5, 12);
  Links(r7, 6, 11);
  db.Add(11, 0, 7, r7.Encode());

  Appt r8 = ToDo(0x14, 1999, 4, 10, "Renew passport", '1');
  r8.note = 3;
  Links(r8, 3, 4);
  db.Add(11, 0, 8, r8.Encode());
  db.Add(9, 0, 3, Text("Photos:\r\n2 copies, 45x35 mm"));

  Appt r9 = ToDo(0x16, 1999, 3, 15, kTaxReturn, '2');
  SetDate(r9.e1, r9.e2, r9.lead, 1999, 3, 12);
  Links(r9, kNone, 10);
  db.Add(11, 0, 9, r9.Encode());

  Appt r10 = ToDo(0x14, 1999, 4, 3, "Water the plants", '3');
  Repeat(r10, 4, 1, 0xA0, 0, 1999, 4, 3, 1999, 9, 25, Bytes().u8(99).u8(4).u8(30).u8(0));
  Links(r10, 9, 3);
  db.Add(11, 0, 10, r10.Encode());

  // No date: sorts after every dated item and falls outside every date range.
  Appt r11 = ToDo(0x14, 1999, 1, 1, "Sort old letters", '3');
  r11.cYear = r11.cMonth = r11.cDay = 0xFF;
  Links(r11, 7, kNone);
  db.Add(11, 0, 11, r11.Encode());

  // Chain record 0: 17 bytes the organiser keeps for itself, the first item
  // of the other chain (9), the number of dates (3), two more bytes.
  Bytes chain0;
  chain0.u8(1).u8(0).le16(12).zeros(13).le16(9).le16(3).zeros(2);
  db.Add(14, 0, 0, chain0);
  // Chain record 1: each date of the plain items with its first record.
  Bytes chain1;
  chain1.u8(99).u8(3).u8(2).le16(5);
  chain1.u8(99).u8(3).u8(4).le16(2);
  chain1.u8(99).u8(3).u8(11).le16(1);
  chain1.u8('Z').u8(0).u8(0).u8(0xFF).u8(0xFF);
  db.Add(14, 0, 1, chain1);

  db.Add(10, 0, 0, Bytes());
  return db.Finish();
}

namespace {

// Slots of the card file's fixed area, in definition order.
constexpr int kSlotName = 0, kSlotCompany = 2, kSlotPhone = 4, kSlotEmail = 6, kSlotAddress = 8, kSlotKind = 10,
              kSlotMemo = 12, kSlotFriend = 14, kSlotBusiness = 16, kSlotCall = 18, kSlotBirthday = 20,
              kSlotContact = 23, kSlotNote = 25;
constexpr int kFixedArea = 27;

struct Card {
  std::string texts[7];  // name, company, phone, e-mail, address, kind, memo
  int friendFlag = 0, business = 0;
  unsigned callLo = kNoTimeLo, callHi = kNoTimeHi;
  unsigned by = 0xFF, bm = 0xFF, bd = 0xFF;
  int contact = 1;
  int note = 0xFFFF;

  Card& Call(int minutes) {
    callLo = static_cast<unsigned>(minutes) & 0xFF;
    callHi = static_cast<unsigned>(minutes) >> 8;
    return *this;
  }
  Card& Birthday(int y, int m, int d) {
    SetDate(by, bm, bd, y, m, d);
    return *this;
  }

  // Fixed area, its closing NUL, then the non-empty texts; a text slot holds
  // the offset of its text, an empty text points at the NUL.
  Bytes Encode() const {
    Bytes area, texts_;
    const int slots[7] = {kSlotName, kSlotCompany, kSlotPhone, kSlotEmail, kSlotAddress, kSlotKind, kSlotMemo};
    area.zeros(kFixedArea);
    auto put16 = [&area](int at, int v) {
      area.v[static_cast<std::size_t>(at)] = static_cast<unsigned char>(v & 0xFF);
      area.v[static_cast<std::size_t>(at) + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    };
    for (int i = 0; i < 7; ++i) {
      if (texts[i].empty()) {
        put16(slots[i], kFixedArea);
      } else {
        put16(slots[i], kFixedArea + 1 + static_cast<int>(texts_.size()));
        texts_.cstr(texts[i]);
      }
    }
    put16(kSlotFriend, friendFlag);
    put16(kSlotBusiness, business);
    area.v[kSlotCall] = static_cast<unsigned char>(callLo);
    area.v[kSlotCall + 1] = static_cast<unsigned char>(callHi);
    area.v[kSlotBirthday] = static_cast<unsigned char>(by);
    area.v[kSlotBirthday + 1] = static_cast<unsigned char>(bm);
    area.v[kSlotBirthday + 2] = static_cast<unsigned char>(bd);
    put16(kSlotContact, contact);
    put16(kSlotNote, note);
    return Bytes().bytes(area).u8(0).bytes(texts_);
  }
};

}  // namespace

std::vector<unsigned char> BuildExampleCards() {
  DbFile db = NewDatabase('D');

  struct Def {
    unsigned type;
    int offset;
    unsigned flags;
    unsigned reserved1;
    const char* name;
  };
  const Def defs[] = {
      {2, kSlotName, 0x20, 0, "&Name"},
      {3, kSlotCompany, 0x20, 0, "&Company"},
      {4, kSlotPhone, 0x20, 0, "&Phone"},
      {5, kSlotEmail, 0x20, 0, "E-&mail"},
      {6, kSlotAddress, 0x20, 0, "&Address"},
      {13, kSlotKind, 0x20, 0, "&Kind"},
      {15, kSlotMemo, 0x20, 0, "Me&mo"},
      {0, kSlotFriend, 0, 0, "&Friend"},
      {1, kSlotBusiness, 0, 0, "&Business"},
      {7, kSlotCall, 0, 0, "Call &time"},
      {8, kSlotBirthday, 0, 0, "Birth&day"},
      {11, kSlotContact, 0, 0, "Contact &by"},
      {9, kSlotContact, 0, 1, "By &phone"},
      {9, kSlotContact, 0, 2, "By &letter"},
      {9, kSlotContact, 0, 3, "By e-ma&il"},
      {10, kSlotNote, 0, 0, "&Note"},
      {12, 0, 0, 0, "Link"},
      {14, 0, 0, 0, "Page"},
  };
  int id = 0;
  for (const Def& d : defs) {
    db.Add(6, 0, id, FieldDefBody(d.type, static_cast<unsigned>(id + 1), d.offset, d.flags, d.reserved1, 0, d.name));
    ++id;
  }

  Card c0;
  c0.texts[0] = kYamadaHanako;
  c0.texts[1] = "Sakura Trading";
  c0.texts[2] = "03-1234-5678";
  c0.texts[3] = "hanako@example.jp";
  c0.texts[4] = kTokyo + " Chiyoda 1-1";
  c0.texts[5] = "Customer";
  c0.texts[6] = "Prefers mornings";
  c0.business = 1;
  c0.Call(10 * 60 + 15).Birthday(1965, 7, 20);
  c0.contact = 3;
  c0.note = 0;
  db.Add(9, 0, 0, Text("Met at the trade fair.\r\nSend the catalogue."));
  db.Add(11, 0, 0, c0.Encode());

  Card c1;
  c1.texts[0] = "John Smith";
  c1.texts[2] = "+44 20 7946 0000";
  c1.texts[5] = "Friend";
  c1.friendFlag = 5;
  c1.contact = 1;
  db.Add(11, 0, 1, c1.Encode());

  Card c2;
  c2.texts[0] = "Keiko Tanaka";
  c2.texts[1] = "Tanaka & Sons";
  c2.texts[2] = "06-9876-5432";
  c2.texts[3] = "keiko@example.jp";
  c2.texts[4] = "Osaka, Kita-ku 2-3";
  c2.texts[5] = "Supplier";
  c2.friendFlag = 1;
  c2.business = 1;
  c2.Call(18 * 60 + 40).Birthday(1972, 12, 1);
  c2.contact = 2;
  c2.note = 1;
  db.Add(9, 0, 1, Text("Call after 6 pm.\r\nClosed on Wednesdays."));
  db.Add(11, 0, 2, c2.Encode());

  db.Add(10, 0, 0, Bytes());
  return db.Finish();
}

}  // namespace fixture
