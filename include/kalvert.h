// kalvert: converter for the record-structured database files of a personal
// organiser (appointment book, file type '2'; general databases, 'D' and 'N').
//
// This header holds the structures every subsystem shares (file layouts, the
// seek-information lists, the item list, the field definition list), the
// global state of the run and the declarations of every module's function.
// All state shared between modules is global and lives in module kalvert.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "layout.h"
#include "lecoding.h"

// ---------------------------------------------------------------------------
// Database file layer (frw, chktype, chkstat); the layouts are in layout.h
// ---------------------------------------------------------------------------

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

// rdimage: reads the whole input database into memory. A file larger than
// the lookup table can describe, or one that cannot be read, ends the run.
void LoadInputImage(std::FILE* f, InputImage* pImage);

// frw: readers and writers of whole structures. n * m must equal the size on disk;
// the result is m, or -1 when a field was not transferred in full.
int fread_RHDR(RecordHeader* p, int n, int m, InputImage& f);
int fwrite_RHDR(const RecordHeader* p, int n, int m, std::FILE* f);
int fread_DBHDR(DBHeader* p, int n, int m, InputImage& f);
int fwrite_DBHDR(const DBHeader* p, int n, int m, std::FILE* f);
int fread_FDEF(FieldDefine* p, int n, int m, InputImage& f);
int fwrite_NRA(const NonRepeaAppt* p, int n, int m, std::FILE* f);
int fwrite_RIA(const RepeatInformationAppt* p, int n, int m, std::FILE* f);
[[noreturn]] void fwerr(const char* s, int r, int e);
[[noreturn]] void frerr(const char* s, int r, int e);

// chktype, chkstat: debug lines naming a record type or status (with -d).
int16_t CheckRecordType(char iFlag);
void CheckRecordStatus(char iFlag);

// ---------------------------------------------------------------------------
// Seek information and lookup table (adskinfo, wrtlus)
// ---------------------------------------------------------------------------

struct SeekInfomation {
  int32_t lSeekPt;  // output offset of the record's header
  int16_t iSize;    // the record's iLength
  int16_t iRecordNum;
  SeekInfomation* pnext_sinf;
};
using SINF = SeekInfomation;
using PSINF = SeekInfomation*;

constexpr int kSeekInfoTypes = 32;              // one list per record type 0..31
constexpr int kMaxLookUpEntries = 4095;         // 8 * N + 6 must fit a signed 16-bit length
constexpr int32_t kMaxLookUpOffset = 16777216;  // an entry keeps three offset bytes

// pSeekInfo: the 32 list heads, and the nodes they link (owned here).
struct SeekInfoLists {
  std::array<PSINF, kSeekInfoTypes> heads{};
  std::deque<SeekInfomation> nodes;
  // Kept by AddSeekInfo beside the lists, so that registering and counting
  // do not walk them: each list's last node of every record number, and its
  // length.
  std::array<std::map<int16_t, PSINF>, kSeekInfoTypes> lastOfNumber{};
  std::array<int, kSeekInfoTypes> counts{};
};

// Registers a record about to be written at lSeek. Refuses a type of 32 or
// more, a 4096th record and an offset the lookup table cannot hold.
void AddSeekInfo(SeekInfoLists* pSeekInfo, const RecordHeader* prhdr, int32_t lSeek);
// Registers a record header at the output's current position (unless
// pSeekInfo is null: the lookup table itself is not listed) and writes it.
void WriteRecordHeader(SeekInfoLists* pSeekInfo, const RecordHeader& rh);
// Writes the empty view point table, the lookup table and the type index;
// sets lLast and returns the number of entries.
int WriteLookUpSeek(SeekInfoLists* pSeekInfo);

// ---------------------------------------------------------------------------
// Item record list (makecsvd, adut14, adchday, adchtime)
// ---------------------------------------------------------------------------

constexpr uint8_t KIND_APPT = 0x80;
constexpr uint8_t KIND_EVENT = 0x20;
constexpr uint8_t KIND_TODO = 0x10;

