// The README's walk-through (export, edit, import into a copy) is run here
// command by command, exactly as printed between its walkthrough markers,
// with the built kalvert first on PATH; then the copy it made is checked.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runner.h"

namespace {

const std::string kSource = KALVERT_SOURCE_DIR;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The shell commands of the fenced block between the two markers.
std::string WalkthroughScript(const std::string& readme) {
  const std::string begin = "<!-- walkthrough begin -->";
  const std::string end = "<!-- walkthrough end -->";
  const std::size_t b = readme.find(begin);
  const std::size_t e = readme.find(end);
  if (b == std::string::npos || e == std::string::npos || e < b) return "";
  const std::string block = readme.substr(b + begin.size(), e - b - begin.size());
  const std::size_t open = block.find("```sh\n");
  const std::size_t close = block.rfind("```");
  if (open == std::string::npos || close == std::string::npos || close <= open) return "";
  return block.substr(open + 6, close - open - 6);
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Walk {
  int status = -1;
  std::string out;
  std::string err;
};

Walk RunScript(const fixture::ScratchDir& dir, const std::string& script) {
  dir.Write("walkthrough.sh", script);
  const std::string bindir = std::filesystem::path(KALVERT_BIN).parent_path().string();
  const std::string cmd = "cd " + Quote(dir.path()) + " && PATH=" + Quote(bindir) +
                          ":\"$PATH\" bash -e walkthrough.sh </dev/null >.out 2>.err";
  const int rc = std::system(cmd.c_str());
  Walk w;
  w.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  w.out = Slurp(dir.Path(".out"));
  w.err = Slurp(dir.Path(".err"));
  return w;
}

std::string Text(const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); }

// Appointments of the copy, worked out by hand: the example book's
// appointments with the walk-through's two edits; the repeating class lost
// its two deleted occurrences (last column 0), the new item is the last date.
const std::string kEditedAppointments =
    "\"Tea ceremony class\",\"1999/04/05\",\"19:00\",\"21:00\",\"\xB2\xF1\xB5\xC4\xBC\xBC\",\"0\","
    "\"Bring:\\n- fan\\n- white socks\",\"1\",\"MON:WED\",\"0\",\"1999/04/05\",\"1999/12/31\",\"0\"\n"
    "\"\xA5\xAB\xA1\xBC\xA5\xC9\xBB\xD9\xCA\xA7\xA4\xA4\",\"1999/04/25\",\"NONE\",\"NONE\",\"\",\"0\",\"\","
    "\"1\",\"25\",\"0\",\"1999/01/25\",\"2000/12/25\",\"0\"\n"
    "\"Pay rent\",\"1999/04/05\",\"NONE\",\"NONE\",\"\",\"0\",\"\"\n"
    "\"Staff meeting\",\"1999/04/05\",\"09:00\",\"10:30\",\"Room 2\",\"0\",\"Agenda:\\n1. Budget\\n2. Rota\"\n"
    "\"\xBB\xF5\xB0\xE5\xBC\xD4\",\"1999/04/12\",\"15:00\",\"15:30\",\"\xB1\xD8\xC1\xB0\",\"0\",\"\"\n"
    "\"Dentist check-up\",\"1999/05/10\",\"16:00\",\"16:30\",\"Ekimae\",\"0\",\"Bring the\\ninsurance card\"\n";

}  // namespace

TEST(DocsWalkthrough, ReadmeCommandsRunAndMakeTheEditedCopy) {
  const std::string script = WalkthroughScript(Slurp(kSource + "/README.md"));
  ASSERT_NE(script.find("kalvert -x"), std::string::npos) << "no walk-through block found in README.md";

  fixture::ScratchDir dir;
  const std::string book = Slurp(kSource + "/examples/book.dat");
  ASSERT_FALSE(book.empty());
  dir.Write("book.dat", std::vector<unsigned char>(book.begin(), book.end()));

  const Walk w = RunScript(dir, script);
  ASSERT_EQ(w.status, 0) << w.err;

  // The original is untouched and no temporary output file is left behind.
  EXPECT_EQ(Text(dir.Read("book.dat")), book);
  for (const std::string& name : dir.List()) EXPECT_EQ(name.find(".kalvert-"), std::string::npos) << name;

  // Step 4 prints the heading line and the edited appointments.
  EXPECT_EQ(w.out,
            "\"Description\",\"Date\",\"Start Time\",\"End Time\",\"Location\",\"End Date\",\"Note\"\n" +
                kEditedAppointments);

  const fixture::RunResult appts = fixture::RunKalvert(dir, {"-xnew.dat", "-s1"});
  ASSERT_EQ(appts.status, 0) << appts.err;
  EXPECT_EQ(appts.out, kEditedAppointments);

  // Events come back exactly as exported; ToDo items too, except that the
  // watering item's deleted occurrence is not carried (last column 1 -> 0).
  const fixture::RunResult events = fixture::RunKalvert(dir, {"-xnew.dat", "-s1", "-e"});
  ASSERT_EQ(events.status, 0) << events.err;
  EXPECT_EQ(events.out, Text(dir.Read("events.csv")));

  const fixture::RunResult todo = fixture::RunKalvert(dir, {"-xnew.dat", "-s1", "-t"});
  ASSERT_EQ(todo.status, 0) << todo.err;
  std::string expectedTodo = Text(dir.Read("todo.csv"));
  const std::string before = "\"1999/04/03\",\"1999/09/25\",\"1\"\n";
  const std::size_t at = expectedTodo.find(before);
  ASSERT_NE(at, std::string::npos) << expectedTodo;
  expectedTodo.replace(at, before.size(), "\"1999/04/03\",\"1999/09/25\",\"0\"\n");
  EXPECT_EQ(todo.out, expectedTodo);
}
