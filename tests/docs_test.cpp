// The README's commands run as printed, with the built kalvert first on PATH:
// the formats' examples, and the walk-through (export, edit, import into a
// copy).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "runner.h"

namespace {

using fixture::Holds, fixture::Slurp;

const std::string kSource = KALVERT_SOURCE_DIR;

// The last step of the walk-through, worked out by hand: the heading line and
// the example book's appointments with the two edits; the repeating class
// lost its two deleted occurrences (last column 0), the new item is the last date.
TEST(Docs, ReadmeWalkthroughMakesTheEditedCopy) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", Slurp(kSource + "/examples/book.dat"));
  // The block between the walk-through marks, without the marks and fences.
  const std::string cmd = "cd '" + dir.path() +
                          "' && sed -n '/^<!-- walkthrough begin/,/^<!-- walkthrough end/{/^[<`]/!p}' '" + kSource +
                          "/README.md' >walk.sh && PATH='" + std::filesystem::path(KALVERT_BIN).parent_path().string() +
                          "':\"$PATH\" bash -e walk.sh </dev/null >out.txt 2>err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Slurp(dir.Path("err.txt"));
  EXPECT_EQ(
      Slurp(dir.Path("out.txt")),
      "\"Description\",\"Date\",\"Start Time\",\"End Time\",\"Location\",\"End Date\",\"Note\"\n"
      "\"Tea ceremony class\",\"1999/04/05\",\"19:00\",\"21:00\",\"\xB2\xF1\xB5\xC4\xBC\xBC\",\"0\","
      "\"Bring:\\n- fan\\n- white socks\",\"1\",\"MON:WED\",\"0\",\"1999/04/05\",\"1999/12/31\",\"0\"\n"
      "\"\xA5\xAB\xA1\xBC\xA5\xC9\xBB\xD9\xCA\xA7\xA4\xA4\",\"1999/04/25\",\"NONE\",\"NONE\",\"\",\"0\",\"\","
      "\"1\",\"25\",\"0\",\"1999/01/25\",\"2000/12/25\",\"0\"\n"
      "\"Pay rent\",\"1999/04/05\",\"NONE\",\"NONE\",\"\",\"0\",\"\"\n"
      "\"Staff meeting\",\"1999/04/05\",\"09:00\",\"10:30\",\"Room 2\",\"0\",\"Agenda:\\n1. Budget\\n2. Rota\"\n"
      "\"\xBB\xF5\xB0\xE5\xBC\xD4\",\"1999/04/12\",\"15:00\",\"15:30\",\"\xB1\xD8\xC1\xB0\",\"0\",\"\"\n"
      "\"Dentist check-up\",\"1999/05/10\",\"16:00\",\"16:30\",\"Ekimae\",\"0\",\"Bring the\\ninsurance card\"\n");
  // Events come back exactly as exported, ToDo items too but for the count of
  // deleted occurrences of the repeating one (1, now 0).
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xnew.dat", "-s1", "-e"}).out, Slurp(dir.Path("events.csv")));
  std::string todo = Slurp(dir.Path("todo.csv"));
  todo.replace(todo.find("\"1\"\n\"Renew"), 3, "\"0\"");
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xnew.dat", "-s1", "-t"}).out, todo);
}

// Every command of the README's sections on the formats, in order, as a user
// runs them after `make install` in a folder holding the two books: the calendar program's
// import of the iCalendar export takes every item, and the last step, the
// CSV export read back with -m, gives the book the export came from.
TEST(Docs, ReadmeCommandsRunAsShown) {
  fixture::ScratchDir dir;
  dir.Write("book.dat", Slurp(kSource + "/examples/book.dat"));
  dir.Write("cards.dat", Slurp(kSource + "/examples/cards.dat"));
  const std::string bin = std::filesystem::path(KALVERT_BIN).parent_path().string();
  // The sh blocks before the legacy format's section, without the make
  // commands and the steps into a folder of one's own.
  const std::string cmd = "cd '" + dir.path() + "' && awk '/^## The legacy format/{exit} /^```sh/{on=1; next} " +
                          "/^```/{on=0} on' '" + kSource + "/README.md' | sed '/^make /d; /kalvert-try/d' " +
                          ">readme.sh && HOME='" + dir.path() + "' PATH='" + bin +
                          "':\"$PATH\" bash -e readme.sh </dev/null >out.txt 2>err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Slurp(dir.Path("err.txt"));
  const std::string script = Slurp(dir.Path("readme.sh"));
  EXPECT_TRUE(Holds(script, "calcurse -i book.ics"));
  EXPECT_TRUE(Holds(script, "-icards.vcf --format=vcf"));
  EXPECT_TRUE(Holds(Slurp(dir.Path("out.txt")), "3 apps / 5 events / 3 todos / 0 skipped"));
  EXPECT_EQ(fixture::RunKalvert(dir, {"-xnew.dat", "--format=csv", "--encoding=EUC-JP", "-s1"}).out,
            Slurp(dir.Path("book.csv")));
}

}  // namespace
