// Fuzz target: the standard-CSV import (--format=csv -i) into the bundled
// example book or card file. The first input byte picks one of the option
// sets of fuzzsets::ImportStdCsv(), whose first word names the database; the
// other bytes are the CSV file. Beyond the run rules: a copy reads back and
// exports as CSV under the same code page, and a copy of imported items only
// (-m) exports without a byte the code page cannot read (a text cut at the
// field's limit keeps whole characters).
#include <algorithm>

#include "checks.h"
#include "examples.h"
#include "harness.h"
#include "optionsets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("book.dat"), fixture::BuildExampleBook());
  fuzz::WriteFile(fuzz::PathOf("cards.dat"), fixture::BuildExampleCards());
  return 0;
}

namespace {

void RequireCopyExports(const std::string& encoding, bool onlyImported) {
  fuzz::RequireReadsBack();
  std::vector<std::string> args{"-x" + fuzz::PathOf("written.dat"), "--format=csv", "-s1"};
  if (!encoding.empty()) args.push_back(encoding);
  std::string out;
  std::string err;
  fuzz::Require(fuzz::RunCaptured(args, &out, &err) == 0, "a copy does not export as CSV");
  fuzz::CheckCsv(out, false, !encoding.empty());
  if (onlyImported && !encoding.empty()) {
    fuzz::Require(err.find("not valid in") == std::string::npos, "an imported text does not read in its code page");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& sets = fuzzsets::ImportStdCsv();
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const fuzzsets::Set options = fuzzsets::OptionsAfterBase(set);
  const std::string csv = fuzz::PathOf("in.csv");
  fuzz::WriteFile(csv, data + 1, size - 1);
  std::vector<std::string> args =
      fuzzsets::Arguments(options, fuzz::PathOf(set.front().c_str()), csv, fuzz::PathOf("out.dat"));
  args.push_back("-i" + csv);

  const auto has = [&options](const char* w) { return std::find(options.begin(), options.end(), w) != options.end(); };
  std::string encoding;
  for (const std::string& w : options) encoding = w.rfind("--encoding=", 0) == 0 ? w : encoding;
  std::string out;
  std::string err;
  if (fuzz::RunCaptured(args, &out, &err) != 0) return 0;
  if (has("-o")) {
    RequireCopyExports(encoding, has("-m"));
  } else {
    fuzz::CheckCsv(out, false, !encoding.empty());
  }
  return 0;
}
