// The lossless round trip: a generated book with every kind, repeat rule and
// flag, exported, imported into a copy that holds only the definitions and
// exported again: the same CSV, and the same data records but for their links.
#include <gtest/gtest.h>

#include <cstdlib>

#include "csvcheck.h"

namespace {

TEST(StdCsvRoundTrip, GeneratedBooksComeBackWhole) {
  for (const char* enc : {"", "--encoding=EUC-JP"}) {
    fixture::ScratchDir dir;
    const std::string gen = std::string("'" KALVERT_GEN "' ") + "varied 400 3 '" + dir.Path("book.dat") + "' && '" +
                            KALVERT_GEN "' defs '" + dir.Path("defs.dat") + "'";
    ASSERT_EQ(std::system(gen.c_str()), 0);
    std::vector<std::string> args = {"--format=csv", "-s1"};
    if (*enc) args.push_back(enc);
    auto run = [&](std::vector<std::string> more) {
      more.insert(more.end(), args.begin(), args.end());
      const fixture::RunResult r = fixture::RunKalvert(dir, more);
      EXPECT_EQ(r.status, 0) << r.err;
      return r.out;
    };
    const std::string first = run({"-xbook.dat"});
    dir.Write("book.csv", first);
    run({"-xdefs.dat", "-m", "-ibook.csv", "-ocopy.dat"});
    EXPECT_EQ(run({"-xcopy.dat"}), first) << enc;
    const auto items = csvcheck::Items(dir.Read("copy.dat"));
    EXPECT_EQ(items.size(), 400u);
    EXPECT_TRUE(items == csvcheck::Items(dir.Read("book.dat"))) << enc;
  }
}

}  // namespace
