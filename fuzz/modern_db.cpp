// Fuzz target: a whole run of the CSV, iCalendar or vCard export over a database
// file. The first input byte picks one of the option sets of
// fuzzsets::ModernDb(), the other bytes are the database file. Beyond the
// run rules: what an export that succeeds writes keeps its format's rules
// (fuzz::CheckCsv, fuzz::CheckIcs, fuzz::CheckVcf), a copy reads back, and the CSV export of
// an appointment book parses in the standard-CSV import.
#include <algorithm>
#include <vector>

#include "checks.h"
#include "harness.h"
#include "optionsets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("in.csv"), std::string(fuzzsets::kModernDbCsv));
  return 0;
}

namespace {

// The export of an appointment book goes into a copy of the book's
// definitions under the same code page. Bytes that are no value (a month
// of 134 in a repeat date) are written as they are and refused by the
// import, so the rule is only that a refusal names the line and column of a
// value when the copy alone can be written: the text itself always parses.
void RequireCsvReadsBack(const std::string& db, const std::string& csv, const std::string& encoding) {
  const std::string path = fuzz::PathOf("export.csv");
  fuzz::WriteFile(path, csv);
  std::vector<std::string> copy{"-x" + db, "-m", "--format=csv", "-s2", "-o" + fuzz::PathOf("out.dat")};
  if (!encoding.empty()) copy.push_back(encoding);
  std::vector<std::string> import = copy;
  import.push_back("-i" + path);
  std::string out;
  std::string err;
  if (fuzz::RunCaptured(import, &out, &err) == 0) return;
  const bool value = err.find("export.csv line ") != std::string::npos && err.find(", column ") != std::string::npos;
  fuzz::Require(value || fuzz::Run(copy) != 0, "the CSV export of a book does not parse as the import's CSV");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& sets = fuzzsets::ModernDb();
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const std::string db = fuzz::PathOf("in.dat");
  fuzz::WriteFile(db, data + 1, size - 1);

  const auto has = [&set](const char* w) { return std::find(set.begin(), set.end(), w) != set.end(); };
  std::string encoding;
  for (const std::string& w : set) encoding = w.rfind("--encoding=", 0) == 0 ? w : encoding;
  std::string out;
  std::string err;
  const int status =
      fuzz::RunCaptured(fuzzsets::Arguments(set, db, fuzz::PathOf("in.csv"), fuzz::PathOf("out.dat")), &out, &err);
  if (status != 0) return 0;
  const bool book = size > 13 && data[13] == '2';
  if (has("--format=ics")) fuzz::CheckIcs(out);
  if (has("--format=vcf")) fuzz::CheckVcf(out);
  if (has("--format=csv")) fuzz::CheckCsv(out, has("--bom"), !encoding.empty());
  // As in run_db: a copy reads back unless a general database's definitions
  // contradict each other or records were imported under them.
  if (has("-o") && (book || (!has("-i") && !fuzz::LinksMayHitPointers(data + 1, size - 1)))) fuzz::RequireReadsBack();
  // A byte sequence the code page cannot read was written as U+FFFD, with a
  // warning, and is not a character of the code page to import.
  const bool replaced = err.find("not valid in") != std::string::npos;
  if (has("--format=csv") && book && !has("-i") && !replaced) RequireCsvReadsBack(db, out, encoding);
  return 0;
}