// One appointment, event or ToDo item. Texts are bytes, without a NUL.
struct CSVData {
  std::string pszDescription;
  std::string pszCategory;
  std::string pszLocation;
  std::string pszNote;                      // shaped for the legacy text (-n, the \\n spelling)
  std::string pszStoredNote;                // the note record's body as stored, every byte
  std::vector<unsigned char> pszDelRepeat;  // raw deleted occurrences, 4 bytes each; empty for none
  int16_t iRecordNum = 0;
  int16_t iFirstRecord = 0;
  int16_t iStartTimeFlag = 0;
  int16_t iEndTimeFlag = 0;
  uint8_t cKind = 0;
  bool bFromInput = false;             // read from the input database: a copy writes its note as stored
  std::unique_ptr<NonRepeaAppt> pnra;  // never null
  std::unique_ptr<RepeatInformationAppt> pria;
  CSVData* pdown_csvd = nullptr;
  CSVData* pnext_csvd = nullptr;
};
using CSVD = CSVData;
using PCSVD = CSVData*;

// The two chains of filed items, and the items themselves (owned here).
struct StartCSV {
  PCSVD start_csvd = nullptr;  // date heads of plain items, each with its down chain
  PCSVD other_csvd = nullptr;  // every other item, one flat chain
  std::vector<std::unique_ptr<CSVData>> items;
  // Kept by AddUserType14 beside the chains, by date (year, month, day bytes):
  // the head of each date in start_csvd, the last node of each date in
  // other_csvd, and by date and start time the last node of each start time
  // in a date's down chain. They tell where a walk along a chain would stop.
  std::map<uint32_t, PCSVD> dateHeads;
  std::map<uint32_t, PCSVD> lastOfDate;
  std::map<uint64_t, PCSVD> lastOfStart;
};
using SCSV = StartCSV;
using PSCSV = StartCSV*;

// Every filed item in the order of the text output: the flat chain, then
// each date head followed by its down chain.
template <typename F>
void ForEachFiled(const StartCSV& scsv, F&& f) {
  for (PCSVD p = scsv.other_csvd; p; p = p->pnext_csvd) f(p);
  for (PCSVD head = scsv.start_csvd; head; head = head->pnext_csvd) {
    f(head);
    for (PCSVD p = head->pdown_csvd; p; p = p->pnext_csvd) f(p);
  }
}

std::unique_ptr<CSVData> MakeCSVD(int8_t cFlag);
// Numbers the item, files it in one of the two chains and takes ownership.
void AddUserType14(PSCSV pscsv, std::unique_ptr<CSVData> curr_csvd, SeekInfoLists* pSeekInfo);
PCSVD AddChainForDay(PCSVD start_csvd, PCSVD curr_csvd, int16_t iFlag);
PCSVD AddChainForTime(PCSVD start_csvd, PCSVD curr_csvd);

// ---------------------------------------------------------------------------
// Field definition list and the passes over the input (rdfield, rddata, ...)
// ---------------------------------------------------------------------------

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

// bodychk: bounds-checked access to a data record body. A value that does not
// lie wholly inside the body ends the run: "Broken TYPE_DATA record %d.\n".
void CheckBody(const RecordBody& body, long lOffset, long lWidth);
uint16_t BodyU16(const RecordBody& body, long lOffset);
uint8_t BodyU8(const RecordBody& body, long lOffset);
// The text that starts at lOffset (0 up to the body length): up to its NUL or
// the end of the body.
std::string BodyText(const RecordBody& body, long lOffset);

// rdrec: reads the next record header; false at end of file or on a short
// header. A header whose iLength is below 6 ends the run:
// "Broken record at offset %ld.\n".
bool ReadRecordHeader(RecordHeader* prh, InputImage& f);

PFDC ReadField(PFDC start_fdc, SeekInfoLists* pSeekInfo);
void ReadData(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);
std::string ReadNote(int16_t word, int8_t cRepeatType);
// The whole body of the note record `word`, every byte as stored; empty (after
// the not-found message) when no such note exists. ReadNote is its shaped form.
std::string ReadStoredNote(int16_t word);
// The text up to its first NUL, with CR and LF converted as -n asks.
std::string ShapeNote(const std::string& raw);
std::string ChangeString(std::string szBuffer);
std::string GetString(std::string pszData);
void ReadDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, RecordBody& szBuffer, std::string& szOut);
void PrintHeader(PFDC start_fdc);

// ---------------------------------------------------------------------------
// Appointment decoding and CSV output (rdappt, rdtodo, rdrpday, rdrpmth,
// outdata, wrtcsv, prtstr)
// ---------------------------------------------------------------------------

