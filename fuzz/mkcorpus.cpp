// Writes the seed corpora of the fuzz targets from the test tree's byte-level
// builder: mkcorpus <folder> fills <folder>/<target>/ for every target.
// Seeds are small and valid (or nearly so) so that the fuzzer starts deep in
// the program instead of at the signature check.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "examples.h"
#include "optionsets.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

void Put(const fs::path& folder, const std::string& name, const Bytes& bytes) {
  fs::create_directories(folder);
  std::FILE* f = std::fopen((folder / name).string().c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    std::perror(name.c_str());
    std::exit(1);
  }
  std::fclose(f);
}

Bytes WithLead(unsigned char lead, const Bytes& rest) {
  Bytes b{lead};
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

Bytes WithLead(unsigned char lead, const std::string& rest) { return WithLead(lead, Bytes(rest.begin(), rest.end())); }

// A book of one appointment that repeats, with two deleted occurrences.
Bytes RepeatingBook() {
  fixture::DbFile db('2');
  db.Add(6, 0, 0, fixture::FieldDefBody(1, 1, 0, 0, 0, 0, std::string("Description\0", 12)));
  fixture::Appt a;
  a.description = "weekly";
  a.start(9 * 60).end(10 * 60);
  a.repeats = true;
  const unsigned char ria[12] = {2, 0x85, 1, 0xFF, 0x0F, 100, 0, 0, 101, 11, 30, 2};
  for (int i = 0; i < 12; ++i) a.ria[i] = ria[i];
  a.deleted.le32(0x00010064).le32(0x00020064);
  db.Add(11, 0, 0, a.Encode());
  return db.Finish();
}

// A general database with one text field and one record.
Bytes SmallCards() {
  fixture::DbFile db('D');
  db.Add(6, 0, 0, fixture::FieldDefBody(7, 1, 2, 0, 0, 0, std::string("Name\0", 5)));
  fixture::Bytes rec;
  rec.le16(0).le16(4).cstr("Ann");
  db.Add(11, 0, 0, rec);
  return db.Finish();
}

const char* const kBookCsv[] = {
    "\"Lunch\",\"2000/01/02\",\"12:00\",\"13:00\",\"Cafe\",\"note\\nline\",\"0\"\n",
    ("\"Gym\",\"2000/01/03\",\"18:00\",\"NONE\",\"\",\"0\",\"\",\"2\",\"1th/MON:WED\",\"JAN:FEB:DEC\","
     "\"2000/01/03\",\"2000/12/31\",\"1\"\n"),
    ("\"Tea\",\"1999/04/05\",\"19:00\",\"21:00\",\"\",\"0\",\"Bring:\\n- fan\",\"1\",\"MON:WED\",\"0\","
     "\"1999/04/05\",\"1999/12/31\",\"2\"\n"),
    "\"Pay\",\"2000/02/01\",\"1\",\"2000/02/05\",\"note\"\n",
    ("\"Water\",\"1999/04/03\",\"0\",\"\",\"3\",\"\",\"1\",\"SAT\",\"0\",\"1999/04/03\",\"1999/09/25\","
     "\"1\"\n"),
    "\"\xBB\xF5\xB0\xE5\xBC\xD4\xBB\xF5\xB0\xE5\xBC\xD4\",\"1999/12/31\",\"\",\"\",\"\xB1\xD8\xC1\xB0\",\"\",\"3\"\n",
    "plain,2000/1/1,9:00,10:00,here,,0\n",
};

const char* const kCardsCsv[] = {
    "\"Ann\",\"Smith\",\"12:30\",\"2000/01/02\",\"1\"\n",
    ("\"Keiko\",\"Tanaka\",\"06-9876\",\"k@example.jp\",\"Osaka\",\"Supplier\",\"\",\"1\",\"1\",\"18:40\","
     "\"1972/12/01\",\"0\",\"1\",\"0\",\"Call.\\nClosed.\"\n"),
    "\"a,b\",\"\",\"x\"\n\"second\"\n",
    "one\ttwo\tthree\n",
};

// Standard CSV of the appointment book as the export writes it: every
// column, quotes only where needed, CR LF; one row of each kind and repeat
// rule, deleted occurrences, notes with line breaks, commas and quotes.
constexpr char kStdBook[] =
    "kind,description,date,start,end,days,location,category,alarm,lead,month_view,week_view,priority,completed,"
    "completed_on,carry,other_flags,repeat,every,weekdays,weeks,day_of_month,months,repeat_from,repeat_until,"
    "deleted,note\r\n"
    "appointment,Staff meeting,1999-04-05,09:30,10:30,,Room 2,Work,yes,15,yes,no,,,,,,none,,,,,,,,,\"Agenda:\r\n"
    "1. Budget, \"\"draft\"\"\r\n2. Rota\"\r\n"
    "appointment,Tea ceremony class,1999-04-05,19:00,21:00,,,,no,5,yes,yes,,,,,,weekly,1,MON;WED,,,,1999-04-05,"
    "1999-12-31,1999-04-12;1999-04-14,\"Bring:\n- fan\"\r\n"
    "appointment,Card payment,1999-04-25,,,,,,no,5,yes,yes,,,,,,monthly,1,,,25,,1999-01-25,2000-12-25,,\r\n"
    "appointment,Club night,1999-05-07,20:00,,,,,no,5,yes,yes,,,,,,monthly,2,FRI,first;last,,,1999-05-07,,,\r\n"
    "event,Golden Week,1999-04-29,,,5,,Holiday,no,5,yes,yes,,,,,,none,,,,,,,,,\r\n"
    "event,Mother's birthday,1999-05-12,,,,,,yes,1440,yes,yes,,,,,,yearly,1,,,12,MAY,1999-05-12,2010-05-12,,\r\n"
    "event,Year end,1999-10-29,,,,,,no,5,yes,yes,,,,,,custom,,FRI,last,,OCT;DEC,1999-10-01,,,\r\n"
    "todo,Water the plants,1999-04-03,,,,,,,,,,3,no,,yes,,weekly,1,SAT,,,,1999-04-03,1999-09-25,"
    "1999-04-10 done;1999-05-01,\r\n"
    "todo,Renew passport,1999-04-10,,,7,,,,,,,A1,yes,1999-04-12,no,,none,,,,,,,,,\"Photos:\r\n2 copies, 45x35 mm\"\r\n"
    "todo,Daily log,2000-02-29,,,,,,,3,,,,,,,,daily,3,,,,,2000-02-29,2000-03-31,,\r\n";

// As a spreadsheet saves a few columns: every field quoted, other names and
// order, LF line ends, and Japanese texts in UTF-8 (one description longer
// than the organiser's field).
constexpr char kSheetBook[] =
    "\"Date\",\"Description\",\"Kind\",\"Start\",\"End\",\"Location\",\"Note\"\n"
    "\"1999/4/5\",\"\xE6\xAD\xAF\xE5\x8C\xBB\xE8\x80\x85\",\"Appointment\",\"9:00\",\"9:30\","
    "\"\xE9\xA7\x85\xE5\x89\x8D\",\"two\nlines\"\n"
    "\"1999-12-31\",\"\xE5\xA4\xA7\xE6\x99\xA6\xE6\x97\xA5\xE5\xA4\xA7\xE6\x99\xA6\xE6\x97\xA5"
    "\xE5\xA4\xA7\xE6\x99\xA6\xE6\x97\xA5\xE5\xA4\xA7\xE6\x99\xA6\xE6\x97\xA5\xE5\xA4\xA7\xE6\x99"
    "\xA6\xE6\x97\xA5\xE5\xA4\xA7\xE6\x99\xA6\xE6\x97\xA5\",\"event\",\"\",\"\",\"Tokyo, Ueno "
    "\xE5\x85\xAC\xE5\x9C\x92\",\"\"\"quoted\"\"\"\n"
    "\"2000-01-01\",\"Year start\",\"TODO\",\"\",\"\",\"\",\"\"\n";

// Latin letters that the Western code pages hold and the Japanese ones do not.
constexpr char kLatinBook[] = "date,description,location\r\n2000-01-01,caf\xC3\xA9 \xC3\xBC\xC3\xB1,Z\xC3\xBCrich\r\n";

// The card file's columns (the export's header), as the export writes them.
constexpr char kStdCards[] =
    "Name,Company,Phone,E-mail,Address,Kind,Memo,Friend,Business,Call time,Birthday,Contact by,Note\r\n"
    "John Smith,,+44 20 7946 0000,,,Friend,,5,0,,,By phone,\r\n"
    "Keiko Tanaka,Tanaka & Sons,06-9876-5432,keiko@example.jp,\"Osaka, Kita-ku 2-3\",Supplier,,1,1,18:40,"
    "1972-12-01,By letter,\"Call after 6 pm.\r\nClosed on Wednesdays.\"\r\n"
    "\xE5\xB1\xB1\xE7\x94\xB0 \xE8\x8A\xB1\xE5\xAD\x90,Sakura Trading,03-1234-5678,,,Customer,"
    "Prefers mornings,0,1,10:15,1965-07-20,By e-mail,\"Met at the fair.\nSend the catalogue.\"\r\n";

// The card file's columns quoted, in another order and case, LF.
constexpr char kSheetCards[] =
    "\"note\",\"NAME\",\"birthday\",\"contact by\",\"Company\",\"phone\",\"e-mail\",\"address\",\"kind\","
    "\"memo\",\"friend\",\"business\",\"call time\"\n"
    "\"a \"\"b\"\"\",\"Ann\",\"2000/1/2\",\"By phone\",\"\",\"\",\"\",\"\",\"\",\"\",\"yes\",\"no\","
    "\"9:05\"\n"
    "\"\",\"Bob\",\"\",\"\",\"Acme, Inc.\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n";

// A calendar of each kind of component, zones, rules held and not, a moved
// occurrence, a checked-off one and texts outside ASCII.
// Cards of 3.0, 4.0 and 2.1: every property the table knows, a field under
// its own name, quoted-printable over two lines, CHARSET=, a BASE64 photo.
constexpr char kCards[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:1\r\nFN:Tanaka\\, Keiko\r\nN:Tanaka;Keiko;;;\r\nORG:Tanaka & Sons;Sales\r\n"
    "TEL;TYPE=WORK,VOICE:06-9876-5432\r\nTEL;TYPE=CELL:090\r\nEMAIL;TYPE=INTERNET:keiko@example.jp\r\n"
    "ADR:;;Kita-ku 2-3;Osaka;;530;Japan\r\nBDAY:1972-12-01\r\nCATEGORIES:Supplier\r\n"
    "NOTE:Call after 6 pm.\\nClosed on Wednesdays.\r\nX-KALVERT-FIELD;X-NAME=Call time:18:40\r\n"
    "X-KALVERT-FIELD;X-NAME=\"Contact by\":By letter\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:2\r\nFN:\xE5\xB1\xB1\xE7\x94\xB0 \xE8\x8A\xB1\xE5\xAD\x90\r\n"
    "TEL;TYPE=\"home,voice\";VALUE=uri:tel:+81-3-1234\r\nBDAY:19650720\r\nURL:http://example.jp/\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
    "TEL;WORK;VOICE:+49 30 1234\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=\r\nb\r\n"
    "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n /9j/4AAQ\r\n\r\nX-OTHER:x\r\nEND:VCARD\r\n";

constexpr char kCalendar[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//seed//EN\r\n"
    "BEGIN:VEVENT\r\nUID:a\r\nDTSTART;TZID=America/New_York:20260310T090000\r\nDURATION:PT1H\r\n"
    "RRULE:FREQ=WEEKLY;BYDAY=TU,TH;COUNT=6\r\nEXDATE;TZID=America/New_York:20260312T090000\r\n"
    "SUMMARY:Caf\xC3\xA9 \xF0\x9F\x8E\x89\r\nCATEGORIES:a\\,b,c\r\nBEGIN:VALARM\r\nTRIGGER:-PT15M\r\n"
    "END:VALARM\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a\r\nRECURRENCE-ID;TZID=America/New_York:20260317T090000\r\n"
    "DTSTART:20260317T150000Z\r\nSUMMARY:moved\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20260130\r\n"
    "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1\r\nSUMMARY:pay\r\nEND:VEVENT\r\n"
    "BEGIN:VTODO\r\nUID:c\r\nDTSTART;VALUE=DATE:20260105\r\nRRULE:FREQ=YEARLY;BYMONTH=1,7;BYDAY=-1SU\r\n"
    "PRIORITY:3\r\nDESCRIPTION:one\\ntwo\r\nSUMMARY:todo\r\nEND:VTODO\r\n"
    "BEGIN:VTODO\r\nUID:c\r\nRECURRENCE-ID;VALUE=DATE:20260125\r\nSTATUS:COMPLETED\r\nEND:VTODO\r\n"
    "END:VCALENDAR\r\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mkcorpus <folder>\n");
    return 2;
  }
  const fs::path root(argv[1]);
  const Bytes book = fixture::BuildExampleBook();
  const Bytes cards = fixture::BuildExampleCards();
  const Bytes small[] = {RepeatingBook(), SmallCards()};

  // run_db: every option set over each database.
  for (unsigned lead = 0; lead < 14; ++lead) {
    Put(root / "run_db", "book-" + std::to_string(lead), WithLead(static_cast<unsigned char>(lead), book));
    Put(root / "run_db", "cards-" + std::to_string(lead), WithLead(static_cast<unsigned char>(lead), cards));
  }
  Put(root / "run_db", "repeating", WithLead(0, small[0]));
  Put(root / "run_db", "smallcards", WithLead(6, small[1]));

  // modern_db: every option set over each database.
  for (unsigned lead = 0; lead < fuzzsets::ModernDb().size(); ++lead) {
    const std::string tail = std::to_string(lead);
    Put(root / "modern_db", "book-" + tail, WithLead(static_cast<unsigned char>(lead), book));
    Put(root / "modern_db", "cards-" + tail, WithLead(static_cast<unsigned char>(lead), cards));
    Put(root / "modern_db", "repeating-" + tail, WithLead(static_cast<unsigned char>(lead), small[0]));
  }
  Put(root / "modern_db", "smallcards", WithLead(5, small[1]));

  int n = 0;
  for (const char* line : kBookCsv) {
    for (unsigned lead = 0; lead < 8; lead += 3) {
      Put(root / "import_book", "line-" + std::to_string(n++), WithLead(static_cast<unsigned char>(lead), line));
    }
  }
  n = 0;
  for (const char* line : kCardsCsv) {
    for (unsigned lead = 0; lead < 5; lead += 2) {
      Put(root / "import_cards", "line-" + std::to_string(n++), WithLead(static_cast<unsigned char>(lead), line));
    }
  }

  // import_stdcsv: the book's files under its sets (0-6), the card file's
  // under its sets (7-11); each also with a byte order mark, with LF line
  // ends, and with CR line ends.
  const std::string bom = "\xEF\xBB\xBF";
  const auto variants = [&bom](const std::string& text) {
    std::string lf;
    std::string cr;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text.compare(i, 2, "\r\n") == 0) continue;
      lf += text[i];
      cr += text[i] == '\n' ? '\r' : text[i];
    }
    return std::vector<std::string>{text, bom + text, lf, cr};
  };
  n = 0;
  for (const char* text : {kStdBook, kSheetBook, kLatinBook}) {
    for (const std::string& v : variants(text)) {
      for (unsigned lead = 0; lead < 7; ++lead) {
        Put(root / "import_stdcsv", "book-" + std::to_string(n++), WithLead(static_cast<unsigned char>(lead), v));
      }
    }
  }
  n = 0;
  for (const char* text : {kStdCards, kSheetCards}) {
    for (const std::string& v : variants(text)) {
      for (unsigned lead = 7; lead < 12; ++lead) {
        Put(root / "import_stdcsv", "cards-" + std::to_string(n++), WithLead(static_cast<unsigned char>(lead), v));
      }
    }
  }

  // import_ics: the calendar under each set, and cut short.
  for (unsigned lead = 0; lead < 4; ++lead) {
    const std::string text(kCalendar);
    Put(root / "import_ics", "calendar-" + std::to_string(lead), WithLead(static_cast<unsigned char>(lead), text));
    Put(root / "import_ics", "cut-" + std::to_string(lead),
        WithLead(static_cast<unsigned char>(lead), text.substr(0, text.size() / 2)));
  }

  // import_vcf: the cards under each set, and cut short.
  for (unsigned lead = 0; lead < fuzzsets::ImportVcf().size(); ++lead) {
    const std::string text(kCards);
    Put(root / "import_vcf", "cards-" + std::to_string(lead), WithLead(static_cast<unsigned char>(lead), text));
    Put(root / "import_vcf", "cut-" + std::to_string(lead),
        WithLead(static_cast<unsigned char>(lead), text.substr(0, text.size() / 2)));
  }

  // codec: code page, limit, text (the organiser's bytes or UTF-8).
  n = 0;
  const char* const texts[] = {
      "Staff meeting, Room 2",
      "\xBB\xF5\xB0\xE5\xBC\xD4 \xB1\xD8\xC1\xB0",                                       // EUC-JP
      "\x8E\x95\x88\xE3\x8E\xD2 \x89\x77\x91\x4F",                                       // CP932
      "caf\x82 \x81\x9A\xA4",                                                            // CP437
      "\xE6\xAD\xAF\xE5\x8C\xBB\xE8\x80\x85 caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",  // UTF-8
  };
  for (unsigned page = 0; page < 7; ++page) {
    for (const char* text : texts) {
      for (unsigned char limit : {0, 5, 19, 51}) {
        Bytes b{static_cast<unsigned char>(page), limit};
        b.insert(b.end(), text, text + std::string(text).size());
        Put(root / "codec", "text-" + std::to_string(n++), b);
      }
    }
  }

  // csv_fields: column number, quote mode, cut length, text.
  n = 0;
  for (const char* line : kBookCsv) {
    const std::string text(line);
    Put(root / "csv_fields", "field-" + std::to_string(n++), Bytes{2, 0, 1, 5});
    Bytes b{static_cast<unsigned char>(n % 7 + 1), 0, static_cast<unsigned char>(n % 3), 51};
    b.insert(b.end(), text.begin(), text.end());
    Put(root / "csv_fields", "field-" + std::to_string(n++), b);
  }
  for (const char* rule : {"2th/MON:WED:SUN", "JAN:FEB:MAR:DEC:NOV", "15"}) {
    Bytes b{0x85, 0x01, 1, 19};
    b.insert(b.end(), rule, rule + std::string(rule).size());
    Put(root / "csv_fields", "rule-" + std::to_string(n++), b);
  }
  return 0;
}
