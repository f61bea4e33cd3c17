// Fuzz target: the vCard import (--format=vcf -i) into the bundled example
// cards. The first input byte picks one of the option sets of
// fuzzsets::ImportVcf(); the other bytes are the vCard file. Beyond the run
// rules: a copy reads back and exports as vCard again.
#include "checks.h"
#include "examples.h"
#include "harness.h"
#include "optionsets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("cards.dat"), fixture::BuildExampleCards());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& sets = fuzzsets::ImportVcf();
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const std::string vcf = fuzz::PathOf("in.vcf");
  fuzz::WriteFile(vcf, data + 1, size - 1);
  std::vector<std::string> args = fuzzsets::Arguments(set, fuzz::PathOf("cards.dat"), vcf, fuzz::PathOf("out.dat"));
  args.push_back("-i" + vcf);
  std::string out;
  std::string err;
  if (fuzz::RunCaptured(args, &out, &err) != 0) return 0;
  fuzz::RequireReadsBack();
  fuzz::Require(fuzz::RunCaptured({"-x" + fuzz::PathOf("written.dat"), "--format=vcf", "--encoding=EUC-JP", "-s1"},
                                  &out, &err) == 0,
                "a copy does not export as vCard");
  fuzz::CheckVcf(out);
  return 0;
}
