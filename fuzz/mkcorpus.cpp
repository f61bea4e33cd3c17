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