void ReadAppt(PFDC start_fdc, PCSVD curr_csvd, const RecordBody& szBuffer, uint8_t nKindOrig);
void ReadTodo(PFDC start_fdc, PCSVD curr_csvd, const RecordBody& szBuffer, uint8_t nKindOrig);
std::string ReadRepeatDay(int16_t iDay);
std::string ReadRepeatMonth(int16_t iMonth);
void OutputData(PSCSV start_scsv);
void WriteCSV(PCSVD curr_csvd);
void PrintString(const std::string& szWord, std::string& szOut, int nFlag);

// ---------------------------------------------------------------------------
// CSV import and database writer (rdcsv, getcsv, setappt, settodo, getrpday,
// getrpmth, cutstr, wrtut14, wrtdata, wrtdb)
// ---------------------------------------------------------------------------

void ReadCSV(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);
std::string GetCSV(const std::string& pszData, int16_t iNum, char cST);
// Every field of a line, in one walk: GetCSV(line, n, cST) is field n (from 1).
std::vector<std::string> SplitCSV(const std::string& pszData, char cST);
void CSVToNRAAppt(PCSVD curr_csvd, const std::string& szBuffer, int16_t nKind);
void CSVToNRAToDo(PCSVD curr_csvd, const std::string& szBuffer, int16_t nKind);
int16_t GetRepeatDay(const std::string& pszDay);
int16_t GetRepeatMonth(const std::string& pszMonth);
std::string& CutString(std::string& pszString, int iStart, int iCut);
void WriteUserType14(PSCSV start_scsv, SeekInfoLists* pSeekInfo);
void WriteDATA(PCSVD pcsvd, SeekInfoLists* pSeekInfo);
void WriteDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, const std::string& szBuffer);

// ---------------------------------------------------------------------------
// Rules that the export and the import (and the command line) share
// ---------------------------------------------------------------------------

// The field types of a general database that make a column of a line (and a
// slot of its record); 11 to 14 and 16 and above make none.
constexpr bool FieldMakesColumn(uint8_t cFieldType) { return cFieldType <= 10 || cFieldType == 13 || cFieldType == 15; }

// An item's start time (a ToDo item's priority bytes) as one signed number.
inline int16_t StartTime(const NonRepeaAppt& nra) {
  return static_cast<int16_t>(static_cast<uint16_t>(nra.cStartTimePri2 << 8 | nra.cStartTimePri1));
}

// A number of 0 or more in decimal, padded with zeros to at least iWidth
// digits (the "%0Nd" form for values that cannot be negative).
inline void AppendPadded(std::string& s, unsigned long uValue, std::size_t iWidth) {
  char digits[24];
  char* p = digits + sizeof digits;
  do {
    *--p = static_cast<char>('0' + uValue % 10);
    uValue /= 10;
  } while (uValue != 0);
  const std::size_t n = static_cast<std::size_t>(digits + sizeof digits - p);
  if (n < iWidth) s.append(iWidth - n, '0');
  s.append(p, n);
}

// The names of a repeat rule: weekdays by bit of the day rule from bit 0, and
// months by bit of the month rule (bits 10 and 11 are named DEC and NOV, in
// that order, in both directions, so a rule survives export and import).
constexpr const char* kWeekdayNames[7] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
constexpr const char* kMonthRuleNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                             "JUL", "AUG", "SEP", "OCT", "DEC", "NOV"};

