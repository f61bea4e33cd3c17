// The command line: option values and refusals, the long options and the
// rules that tie options to the format in-process; help, version and exit
// statuses end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "help_text.h"
#include "inproc.h"
#include "runner.h"

namespace {

using fixture::RunKalvert, fixture::ScratchDir, fixture::Slurp;

// ReadOption's result for the arguments; what it printed goes to o.
int Parse(std::vector<std::string> args, inproc::Outcome& o) {
  ResetGlobals();
  args.insert(args.begin(), "kalvert");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  int result = -1;
  o = inproc::Capture([&] { result = ReadOption(static_cast<int>(args.size()), argv.data()); });
  return result;
}

// Values kept (a date in `date`), the warning printed; refused command lines
// (result 0) with their message and whether the help was shown; result -1:
// the run ended there with status 1 (an encoding that can't hold the
// --version into a device that takes nothing: the text is lost, so the run
// fails and says so.
TEST(Options, VersionIntoAFullDeviceFails) {
  fixture::ScratchDir dir;
  const int rc = std::system(("'" KALVERT_BIN "' --version >/dev/full 2>'" + dir.Path("err") + "'").c_str());
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  EXPECT_EQ(fixture::Slurp(dir.Path("err")), "Failed write standard output.\n");  // no banner before it
}

// organiser's texts among them). A command line without -x gets -x/dev/null.
TEST(Options, ValuesCutsRangesDatesOrderAndRefusals) {
  const std::string untilNeeds =
      "Option --expand-until needs a date from 1900-01-01 to 2155-12-31 (as --expand-until=2030-12-31).\n";
  const std::string cant = " can't hold the organiser's texts: ",
                    tested = ". Tested encodings: CP437, CP850, CP852, CP932, EUC-JP, ISO-8859-1, UTF-8.\n",
                    nul = "a character takes a NUL byte, and a NUL byte ends an organiser's text",
                    ascii = "it does not keep ASCII characters as the same bytes both ways",
                    shift = "it shifts between character sets, and the organiser reads each character on its own";
  // clang-format off
  const struct { std::vector<std::string> args; const int16_t* global; long want; const int32_t* date = nullptr;
                 std::string err = ""; int result = 1; bool help = false; } cases[] = {
      {{"-c5"}, &opt.iCSV, 0}, {{"-c"}, &opt.iCSV, 2}, {{"-c65537"}, &opt.iCSV, 1}, {{"-C0"}, &opt.iCSV, 0},
      {{"-c1x"}, &opt.iCSV, 1}, {{"-r9"}, &opt.iAlarm, 1}, {{"-r"}, &opt.iAlarm, 7}, {{"-n"}, &opt.iNote, 1},
      {{"-n3"}, &opt.iNote, 0}, {{"-s3"}, &opt.iSilent, 1}, {{"-s2"}, &opt.iSilent, 3}, {{"-a4"}, &opt.iAppt, 1},
      {{"-t4"}, &opt.iToDo, 4}, {{"-t4"}, &opt.iAppt, 0}, {{"-t5"}, &opt.iToDo, 1}, {{"-a", "-e"}, &opt.iAppt, 0},
      {{"-e", "-a"}, &opt.iAppt, 1}, {{"-b"}, &opt.iTAB, 2}, {{"-b", "-c1"}, &opt.iCSV, 1}, {{"/H"}, &opt.iHeader, 1},
      {{"-dx"}, &opt.iDebugG2, 1}, {{"-dx"}, &opt.iDebugG, 0}, {{"-s"}, &opt.iSilent, 1}, {{"-e4"}, &opt.iEvent, 1},
      {{"-oout.dat"}, &opt.iOutAppt, 1}, {{"-m"}, &opt.iMerge, 1}, {{"-iin.csv"}, &opt.iInCSV, 1},
      {{"-d"}, &opt.iDebugG, 1},
      {{"-g940404"}, nullptr, 19940404, &opt.lCutStart}, {{"-g000101"}, nullptr, 20000101, &opt.lCutStart},
      {{"-g899999"}, nullptr, 20899999, &opt.lCutStart}, {{"-g900000"}, nullptr, 19900000, &opt.lCutStart},
      {{"-g19940404"}, nullptr, 19940404, &opt.lCutStart}, {{"-f23000101"}, nullptr, 22000101, &opt.lCutEnd},
      {{"-g1994"}, nullptr, 19000101, &opt.lCutStart}, {{"-g1.99404e7"}, nullptr, 19940400, &opt.lCutStart},
      {{"-g2.1e30"}, nullptr, 19000101, &opt.lCutStart},  // six characters, but no date the century fits
      {{"-g000100"}, nullptr, 19000101, &opt.lCutStart, "Check! Cut first date.(19000101)\n"},
      {{"-f000050"}, nullptr, 22000101, &opt.lCutEnd, "Check! Cut finish date.(22000101)\n"},
      {{"-x"}, nullptr, 0, nullptr, "Please, input filename!\n", 0},
      {{"-x", "-book"}, nullptr, 0, nullptr, "Please, input filename!\n", 0},  // a name may not start with '-'
      {{"-x/dev/null", "-i"}, nullptr, 0, nullptr, "Please, input CSV filename!\n", 0},
      {{"-x/dev/null", "-o"}, nullptr, 0, nullptr, "Please, Output filename!\n", 0},
      {{"-z", "-x"}, nullptr, 0, nullptr, "Bad option -z\n", 0, true}, {{"/?"}, nullptr, 0, nullptr, "", 0, true},
      {{"--format=csv", "--encoding=CP437", "--bom"}, nullptr, 0},
      {{"--format=legacy", "-c1", "-b", "-h", "-n", "-r"}, nullptr, 0},
      {{"-t4", "--format=csv", "-a2"}, &opt.iWantAppt, 2}, {{"-t4", "--format=csv", "-a2"}, &opt.iWantToDo, 1},
      {{"--format=ics", "-e3"}, &opt.iWantEvent, 3}, {{"--format=ics", "-e3"}, &opt.iWantAppt, 0},
      {{"--frob"}, nullptr, 0, nullptr, "Bad option --frob\n", 0, true},
      {{"--"}, nullptr, 0, nullptr, "Bad option --\n", 0, true},
      {{"--format"}, nullptr, 0, nullptr, "Option --format needs one of legacy, csv, ics, vcf (as --format=csv).\n", 0},
      {{"--format=xml"}, nullptr, 0, nullptr, "Option --format needs one of legacy, csv, ics, vcf (as --format=csv).\n", 0},
      {{"--encoding="}, nullptr, 0, nullptr, "Option --encoding needs an encoding name (as --encoding=CP437).\n", 0},
      {{"--bom=1"}, nullptr, 0, nullptr, "Option --bom takes no value.\n", 0},
      {{"--delimiter=|"}, nullptr, 0, nullptr, "Option --delimiter needs one of , ; tab (as --delimiter=;).\n", 0},
      {{"--date-order=DYM"}, nullptr, 0, nullptr,
       "Option --date-order needs one of DMY, MDY, YMD (as --date-order=DMY).\n", 0},
      {{"--format=ics", "--delimiter=;"}, nullptr, 0, nullptr, "Option --delimiter needs --format=csv.\n", 0},
      {{"--date-order=DMY"}, nullptr, 0, nullptr, "Option --date-order needs --format=csv.\n", 0},
      {{"--format=csv", "--encoding=NO-SUCH-CODE"}, nullptr, 0, nullptr, "Unknown encoding NO-SUCH-CODE.\n", -1},
      {{"--format=csv", "--encoding=UTF-16"}, nullptr, 0, nullptr, "Encoding UTF-16" + cant + nul + tested, -1},
      {{"--format=csv", "--encoding=UTF-7"}, nullptr, 0, nullptr, "Encoding UTF-7" + cant + ascii + tested, -1},
      {{"--format=ics", "--encoding=ISO-2022-JP"}, nullptr, 0, nullptr, "Encoding ISO-2022-JP" + cant + shift + tested,
       -1},
      {{"--encoding=CP437"}, nullptr, 0, nullptr,
       "Option --encoding needs --format=csv, ics or vcf: the legacy text is kept byte for byte.\n", 0},
      {{"--bom"}, nullptr, 0, nullptr,
       "Option --bom needs --format=csv, ics or vcf: the legacy text is kept byte for byte.\n", 0},
      {{"-n0", "--format=csv"}, nullptr, 0, nullptr,
       "Option -n0 shapes only the legacy text; it can't be used with --format=csv.\n", 0},
      {{"--format=ics", "-C2"}, nullptr, 0, nullptr,
       "Option -C2 shapes only the legacy text; it can't be used with --format=ics.\n", 0},
      {{"--format=ics", "-i/dev/null", "--expand-until=1900-01-01"}, nullptr, 19000101, &opt.lExpandUntil},
      {{"--format=ics", "-i/dev/null", "--expand-until=2155-12-31"}, nullptr, 21551231, &opt.lExpandUntil},
      {{"--format=ics", "-i/dev/null", "--expand-until=2156-01-01"}, nullptr, 0, nullptr, untilNeeds, 0},
      {{"--format=ics", "-i/dev/null", "--expand-until=2031-02-29"}, nullptr, 0, nullptr, untilNeeds, 0},
      {{"--format=ics", "-i/dev/null", "--expand-until=2030-13-01"}, nullptr, 0, nullptr, untilNeeds, 0},
      {{"--format=ics", "-i/dev/null", "--expand-until=1899-12-31"}, nullptr, 0, nullptr, untilNeeds, 0},
      {{"--format=ics", "-i/dev/null", "--expand-until=2030-1-01x"}, nullptr, 0, nullptr, untilNeeds, 0},
      {{"--format=ics", "--expand-until=2030-01-01"}, nullptr, 0, nullptr,
       "Option --expand-until needs -i with --format=ics.\n", 0},
      {{"--format=csv", "-i/dev/null", "--timezone=UTC"}, nullptr, 0, nullptr,
       "Option --timezone needs -i with --format=ics.\n", 0},
      {{"--timezone="}, nullptr, 0, nullptr, "Option --timezone needs a zone name (as --timezone=Europe/Berlin).\n", 0},
      {{"--format=vcf", "--vcard=4.0", "--vcard-map=Tel 2=TEL.CELL", "--encoding=CP437"}, nullptr, 0},
      {{"--format=vcf", "--vcard=2.1"}, nullptr, 0, nullptr, "Option --vcard needs 3.0 or 4.0 (as --vcard=4.0).\n", 0},
      {{"--format=vcf", "--vcard-map="}, nullptr, 0, nullptr,
       "Option --vcard-map needs FIELD=PROPERTY pairs (as --vcard-map=Tel 2=TEL.CELL).\n", 0},
      {{"--format=csv", "--vcard=4.0"}, nullptr, 0, nullptr, "Option --vcard needs --format=vcf.\n", 0},
      {{"--vcard-map=Tel=TEL"}, nullptr, 0, nullptr, "Option --vcard-map needs --format=vcf.\n", 0},
      {{"--format=vcf", "-e"}, nullptr, 0, nullptr,
       "Option -e chooses items of an appointment book; it can't be used with --format=vcf.\n", 0},
      {{"--format=vcf", "-m", "-f19991231", "-a"}, nullptr, 0, nullptr,
       "Option -f19991231 chooses items of an appointment book; it can't be used with --format=vcf.\n", 0},
      {{"--format=vcf", "--bom"}, nullptr, 0, nullptr,
       "Option --bom can't be used with --format=vcf: a vCard file has no byte order mark.\n", 0},
      {{"--format=vcf", "-i/dev/null"}, &opt.iInCSV, 1},
      {{"--format=vcf", "-n1"}, nullptr, 0, nullptr,
       "Option -n1 shapes only the legacy text; it can't be used with --format=vcf.\n", 0}};
  // clang-format on
  for (auto c : cases) {
    if (std::none_of(c.args.begin(), c.args.end(), [](const std::string& a) { return a.rfind("-x", 0) == 0; }))
      c.args.push_back("-x/dev/null");
    inproc::Outcome o;
    const int result = Parse(c.args, o);
    EXPECT_EQ(std::make_tuple(result, o.status, o.err, o.out.empty()),
              std::make_tuple(c.result, c.result < 0 ? 1 : 0, c.err, !c.help))
        << c.args[0];
    if (c.global || c.date) {
      EXPECT_EQ(c.global ? *c.global : *c.date, c.want) << c.args[0];
    }
  }
  ResetGlobals();
}

// The legacy help (none, or /? with status 1), the English usage, the
// version, and an unknown option; --help and --version print no banner.
TEST(Run, HelpVersionAndExitStatuses) {
  const std::string help(kHelpText, kHelpTextSize);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;  // out: what standard output begins with
    bool banner;
    // clang-format off
  } cases[] = {{{}, 0, help, "", true}, {{"/?"}, 1, help, "", true},
               {{"--help"}, 0, "Usage: kalvert -x FILE [options]\n", "", false},
               {{"-s1", "--version", "-xnone"}, 0, "kalvert 0.86b\n", "", false},
               {{"-q7"}, 1, "", "Bad option -q7\n", true}};
  // clang-format on
  ScratchDir dir;
  for (const auto& c : cases) {
    const auto r = RunKalvert(dir, c.args);
    const bool bBanner = r.err.rfind("KALVERT for DOS/UNIX", 0) == 0;
    EXPECT_EQ(std::make_tuple(r.status, r.out.substr(0, c.out.size()), bBanner ? fixture::Said(r) : r.err, bBanner),
              std::make_tuple(c.status, c.out, c.err, c.banner));
  }
}

// On a terminal that reads UTF-8 the legacy help comes converted (iconv of
// the bytes a pipe gets) with a pointer to the English one; on a terminal of
// the C locale, which holds no Japanese, its bytes as ever.
TEST(Run, HelpOnATerminalInItsCharacterSet) {
  ScratchDir dir;
  const std::string bin = KALVERT_BIN;
  const std::string cmd = "cd '" + dir.path() + "' && '" + bin +
                          "' 2>/dev/null | iconv -f EUC-JP -t UTF-8 >piped.txt && LANG=C.UTF-8 LC_ALL= script -qec '" +
                          bin +
                          " 2>/dev/null' /dev/null </dev/null | tr -d '\\r' >utf8.txt && LANG=C LC_ALL= script -qec '" +
                          bin + " 2>/dev/null' /dev/null </dev/null | tr -d '\\r' >c.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string pointer = "For help in English: kalvert --help\n";
  std::string bytes(kHelpText, kHelpTextSize);
  bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
  EXPECT_EQ(Slurp(dir.Path("utf8.txt")), Slurp(dir.Path("piped.txt")) + pointer);
  EXPECT_EQ(Slurp(dir.Path("c.txt")), bytes + pointer);
}

}  // namespace
