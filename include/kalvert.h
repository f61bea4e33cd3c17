// kalvert: the state of a run that every stage shares, and its one way out.
//
// The run's settings (Options, written only by the option parser), its files
// (RunFiles) and what the passes hand on to each other (PassState) live in
// three structs; every fatal end goes through Exit. Each stage's own
// interface is the header of its folder under src/; the byte layout of the
// database file is layout.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "layout.h"
#include "lecoding.h"

// The input database, read whole into memory when the run starts (a file
// the lookup table can describe is at most 16 MiB), and read from there with
// the moves a stream allows: a read gives what is left up to the end, and
// the position may be put anywhere, past the end included.
struct InputImage {
  std::vector<unsigned char> bytes;
  long lPos = 0;

  std::size_t Read(void* p, std::size_t n) {
    if (lPos < 0 || static_cast<std::size_t>(lPos) >= bytes.size()) return 0;
    const std::size_t have = std::min(n, bytes.size() - static_cast<std::size_t>(lPos));
    std::memcpy(p, bytes.data() + lPos, have);
    lPos += static_cast<long>(have);
    return have;
  }
  long Tell() const { return lPos; }
  void Seek(long lAt) { lPos = lAt; }
};

struct FieldDefineChain {
  std::string szName;  // the bytes after the field definition, whole
  std::unique_ptr<FieldDefine> pfd;
  FieldDefineChain* pnext_fdc = nullptr;
};
using FDC = FieldDefineChain;
using PFDC = FieldDefineChain*;

// A record body held in memory, with one NUL byte appended after its last
// byte, and the record number from its header (named in messages).
struct RecordBody {
  std::vector<unsigned char> bytes;
  int16_t iRecord = 0;
  int32_t Length() const { return static_cast<int32_t>(bytes.size()) - 1; }
};

inline bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The leading decimal number of s from index i: blanks, an optional sign, then
// digits up to the first other byte; no digits give 0. The value is kept
// modulo 2^16 from its exact value, so any digit string is read without
// overflow (option values and number columns alike).
inline int16_t LeadingNumber(const std::string& s, std::size_t i = 0) {
  while (IsBlank(static_cast<unsigned char>(s[i]))) ++i;  // s[s.size()] is NUL
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  uint32_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = (v * 10u + static_cast<uint32_t>(s[i] - '0')) & 0xFFFFu;
  if (negative) v = (0x10000u - v) & 0xFFFFu;
  return CutTo16(static_cast<long>(v));
}

constexpr int32_t kDefaultCutStart = 19000101;  // first date written (-g)
constexpr int32_t kDefaultCutEnd = 22000101;    // last date written (-f)

// Text formats of the export and the import: the byte-exact legacy layouts,
// standard CSV, and iCalendar (export only).
enum class OutputFormat : uint8_t { kLegacy, kCsv, kIcs, kVcf };
// How the standard-CSV import reads a date that does not begin with its year.
enum class DateOrder : uint8_t { kYearFirst, kDayMonthYear, kMonthDayYear };

// The run's settings from the command line, defaults beside the members.
// Only ReadOption writes them (through MutableOptions); every other module
// sees them through the const reference `opt`.
struct Options {
  int16_t iDebugG = 0;   // -d: header, record and definition dumps
  int16_t iDebugG2 = 0;  // -dN: record bodies kept from the copy, dumped
  int16_t iCSV = 2;      // -c: 0 one field per line, 1 commas, 2 commas and quotes
  int16_t iTAB = 0;      // -b: 2 tab-separated with quotes
  int16_t iHeader = 0;   // -h: heading line
  int16_t iAppt = 1;     // -a: appointments (1 all, 2 non-repeating, 3 repeating)
  int16_t iEvent = 0;    // -e: events
  int16_t iToDo = 0;     // -t: ToDo items (4: in the appointment layout)
  int16_t iNote = 2;     // -n: note line breaks kept (0), as spaces (1), as \n (2)
  int16_t iOutAppt = 0;  // -o given
  int16_t iInCSV = 0;    // -i given
  int16_t iMerge = 0;    // -m: only definitions and imported records
  int16_t iAlarm = 7;    // -r: alarm, month and week bits of imported items
  int16_t iSilent = 0;   // -s: 1 no data text, 2 no progress bars, 3 neither
  int32_t lCutStart = kDefaultCutStart;
  int32_t lCutEnd = kDefaultCutEnd;
  OutputFormat format = OutputFormat::kLegacy;  // --format
  std::string szEncoding;                       // --encoding: the organiser's code page; empty: texts pass as bytes
  bool bBom = false;                            // --bom: a UTF-8 byte order mark before modern text
  char cDelimiter = 0;                          // --delimiter: CSV columns; 0: a comma out, found from the header in
  DateOrder dateOrder = DateOrder::kYearFirst;  // --date-order: of the CSV import's day-first or month-first dates
  std::string szTimeZone;                       // --timezone: the iCalendar import's zone; empty: the machine's
  int32_t lExpandUntil = 0;                     // --expand-until as YYYYMMDD; 0: not given
  uint8_t cVCardVersion = 3;                    // --vcard: 3 (3.0) or 4 (4.0)
  std::string szVCardMap;                       // --vcard-map: FIELD=PROPERTY pairs, as given
  // With a modern format the kind options add up: the repeat class wanted of
  // each kind (0 none, 1 all, 2 non-repeating, 3 repeating). ReadOption sets
  // all three to 1 when none of -a, -e, -t was given.
  int16_t iWantAppt = 0;
  int16_t iWantEvent = 0;
  int16_t iWantToDo = 0;
};

