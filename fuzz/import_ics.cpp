// Fuzz target: the iCalendar import (--format=ics -i) into the bundled
// example book. The first input byte picks one of the option sets of
// fuzzsets::ImportIcs(); the other bytes are the calendar. Beyond the run
// rules: a copy reads back and exports as iCalendar again.
#include "examples.h"
#include "harness.h"
#include "optionsets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("book.dat"), fixture::BuildExampleBook());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& sets = fuzzsets::ImportIcs();
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const std::string ics = fuzz::PathOf("in.ics");
  fuzz::WriteFile(ics, data + 1, size - 1);
  std::vector<std::string> args = fuzzsets::Arguments(set, fuzz::PathOf("book.dat"), ics, fuzz::PathOf("out.dat"));
  args.push_back("-i" + ics);
  std::string out;
  std::string err;
  if (fuzz::RunCaptured(args, &out, &err) != 0) return 0;
  fuzz::RequireReadsBack();
  fuzz::Require(fuzz::RunCaptured({"-x" + fuzz::PathOf("written.dat"), "--format=ics", "--encoding=EUC-JP", "-s1"},
                                  &out, &err) == 0,
                "a copy does not export as iCalendar");
  fuzz::Require(out.rfind("BEGIN:VCALENDAR\r\n", 0) == 0, "the export of a copy is no calendar");
  return 0;
}
