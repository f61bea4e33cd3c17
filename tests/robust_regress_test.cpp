// Replays every saved fuzz input (fuzz/regressions/<target>/) through the
// built program, with the options its first byte picks, and checks the rules
// every run keeps: exit status 0 or 1, a message when 1, no temporary output
// file, and no output database after a failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "../fuzz/optionsets.h"
#include "runner.h"

namespace {

TEST(RobustRegressions, SavedInputsKeepTheRunRules) {
  const std::filesystem::path source(KALVERT_SOURCE_DIR);
  // base: the example database a saved CSV input is imported into ("": the set names it first); none: the saved
  // input is the database, and csv the file its -i sets import.
  const struct {
    const char* target;
    const std::vector<fuzzsets::Set>& sets;
    const char* base;
    const char* csv;
  } targets[] = {{"run_db", fuzzsets::RunDb(), nullptr, fuzzsets::kRunDbCsv},
                 {"modern_db", fuzzsets::ModernDb(), nullptr, fuzzsets::kModernDbCsv},
                 {"import_book", fuzzsets::ImportBook(), "book.dat", nullptr},
                 {"import_cards", fuzzsets::ImportCards(), "cards.dat", nullptr},
                 {"import_stdcsv", fuzzsets::ImportStdCsv(), "", nullptr}};
  for (const auto& t : targets) {
    for (const auto& e : std::filesystem::directory_iterator(source / "fuzz" / "regressions" / t.target)) {
      const std::string input = fixture::Slurp(e.path().string());
      if (input.empty()) continue;  // the placeholder that keeps an empty folder
      SCOPED_TRACE(e.path().string());
      fixture::ScratchDir dir;
      fuzzsets::Set set = t.sets[static_cast<unsigned char>(input[0]) % t.sets.size()];
      const std::string base = t.base && !*t.base ? set.front() : t.base ? t.base : "";
      if (t.base && !*t.base) set = fuzzsets::OptionsAfterBase(set);
      // The saved input after its first byte, and the other file of the run.
      dir.Write(t.base ? "in.csv" : "in.dat", input.substr(1));
      dir.Write(t.base ? "in.dat" : "in.csv",
                t.base ? fixture::Slurp((source / "examples" / base).string()) : std::string(t.csv));
      std::vector<std::string> args = fuzzsets::Arguments(set, "in.dat", "in.csv", "out.dat");
      if (t.base) args.push_back("-iin.csv");
      const fixture::RunResult r = fixture::RunKalvert(dir, args);
      fixture::ExpectEnded(dir, r, r.status == 1 ? 1 : 0, "");  // 0 or 1, no temporary file
      if (r.status == 1) {
        // The banner ends with an empty line; a failure adds its message.
        const std::size_t bannerEnd = r.err.find("\n\n");
        EXPECT_TRUE(bannerEnd != std::string::npos && bannerEnd + 2 < r.err.size()) << r.err;
        EXPECT_FALSE(dir.Exists("out.dat"));
      }
    }
  }
}

}  // namespace