// What tells one state of a file from another: a file replaced or written
// since has another stamp.
struct FileStamp {
  bool bExists{};
  uint64_t dev{}, ino{};
  int64_t size{}, mtimeNs{}, ctimeNs{};
  bool operator==(const FileStamp& o) const {
    return bExists == o.bExists && dev == o.dev && ino == o.ino && size == o.size && mtimeNs == o.mtimeNs &&
           ctimeNs == o.ctimeNs;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

constexpr char kProgramName[] = "kalvert";
constexpr char kProgramVersion[] = "0.86b";

// The files of the run. The output database is written to szTempOUT and
// renamed to szTarget when the run succeeds.
struct RunFiles {
  std::FILE* fp = nullptr;     // input database (-x), binary read; closed once loaded into `in`
  InputImage in;               // the input database's bytes
  std::FILE* fpin = nullptr;   // CSV input (-i), text read
  std::FILE* fpout = nullptr;  // output database (-o): a temporary file until the run succeeds
  int64_t lOutPos = 0;         // fpout's position, kept by its writers (asking the stream costs a system call)
  std::string szFilename;      // the names as given, for messages
  std::string szFilenameIN;    // the CSV file (-i), also named in the messages of the --format=csv import
  std::string szFilenameOUT;
  std::string szTarget;  // the file the output replaces: szFilenameOUT with its links followed
  std::string szTempOUT;
  int iLockFd = -1;  // the target, open and locked for the whole run; -1 while it does not exist
  int iOutErr = 0;   // why the output can't be written, found before the input was opened
  FileStamp stamp;   // the target as it was when locked
};

// How the one reading of the notes ended (database_file/notes).
enum class NoteScanEnd : uint8_t { kLookUpTable, kEndOfFile, kBrokenHeader };

// A note's body, where it lies in the input image.
struct NoteBody {
  long lAt;
  long lSize;
  bool bWhole;  // false when the file ends inside the body
};

// Every note of the input by record number (the first record of each number),
// read once at the first lookup.
struct NoteIndex {
  bool bBuilt = false;
  NoteScanEnd end = NoteScanEnd::kEndOfFile;
  long lBrokenAt{};  // offset of a broken header that ended the reading
  std::unordered_map<int16_t, NoteBody> notes;
};

// What the passes hand on to each other: results of the header and the
// definitions pass, and the counters of written records.
struct PassState {
  int16_t iFileType = 2;                      // 2 appointment book, 1 general database
  int16_t iAllRecNum{};                       // the header's record count
  int32_t lFirst{};                           // offset of the first record
  int32_t lFileLast{};                        // the header's lookup-table offset
  int32_t lLast{};                            // offset of the lookup table written
  int16_t iDataNum = 0;                       // data records written (numbers handed out)
  int16_t iNoteNum = 0;                       // note records written (numbers handed out)
  int16_t iFileDefNum = 0;                    // columns of a general-database line
  int16_t iOffsetLength = 0;                  // bytes of a general-database data record
  int16_t iUserType14 = 0;                    // dates in the appointment chain
  std::vector<unsigned char> szUserType14_0;  // body of type-14 record 0; empty when none was read
  std::deque<FieldDefineChain> fdcNodes;      // owns every field definition node
  NoteIndex notes;
  std::string szLine;  // the export line being built; its buffer is kept from line to line
  // Records that the --format=csv import added to a general database, each
  // with its note text, for the export that follows.
  std::vector<std::pair<RecordBody, std::string>> importedCards;
  long lRowWarnings = 0;  // values the --format=csv import changed, each with a warning
};

extern const Options& opt;
extern RunFiles files;
extern PassState state;
// The writable options, for ReadOption alone.
Options& MutableOptions();

// Every end of a run goes through here. A KalvertExit is thrown and caught by
// KalvertMain, which releases the files (a failure discards the temporary
// output file), so that every run unwinds and releases what it owns (tests
// and fuzzers run in-process).
struct KalvertExit {
  int status;
};
[[noreturn]] void Exit(int status);
// Text written to standard output and lost (a full disk, a closed pipe, a
// descriptor closed at the start) must not pass as success: a run that
// would end well ends with this message instead.
bool StdoutLost();
constexpr char kStdoutLost[] = "Failed write standard output.\n";
// Prints the formatted message on standard error and exits with status 1.
[[noreturn]] void Fatal(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// "File can't open.\n", then the file's name and the system's reason.
void ReportCantOpen(const std::string& szName, int iErr);

// The numbers handed out to the records of the output, each changed only
// here: the next data record's number, and the next note record's.
inline int16_t TakeDataNumber() {
  const int16_t n = state.iDataNum;
  state.iDataNum = CutTo16(n + 1L);
  return n;
}
inline int16_t TakeNoteNumber() {
  const int16_t n = state.iNoteNum;
  state.iNoteNum = CutTo16(n + 1L);
  return n;
}
