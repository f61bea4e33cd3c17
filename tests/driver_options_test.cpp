// Command-line options: values, 16-bit cuts, ranges, fall-backs, order
// effects, dates, and the messages of a refused command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kalvert.h"

namespace {

struct Parsed {
  int result;
  std::string out;
  std::string err;
};

Parsed Parse(std::vector<std::string> args) {
  ResetGlobals();
  bInterceptExit = true;
  args.insert(args.begin(), "kalvert");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Parsed p;
  p.result = ReadOption(static_cast<int>(args.size()), argv.data());
  p.out = testing::internal::GetCapturedStdout();
  p.err = testing::internal::GetCapturedStderr();
  return p;
}

struct Case {
  std::vector<std::string> args;
  int16_t* global;
  long expected;
};

TEST(Options, NumericValuesRangesAndFallBacks) {
  const std::vector<Case> cases = {
      {{"-c5"}, &iCSV, 0},        {{"-c1"}, &iCSV, 1},          {{"-c"}, &iCSV, 2},
      {{"-c65537"}, &iCSV, 1},    {{"-c-65535"}, &iCSV, 1},     {{"-C0"}, &iCSV, 0},
      {{"-r9"}, &iAlarm, 1},      {{"-r0"}, &iAlarm, 0},        {{"-r"}, &iAlarm, 7},
      {{"-r-1"}, &iAlarm, 1},     {{"-n"}, &iNote, 1},          {{"-n3"}, &iNote, 0},
      {{"-n0"}, &iNote, 0},       {{"-s3"}, &iSilent, 1},       {{"-s-1"}, &iSilent, 0},
      {{"-s0"}, &iSilent, 1},     {{"-s1"}, &iSilent, 2},       {{"-s2"}, &iSilent, 3},
      {{"-s"}, &iSilent, 1},      {{"-s32767"}, &iSilent, 1},   {{"-a0"}, &iSilent, 1},
      {{"-a0"}, &iAppt, 1},       {{"-a2"}, &iAppt, 2},         {{"-a4"}, &iAppt, 1},
      {{"-a-1"}, &iAppt, 1},      {{"-t4"}, &iToDo, 4},         {{"-t4"}, &iAppt, 0},
      {{"-t5"}, &iToDo, 1},       {{"-t0"}, &iToDo, 1},         {{"-t0"}, &iSilent, 1},
      {{"-e4"}, &iEvent, 1},      {{"-e3"}, &iEvent, 3},        {{"-a", "-e"}, &iAppt, 0},
      {{"-a", "-e"}, &iEvent, 1}, {{"-e", "-a"}, &iAppt, 1},    {{"-e", "-a"}, &iEvent, 1},
      {{"-b"}, &iTAB, 2},         {{"-b"}, &iCSV, 0},           {{"-b", "-c1"}, &iCSV, 1},
      {{"-b", "-c1"}, &iTAB, 2},  {{"/H"}, &iHeader, 1},        {{"-m"}, &iMerge, 1},
      {{"-d"}, &iDebugG, 1},      {{"-dx"}, &iDebugG2, 1},      {{"-dx"}, &iDebugG, 0},
      {{"-c 1"}, &iCSV, 1},       {{"-c1x"}, &iCSV, 1},         {{"-cx"}, &iCSV, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("-x/dev/null");
    const Parsed p = Parse(args);
    EXPECT_EQ(p.result, 1) << args[0];
    EXPECT_EQ(*c.global, c.expected) << args[0];
  }
}

TEST(Options, Dates) {
  struct DateCase {
    std::string arg;
    int32_t* global;
    long expected;
    std::string err;
  };
  const std::vector<DateCase> cases = {
      {"-g940404", &lCutStart, 19940404, ""},
      {"-g000101", &lCutStart, 20000101, ""},
      {"-g000100", &lCutStart, 19000101, "Check! Cut first date.(19000101)\n"},
      {"-f000050", &lCutEnd, 22000101, "Check! Cut finish date.(22000101)\n"},
      {"-g19940404", &lCutStart, 19940404, ""},
      {"-g1994", &lCutStart, 19000101, ""},
      {"-f23000101", &lCutEnd, 22000101, ""},
      {"-f22000101", &lCutEnd, 22000101, ""},
      {"-g", &lCutStart, 19000101, ""},
      {"-g991399", &lCutStart, 19991399, ""},
      {"-g899999", &lCutStart, 20899999, ""},
      {"-g900000", &lCutStart, 19900000, ""},
      {"-g1.99404e7", &lCutStart, 19940400, ""},
      {"-g2.1e30", &lCutStart, 19000101, ""},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse({c.arg, "-x/dev/null"});
    EXPECT_EQ(p.result, 1) << c.arg;
    EXPECT_EQ(*c.global, c.expected) << c.arg;
    EXPECT_EQ(p.err, c.err) << c.arg;
  }
}

TEST(Options, RefusedCommandLines) {
  struct Refused {
    std::vector<std::string> args;
    std::string err;
    bool help;
  };
  const std::vector<Refused> cases = {
      {{"-x"}, "Please, input filename!\n", false},
      {{"-x", "-c1"}, "Please, input filename!\n", false},
      {{"-x", "/tmp/book"}, "Please, input filename!\n", false},
      {{"-x/dev/null", "-i"}, "Please, input CSV filename!\n", false},
      {{"-x/dev/null", "-o"}, "Please, Output filename!\n", false},
      {{"-z"}, "Bad option -z\n", true},
      {{"-"}, "Bad option -\n", true},
      {{"/"}, "Bad option /\n", true},
      {{"-?"}, "", true},
      {{"/?"}, "", true},
      {{"book"}, "File can't open.\n", false},
      {{"-g", "940404", "-x/dev/null"}, "File can't open.\n", false},
      {{"-x/nonexistent/book"}, "File can't open.\n", false},
      {{"-x/dev/null", "-i/nonexistent/in.csv"}, "File can't open.\n", false},
      {{"-z", "-x"}, "Bad option -z\n", true},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.args);
    EXPECT_EQ(p.result, 0) << c.args[0];
    EXPECT_EQ(p.err, c.err) << c.args[0];
    EXPECT_EQ(p.out.empty(), !c.help) << c.args[0];
  }
}

TEST(Options, FileNamesAttachedOrSeparate) {
  EXPECT_EQ(Parse({"-x", "/dev/null"}).result, 0);  // a separate name may not begin with '/'
  EXPECT_EQ(Parse({"-x/dev/null"}).result, 1);
  EXPECT_EQ(Parse({"-x/dev/null", "-i", "/dev/null"}).result, 0);
  EXPECT_EQ(Parse({"-x/dev/null", "-i/dev/null"}).result, 1);
  EXPECT_EQ(iInCSV, 1);
  // A name far beyond any old fixed buffer is taken whole.
  const std::string longName = "/dev/../dev/../dev/../dev/../dev/../dev/../dev/../dev/null";
  EXPECT_EQ(Parse({"-x" + longName}).result, 1);
  ResetGlobals();
}

}  // namespace
