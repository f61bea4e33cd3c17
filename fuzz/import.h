// Fuzz target body shared by the two CSV import targets: the input bytes
// (after the first, which picks an option set) are the CSV file, imported
// into a fixed database (PathOf("base.dat")) built by the byte-level builder.
#pragma once

#include <algorithm>

#include "harness.h"
#include "optionsets.h"

namespace fuzz {

// readBack: a written database must read back (true for the appointment
// book, whose records have one fixed layout).
inline int ImportOne(const std::vector<fuzzsets::Set>& sets, const uint8_t* data, size_t size, bool readBack) {
  if (size == 0) return 0;
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const std::string csv = PathOf("in.csv");
  WriteFile(csv, data + 1, size - 1);
  std::vector<std::string> args = fuzzsets::Arguments(set, PathOf("base.dat"), csv, PathOf("out.dat"));
  args.push_back("-i" + csv);
  const bool output = std::find(set.begin(), set.end(), "-o") != set.end();
  if (Run(args) == 0 && output && readBack) RequireReadsBack();
  return 0;
}

}  // namespace fuzz
