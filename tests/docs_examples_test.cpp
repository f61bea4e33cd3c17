// The bundled examples, worked out by hand from their recipes: they show what
// a user sees first. (That the committed files are up to date is checked by
// the examples.* tests of tools/.)
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runner.h"

namespace {

void PutExampleDatabases(const fixture::ScratchDir& dir) {
  for (const char* name : {"book.dat", "cards.dat"}) {
    std::ifstream in(std::string(KALVERT_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
    dir.Write(name, std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
}

}  // namespace

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
