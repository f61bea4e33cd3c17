// The bundled examples: the committed databases must be exactly what the
// byte-level recipes build, and every committed export listed in
// examples/exports.txt must be what the program writes for it today.
// KALVERT_WRITE_EXAMPLES=1 rewrites the committed files instead of checking.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "examples.h"
#include "runner.h"

namespace {

const std::string kExamples = std::string(KALVERT_SOURCE_DIR) + "/examples/";

bool Rewriting() {
  const char* v = std::getenv("KALVERT_WRITE_EXAMPLES");
  return v && std::string(v) == "1";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string AsText(const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); }

// Checks a committed file against what it should hold, or rewrites it.
void CheckOrWrite(const std::string& name, const std::string& expected) {
  const std::string path = kExamples + name;
  if (Rewriting()) {
    Spit(path, expected);
    return;
  }
  const std::string committed = Slurp(path);
  ASSERT_FALSE(committed.empty()) << path << " is missing; run the docs tests with KALVERT_WRITE_EXAMPLES=1";
  std::size_t i = 0;
  while (i < committed.size() && i < expected.size() && committed[i] == expected[i]) ++i;
  EXPECT_TRUE(committed == expected) << name << " differs from what it should hold, first at byte " << i
                                     << " (committed " << committed.size() << " bytes, expected "
                                     << expected.size() << ")";
}

struct Export {
  std::string file;
  std::vector<std::string> args;
};

// examples/exports.txt: one export a line, "FILE ARG...", '#' starts a comment.
std::vector<Export> ReadExportList() {
  std::ifstream in(kExamples + "exports.txt");
  std::vector<Export> list;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Export e;
    words >> e.file;
    for (std::string a; words >> a;) e.args.push_back(a);
    list.push_back(e);
  }
  return list;
}

void PutExampleDatabases(const fixture::ScratchDir& dir) {
  dir.Write("book.dat", fixture::BuildExampleBook());
  dir.Write("cards.dat", fixture::BuildExampleCards());
}

}  // namespace

TEST(DocsExamples, CommittedDatabasesMatchTheirRecipes) {
  CheckOrWrite("book.dat", AsText(fixture::BuildExampleBook()));
  CheckOrWrite("cards.dat", AsText(fixture::BuildExampleCards()));
}

TEST(DocsExamples, CommittedExportsAreWhatTheProgramWrites) {
  const std::vector<Export> list = ReadExportList();
  ASSERT_GE(list.size(), 8u) << "examples/exports.txt lists too few exports";
  fixture::ScratchDir dir;
  PutExampleDatabases(dir);
  for (const Export& e : list) {
    SCOPED_TRACE(e.file);
    const fixture::RunResult r = fixture::RunKalvert(dir, e.args);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_FALSE(r.out.empty());
    CheckOrWrite(e.file, r.out);
  }
}

// The examples are meant to show each kind of item; worked out by hand from
// the recipes: appointments only by default, the other chain (repeating
// items) first, then date by date with the timeless item heading its date.
TEST(DocsExamples, BookExportsItsAppointmentsInChainOrder) {
  fixture::ScratchDir dir;
  PutExampleDatabases(dir);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xbook.dat", "-s1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "\"Tea ceremony class\",\"1999/04/05\",\"19:00\",\"21:00\",\"\xB2\xF1\xB5\xC4\xBC\xBC\",\"0\","
            "\"Bring:\\n- fan\\n- white socks\",\"1\",\"MON:WED\",\"0\",\"1999/04/05\",\"1999/12/31\",\"2\"\n"
            "\"\xA5\xAB\xA1\xBC\xA5\xC9\xBB\xD9\xCA\xA7\xA4\xA4\",\"1999/04/25\",\"NONE\",\"NONE\",\"\",\"0\",\"\","
            "\"1\",\"25\",\"0\",\"1999/01/25\",\"2000/12/25\",\"0\"\n"
            "\"Pay rent\",\"1999/04/05\",\"NONE\",\"NONE\",\"\",\"0\",\"\"\n"
            "\"Staff meeting\",\"1999/04/05\",\"09:30\",\"10:30\",\"Room 2\",\"0\",\"Agenda:\\n1. Budget\\n2. Rota\"\n"
            "\"\xBB\xF5\xB0\xE5\xBC\xD4\",\"1999/04/12\",\"15:00\",\"15:30\",\"\xB1\xD8\xC1\xB0\",\"0\",\"\"\n");
}

// One line per card: 15 columns (the group start, link and page fields print
// nothing), flag word 5 shown as 1, "&" dropped, empty time and date.
TEST(DocsExamples, CardsExportOneLinePerCard) {
  fixture::ScratchDir dir;
  PutExampleDatabases(dir);
  const fixture::RunResult r = fixture::RunKalvert(dir, {"-xcards.dat", "-s1", "-h"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "\"Name\",\"Company\",\"Phone\",\"E-mail\",\"Address\",\"Kind\",\"Memo\",\"Friend\",\"Business\","
            "\"Call time\",\"Birthday\",\"By phone\",\"By letter\",\"By e-mail\",\"Note\"\n"
            "\"\xBB\xB3\xC5\xC4 \xB2\xD6\xBB\xD2\",\"Sakura Trading\",\"03-1234-5678\",\"hanako@example.jp\","
            "\"\xC5\xEC\xB5\xFE\xC5\xD4 Chiyoda 1-1\",\"Customer\",\"Prefers mornings\",\"0\",\"1\",\"10:15\","
            "\"1965/07/20\",\"0\",\"0\",\"1\",\"Met at the trade fair.\\nSend the catalogue.\"\n"
            "\"John Smith\",\"\",\"+44 20 7946 0000\",\"\",\"\",\"Friend\",\"\",\"1\",\"0\",\"\",\"\",\"1\",\"0\","
            "\"0\",\"\"\n"
            "\"Keiko Tanaka\",\"Tanaka  Sons\",\"06-9876-5432\",\"keiko@example.jp\",\"Osaka, Kita-ku 2-3\","
            "\"Supplier\",\"\",\"1\",\"1\",\"18:40\",\"1972/12/01\",\"0\",\"1\",\"0\","
            "\"Call after 6 pm.\\nClosed on Wednesdays.\"\n");
}