inline bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The leading decimal number of s from index i: blanks, an optional sign, then
// digits up to the first other byte; no digits give 0. The value is kept
// modulo 2^16 from its exact value, so any digit string is read without
// overflow (option values and number columns alike).
inline int16_t LeadingNumber(const std::string& s, std::size_t i = 0) {
  while (i < s.size() && IsBlank(static_cast<unsigned char>(s[i]))) ++i;
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

// ---------------------------------------------------------------------------
// Driver (kalvert, rdoption) and the global state of the run
// ---------------------------------------------------------------------------

constexpr int32_t kDefaultCutStart = 19000101;  // first date written (-g)
constexpr int32_t kDefaultCutEnd = 22000101;    // last date written (-f)

// Text formats of the export and the import: the byte-exact legacy layouts,
// standard CSV, and iCalendar (export only).
enum class OutputFormat : uint8_t { kLegacy, kCsv, kIcs };

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
  bool bExists = false;
  uint64_t dev = 0, ino = 0;
  int64_t size = 0, mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FileStamp& o) const {
    return bExists == o.bExists && dev == o.dev && ino == o.ino && size == o.size && mtimeNs == o.mtimeNs &&
           ctimeNs == o.ctimeNs;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

constexpr char kProgramName[] = "kalvert";
constexpr char kProgramVersion[] = "0.86b";

// wantitem: what a modern format exports. WantsKind: a kind (KIND_APPT,
// KIND_EVENT, KIND_TODO) chosen by the kind options; WantsItem: the item's
// kind and repeat class chosen, and its date within -g and -f.
bool WantsKind(uint8_t cKind);
bool WantsItem(const CSVData& item);
// The item's date read as the number YYYYMMDD, as the date range compares it.
int32_t DateKey(const NonRepeaAppt& nra);
// Shared with the legacy text (outdata): the date within -g and -f, and the
// class of a kind option (1 every item, 2 those that happen once, 3 those
// that repeat).
bool InDateRange(const NonRepeaAppt& nra);
bool ClassTakes(int16_t iClass, bool bOnce, bool bRepeats);
// The export of the modern formats, at the place of the legacy text output.
void WriteStdCsv(PFDC start_fdc, PSCSV start_scsv);
void WriteICalendar(PSCSV start_scsv);
// The refusals of --format=ics once the file type is known (src/icalendar).
void CheckICalendarRun();
// The import of --format=csv (-i), at the place of ReadCSV.
void ReadStdCsv(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);

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

// How the one reading of the notes ended (module rdnote).
enum class NoteScanEnd : uint8_t { kLookUpTable, kEndOfFile, kBrokenHeader };

// A note's body, where it lies in the input image.
struct NoteBody {
  long lAt = 0;
  long lSize = 0;
  bool bWhole = true;  // false when the file ends inside the body
};

// Every note of the input by record number (the first record of each number),
// read once at the first lookup.
struct NoteIndex {
  bool bBuilt = false;
  NoteScanEnd end = NoteScanEnd::kEndOfFile;
  long lBrokenAt = 0;  // offset of a broken header that ended the reading
  std::unordered_map<int16_t, NoteBody> notes;
};

// What the passes hand on to each other: results of the header and the
// definitions pass, and the counters of written records.
struct PassState {
  int16_t iFileType = 2;                      // 2 appointment book, 1 general database
  int16_t iAllRecNum = 0;                     // the header's record count
  int32_t lFirst = 0;                         // offset of the first record
  int32_t lFileLast = 0;                      // the header's lookup-table offset
  int32_t lLast = 0;                          // offset of the lookup table written
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
};

extern const Options& opt;
extern RunFiles files;
extern PassState state;
// The writable options, for ReadOption alone.
Options& MutableOptions();

// Puts the run's state back to its defaults and releases what a previous run held.
void ResetGlobals();
int ReadOption(int iArg, char** ppArg);
void usage();
// The whole run; returns the exit status.
int KalvertMain(int argc, char** argv);

// Every end of a run goes through here. A failure (status other than 0)
// discards the temporary output file. A KalvertExit is thrown and caught by
// KalvertMain, so that every run unwinds and releases what it owns (tests and
// fuzzers run in-process).
struct KalvertExit {
  int status;
};
[[noreturn]] void Exit(int status);
// Prints the formatted message on standard error and exits with status 1.
[[noreturn]] void Fatal(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// "File can't open.\n", then the file's name and the system's reason.
void ReportCantOpen(const std::string& szName, int iErr);

// outfile: the output database's way to its destination.
// Follows the destination's links and locks it (waiting for another run that
// holds it); a failure is kept for OpenOutput, so that the input's are told first.
void PrepareOutput();
// Reports what PrepareOutput found, or creates the temporary file (mode 0600).
bool OpenOutput();
// Syncs the temporary file, gives it the destination's mode, owner and
// extended attributes, renames it over the destination and syncs the folder.
void CommitOutput();
// Closes and removes the temporary file, and releases the lock.
void DiscardOutput();
// SIGINT, SIGTERM and SIGHUP remove the temporary file before they end the run.
void InstallSignalCleanup();

// Writes bytes to the output database; a short write ends the run with
// "Failed write file.\n".
void WriteOut(const void* data, std::size_t size);
// The output database's current position.
int32_t OutPos();
