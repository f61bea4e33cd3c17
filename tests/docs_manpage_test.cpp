// The manual page: it must format without a single warning, and it must
// still cover every option and every message a user can meet.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string kPage = std::string(KALVERT_SOURCE_DIR) + "/kalvert.1";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Have(const char* tool) {
  const std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

struct Output {
  int status = -1;
  std::string text;
};

Output Capture(const std::string& cmd) {
  Output o;
  std::FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return o;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) o.text.append(buf, n);
  const int rc = pclose(p);
  o.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return o;
}

// The page source with the roff escape for a minus turned into a plain one.
std::string PlainSource() {
  std::string s = Slurp(kPage);
  for (std::size_t at; (at = s.find("\\-")) != std::string::npos;) s.replace(at, 2, "-");
  return s;
}

}  // namespace

TEST(DocsManpage, FormatsWithoutWarnings) {
  std::string cmd;
  if (Have("groff")) {
    cmd = "groff -t -man -ww -z '" + kPage + "'";
  } else if (Have("man")) {
    cmd = "man --warnings -l '" + kPage + "' >/dev/null";
  } else {
    GTEST_SKIP() << "neither groff nor man is installed";
  }
  const Output o = Capture(cmd);
  EXPECT_EQ(o.status, 0) << o.text;
  EXPECT_EQ(o.text, "") << "warnings from: " << cmd;
}

TEST(DocsManpage, CoversEveryOptionAndMessage) {
  const std::string page = PlainSource();
  ASSERT_FALSE(page.empty());
  const char* const mentions[] = {
      // options, each with its values
      "-x", "-i", "-o", "-c0", "-c1", "-c2", "-b", "-a", "-e", "-t", "-t4", "-h", "-s0", "-s1", "-s2", "-m",
      "-n0", "-n1", "-n2", "-r", "-g", "-f", "-?",
      // import rules
      "51 bytes", "19 bytes", "NONE", "repeat type",
      // the decisions on open behaviour
      "Note record %d not found.", "Broken TYPE_DATA record %d.", "Broken record at offset %ld.",
      "TYPE_DATA record %d has no known kind; can't write it.", "Record too long to write.",
      "Failed write file.", "no length limit", "temporary file",
      "EXIT STATUS", "EXAMPLES"};
  for (const char* m : mentions) EXPECT_NE(page.find(m), std::string::npos) << "the manual page does not mention " << m;
}
