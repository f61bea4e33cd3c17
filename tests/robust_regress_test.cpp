// Replays every saved fuzz input (fuzz/regressions/<target>/) through the
// built program, with the options its first byte picks, and checks the rules
// every run keeps: exit status 0 or 1, a message when 1, no temporary output
// file, no output database after a failure, and a written database that
// reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../fuzz/optionsets.h"
#include "runner.h"

namespace {

namespace fs = std::filesystem;
using Blob = std::vector<unsigned char>;

Blob Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Blob(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Inputs(const std::string& target) {
  std::vector<fs::path> files;
  const fs::path dir = fs::path(KALVERT_SOURCE_DIR) / "fuzz" / "regressions" / target;
  if (!fs::is_directory(dir)) return files;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool Has(const fuzzsets::Set& set, const char* word) { return std::find(set.begin(), set.end(), word) != set.end(); }

// One saved input, already written to the scratch folder as in.dat (and
// in.csv): runs the program with the set and checks what it left.
void Replay(const fixture::ScratchDir& dir, const fuzzsets::Set& set, bool importing, bool readBack) {
  std::vector<std::string> args = fuzzsets::Arguments(set, "in.dat", "in.csv", "out.dat");
  if (importing) args.push_back("-iin.csv");
  const fixture::RunResult r = fixture::RunKalvert(dir, args);
  ASSERT_TRUE(r.status == 0 || r.status == 1) << "status " << r.status << "\n" << r.err;
  for (const std::string& name : dir.List()) EXPECT_NE(name.rfind(".kalvert-", 0), 0u) << name;
  if (r.status == 1) {
    // The banner ends with an empty line; a failure adds its message.
    const std::size_t bannerEnd = r.err.find("\n\n");
    ASSERT_NE(bannerEnd, std::string::npos) << r.err;
    EXPECT_NE(r.err.substr(bannerEnd + 2), "") << r.err;
    EXPECT_FALSE(dir.Exists("out.dat"));
    return;
  }
  if (!Has(set, "-o")) return;
  ASSERT_TRUE(dir.Exists("out.dat"));
  if (!readBack) return;
  const fixture::RunResult back = fixture::RunKalvert(dir, {"-xout.dat", "-s2"});
  EXPECT_EQ(back.status, 0) << "a written database does not read back\n" << back.err;
}

TEST(RobustRegressions, DatabaseInputs) {
  const std::vector<fs::path> files = Inputs("run_db");
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const Blob input = Slurp(file);
    ASSERT_FALSE(input.empty());
    const fuzzsets::Set& set = fuzzsets::RunDb()[input[0] % fuzzsets::RunDb().size()];
    fixture::ScratchDir dir;
    dir.Write("in.dat", Blob(input.begin() + 1, input.end()));
    dir.Write("in.csv", std::string(fuzzsets::kRunDbCsv));
    // Imported records of a general database follow the definition order,
    // which reads back only under definitions laid out the same way.
    const bool book = input.size() > 13 && input[13] == '2';
    Replay(dir, set, false, !Has(set, "-i") || book);
  }
}

void ReplayImports(const std::string& target, const std::vector<fuzzsets::Set>& sets, const char* base,
                   bool readBack) {
  for (const fs::path& file : Inputs(target)) {
    SCOPED_TRACE(file.filename().string());
    const Blob input = Slurp(file);
    ASSERT_FALSE(input.empty());
    fixture::ScratchDir dir;
    dir.Write("in.dat", Slurp(fs::path(KALVERT_SOURCE_DIR) / "examples" / base));
    dir.Write("in.csv", Blob(input.begin() + 1, input.end()));
    Replay(dir, sets[input[0] % sets.size()], true, readBack);
  }
}

TEST(RobustRegressions, CsvInputs) {
  ReplayImports("import_book", fuzzsets::ImportBook(), "book.dat", true);
  ReplayImports("import_cards", fuzzsets::ImportCards(), "cards.dat", false);
}

}  // namespace
