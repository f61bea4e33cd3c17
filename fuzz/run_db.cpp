// Fuzz target: a whole run over a database file. The first input byte picks
// one of the option sets of fuzzsets::RunDb(), the other bytes are the
// database file.
#include <algorithm>
#include <vector>

#include "checks.h"
#include "harness.h"
#include "optionsets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("in.csv"), reinterpret_cast<const uint8_t*>(fuzzsets::kRunDbCsv),
                  sizeof fuzzsets::kRunDbCsv - 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& sets = fuzzsets::RunDb();
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const std::string db = fuzz::PathOf("in.dat");
  fuzz::WriteFile(db, data + 1, size - 1);

  const auto has = [&set](const char* w) { return std::find(set.begin(), set.end(), w) != set.end(); };
  const int status = fuzz::Run(fuzzsets::Arguments(set, db, fuzz::PathOf("in.csv"), fuzz::PathOf("out.dat")));
  // An imported record of a general database is laid out in definition
  // order, which reads back only under definitions that say the same; an
  // appointment record has one fixed layout, and a copy is a copy (with its
  // note links renumbered).
  const bool book = size > 13 && data[13] == '2';
  const bool readBack = book || (!has("-i") && !fuzz::LinksMayHitPointers(data + 1, size - 1));
  if (status == 0 && has("-o") && readBack) fuzz::RequireReadsBack();
  return 0;
}
