// The option sets of the fuzz targets: the first byte of a fuzz input picks
// one (byte modulo the number of sets). Shared with the regression tests,
// which replay saved inputs through the built program with the same options.
// "-x", "-i" and "-o" stand for the target's input, CSV and output files.
#pragma once

#include <string>
#include <vector>

namespace fuzzsets {

using Set = std::vector<std::string>;

// run_db: the input is a database file; every export layout, -d and -o.
inline const std::vector<Set>& RunDb() {
  static const std::vector<Set> sets = {
      {},
      {"-c0"},
      {"-c1", "-n1"},
      {"-b", "-h"},
      {"-d", "-h"},
      {"-dX", "-t4"},
      {"-o"},
      {"-o", "-m"},
      {"-t4", "-n0", "-h"},
      {"-e", "-t", "-a", "-c1"},
      {"-a3", "-e3", "-t3", "-g940101", "-f991231"},
      {"-d", "-o"},
      {"-i", "-o"},
      {"-s2", "-b", "-o"},
  };
  return sets;
}

// The CSV file that run_db's "-i" set imports: one line of each layout.
constexpr char kRunDbCsv[] =
    "\"Lunch\",\"2000/01/02\",\"12:00\",\"13:00\",\"Cafe\",\"note\\nline\",\"0\"\n"
    "\"x\",\"y\",\"z\"\n";

// import_book: the input is a CSV file imported into the example book.
inline const std::vector<Set>& ImportBook() {
  static const std::vector<Set> sets = {
      {"-o"},
      {"-e", "-o"},
      {"-t", "-o"},
      {"-t4", "-b", "-o"},
      {"-m", "-r0", "-o"},
      {"-m", "-e", "-c1", "-o"},
      {"-r5", "-n0", "-h", "-o"},
      {"-d", "-s2", "-o"},
      {"-t", "-n1"},
  };
  return sets;
}

// import_cards: the input is a CSV file imported into the example cards.
inline const std::vector<Set>& ImportCards() {
  static const std::vector<Set> sets = {
      {"-o"}, {"-m", "-o"}, {"-h", "-c1", "-o"}, {"-d", "-b", "-o"}, {"-m", "-s2", "-o"}, {"-c1"},
  };
  return sets;
}

// modern_db: the input is a database file; the CSV and iCalendar exports
// with and without a code page, kinds and dates, -o copies and the
// standard-CSV import of kModernDbCsv.
inline const std::vector<Set>& ModernDb() {
  static const std::vector<Set> sets = {
      {"--format=csv"},
      {"--format=csv", "--encoding=EUC-JP"},
      {"--format=csv", "--encoding=CP932", "--bom"},
      {"--format=csv", "--encoding=CP437", "-e", "-t"},
      {"--format=csv", "--encoding=CP850", "-a3", "-t3", "-g990401", "-f19991231"},
      {"--format=csv", "-o"},
      {"--format=csv", "--encoding=EUC-JP", "-m", "-o"},
      {"--format=csv", "--encoding=EUC-JP", "-i", "-o"},
      {"--format=ics"},
      {"--format=ics", "--encoding=EUC-JP"},
      {"--format=ics", "--encoding=CP932", "-a", "-t"},
      {"--format=ics", "--encoding=CP437", "-e", "-o"},
      {"--format=ics", "--encoding=EUC-JP", "-g990401", "-f991231", "-s1"},
      {"--format=csv", "-i"},
      {"--format=vcf", "--encoding=EUC-JP"},
      {"--format=vcf", "--vcard=4.0", "--encoding=CP437", "-o"},
      {"--format=vcf"},
  };
  return sets;
}

// The standard CSV file that modern_db's "-i" sets import.
constexpr char kModernDbCsv[] =
    "kind,description,date,start,end,note\r\n"
    "appointment,Lunch,2000-01-02,12:00,13:00,\"two\r\nlines\"\r\n"
    "todo,Pay,2000-02-01,,,\r\n";

// import_stdcsv: the input is a standard CSV file imported into the example
// database that each set names first (book.dat or cards.dat).
inline const std::vector<Set>& ImportStdCsv() {
  static const std::vector<Set> sets = {
      {"book.dat", "--format=csv", "-o"},
      {"book.dat", "--format=csv", "-m", "-o"},
      {"book.dat", "--format=csv", "--encoding=EUC-JP", "-o"},
      {"book.dat", "--format=csv", "--encoding=EUC-JP", "-m", "-o"},
      {"book.dat", "--format=csv", "--encoding=CP932", "-m", "-o"},
      {"book.dat", "--format=csv", "--encoding=CP437", "-m", "-o"},
      {"book.dat", "--format=csv", "--encoding=EUC-JP", "-e", "-t"},
      {"cards.dat", "--format=csv", "-o"},
      {"cards.dat", "--format=csv", "-m", "-o"},
      {"cards.dat", "--format=csv", "--encoding=EUC-JP", "-m", "-o"},
      {"cards.dat", "--format=csv", "--encoding=CP932", "-m", "-o"},
      {"cards.dat", "--format=csv", "--encoding=EUC-JP"},
      {"book.dat", "--format=csv", "--encoding=CP437", "--date-order=DMY", "-m", "-o"},
      {"book.dat", "--format=csv", "--date-order=MDY", "--delimiter=;", "-o"},
      {"cards.dat", "--format=csv", "--encoding=CP932", "--date-order=MDY", "--delimiter=tab", "-m", "-o"},
  };
  return sets;
}

// import_ics: the iCalendar import into the example book, always with -o.
inline const std::vector<Set>& ImportIcs() {
  static const std::vector<Set> sets = {
      {"--format=ics", "--encoding=EUC-JP", "--timezone=Europe/Berlin", "-o"},
      {"--format=ics", "--encoding=EUC-JP", "--timezone=America/New_York", "-m", "-o"},
      {"--format=ics", "--encoding=CP437", "--timezone=UTC", "--expand-until=2027-12-31", "-m", "-o"},
      {"--format=ics", "--timezone=Pacific/Auckland", "-o"},
  };
  return sets;
}

// import_vcf: the input is a vCard file imported into the example cards.
inline const std::vector<Set>& ImportVcf() {
  static const std::vector<Set> sets = {
      {"--format=vcf", "--encoding=EUC-JP", "-o"},
      {"--format=vcf", "--encoding=CP437", "-m", "-o"},
      {"--format=vcf", "--encoding=EUC-JP", "--vcard-map=Memo=NOTE", "-m", "-o"},
      {"--format=vcf", "-o"},
  };
  return sets;
}

// An import_stdcsv set without the name of its base database.
inline Set OptionsAfterBase(const Set& set) { return Set(set.begin() + 1, set.end()); }

// The argument list of one run: the set's words with the file names put in.
inline std::vector<std::string> Arguments(const Set& set, const std::string& db, const std::string& csv,
                                          const std::string& out) {
  std::vector<std::string> args{"-x" + db};
  for (const std::string& word : set) {
    if (word == "-i")
      args.push_back("-i" + csv);
    else if (word == "-o")
      args.push_back("-o" + out);
    else
      args.push_back(word);
  }
  return args;
}

}  // namespace fuzzsets
