// The long options and the rules that tie options to the format.
#include <gtest/gtest.h>

#include "inproc.h"
#include "runner.h"

namespace {

struct Parsed {
  int result = -1;
  inproc::Outcome o;
};

Parsed Parse(std::vector<std::string> args) {
  ResetGlobals();
  args.insert(args.begin(), "kalvert");
  args.push_back("-x/dev/null");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  Parsed p;
  p.o = inproc::Capture([&] { p.result = ReadOption(static_cast<int>(args.size()), argv.data()); });
  return p;
}

TEST(LongOptions, AcceptedAndRefused) {
  const struct {
    std::vector<std::string> args;
    int result;  // ReadOption's result; -1: the run ended with status 0
    std::string err;
  } cases[] = {
      {{"--format=csv", "--encoding=CP437", "--bom"}, 1, ""},
      {{"--format=ics", "-e"}, 1, ""},
      {{"--format=legacy", "-c1", "-b", "-h", "-n", "-r"}, 1, ""},
      {{"--frob"}, 0, "Bad option --frob\n"},
      {{"--"}, 0, "Bad option --\n"},
      {{"--format"}, 0, "Option --format needs one of legacy, csv, ics (as --format=csv).\n"},
      {{"--format=xml"}, 0, "Option --format needs one of legacy, csv, ics (as --format=csv).\n"},
      {{"--encoding="}, 0, "Option --encoding needs an encoding name (as --encoding=CP437).\n"},
      {{"--bom=1"}, 0, "Option --bom takes no value.\n"},
      {{"--format=csv", "--encoding=NO-SUCH-CODE"}, -2, "Unknown encoding NO-SUCH-CODE.\n"},
      {{"--encoding=CP437"},
       0,
       "Option --encoding needs --format=csv or --format=ics: the legacy text is kept byte for byte.\n"},
      {{"--bom"}, 0, "Option --bom needs --format=csv or --format=ics: the legacy text is kept byte for byte.\n"},
      {{"-n0", "--format=csv"}, 0, "Option -n0 shapes only the legacy text; it can't be used with --format=csv.\n"},
      {{"--format=ics", "-C2"}, 0, "Option -C2 shapes only the legacy text; it can't be used with --format=ics.\n"},
      {{"--format=ics", "-i/dev/null"}, 0, "Option -i can't be used with --format=ics: iCalendar is export only.\n"},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.args);
    if (c.result == -2) {
      EXPECT_EQ(p.o.status, 1) << c.args[0];
    } else {
      EXPECT_EQ(p.result, c.result) << c.args[0];
    }
    EXPECT_EQ(p.o.err, c.err) << c.args[0];
  }
  ResetGlobals();
}

// With a modern format the kinds add up and none means all; legacy keeps
// -e and -t clearing -a.
TEST(LongOptions, KindsAddUp) {
  const struct {
    std::vector<std::string> args;
    int16_t appt, event, todo;
  } cases[] = {
      {{"-t4", "--format=csv", "-a2"}, 2, 0, 1},
      {{"--format=ics", "-e3"}, 0, 3, 0},
      {{"-a", "-e"}, 1, 1, 0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Parse(c.args).result, 1);
    EXPECT_EQ(std::make_tuple(opt.iWantAppt, opt.iWantEvent, opt.iWantToDo), std::make_tuple(c.appt, c.event, c.todo))
        << c.args.back();
  }
  EXPECT_EQ(opt.iAppt, 0);  // legacy: -e after -a chose events only
  ResetGlobals();
}

TEST(LongOptions, HelpAndVersionEndWithStatusZero) {
  fixture::ScratchDir dir;
  const fixture::RunResult help = fixture::RunKalvert(dir, {"--help"});
  const fixture::RunResult version = fixture::RunKalvert(dir, {"--version", "-xnone"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.substr(0, 32), "Usage: kalvert -x FILE [options]");
  EXPECT_EQ(std::make_pair(version.status, version.out), std::make_pair(0, std::string("kalvert 0.86b\n")));
  EXPECT_EQ(fixture::RunKalvert(dir, {"--frob"}).status, 1);
}

}  // namespace
