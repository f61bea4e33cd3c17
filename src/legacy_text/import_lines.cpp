// import_lines: ReadCSV, the import's line loop: each line becomes an item of
// the appointment book (CSVToNRAAppt for appointments and events,
// CSVToNRAToDo for ToDo items), or a new record of a general database.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "legacy_text.h"

// The pieces that the appointment and the ToDo line builders share: the
// column count, the note column, the repeat columns and the repeat type.
namespace csvitem {

// The line as handled: up to its first NUL.
std::string LineOf(const std::string& szLine) { return std::string(szLine.c_str()); }

// 1 + the separators of the whole line, those inside quotes included. The
// count is kept exact (not cut to 16 bits), so a very wide line is never
// mistaken for a short one.
long CountColumns(const std::string& line) {
  const char sep = opt.iTAB ? '\t' : ',';
  long n = 1;
  for (const char c : line) n += c == sep ? 1 : 0;
  return n;
}

// Note column: a note is written for the item unless the text is empty.
void SetNote(PCSVD item, std::string text) {
  item->pszNote = ChangeString(std::move(text));
  if (item->pszNote.empty()) item->pnra->iNoteRecNum = -1;
}

void SetFreq(PRIA ria, const std::string& text) { ria->cFreq = static_cast<int8_t>(CutTo8(LeadingNumber(text))); }

void SetDayRule(PRIA ria, const std::string& text) {
  SplitU16(static_cast<uint16_t>(GetRepeatDay(text)), &ria->Days, &ria->Weeks);
}

void SetMonthRule(PRIA ria, const std::string& text) {
  SplitU16(static_cast<uint16_t>(GetRepeatMonth(text)), &ria->Month1, &ria->Month2);
}

void SetFirstDate(PRIA ria, const std::string& text) {
  csvvalue::StoreDate(text, &ria->cStartYear, &ria->cStartMonth, &ria->cStartDay);
}

void SetLastDate(PRIA ria, const std::string& text) {
  csvvalue::StoreDate(text, &ria->cEndYear, &ria->cEndMonth, &ria->cEndDay);
}

// The five repeat columns, in the order they follow the note column in both
// layouts; later columns are not read.
using RepeatSetter = void (*)(PRIA, const std::string&);
constexpr RepeatSetter kRepeatColumns[] = {SetFreq, SetDayRule, SetMonthRule, SetFirstDate, SetLastDate};
constexpr long kRepeatColumnCount = static_cast<long>(std::size(kRepeatColumns));

// Repeat column n, from 1.
void SetRepeatColumn(PRIA ria, long iRepeatColumn, const std::string& text) {
  kRepeatColumns[iRepeatColumn - 1](ria, text);
}

// The repeat type from the frequency, day rule and month rule; 0 when no
// row of the table fits (the item then counts as not repeating).
int8_t RepeatType(const RepeatInformationAppt& ria) {
  const bool freq = ria.cFreq != 0;
  const int16_t iDay = CutTo16(ria.Weeks * 256L + ria.Days);
  const bool months = ria.Month1 != 0 || ria.Month2 != 0;
  const bool weekdays = iDay >= 129 && iDay <= 255;
  const bool plainDay = iDay <= 127 || iDay >= 257;
  if (!months && iDay == 0) return freq ? kRepeatDaily : kRepeatNone;
  if (freq && !months) return weekdays ? kRepeatWeekly : plainDay ? kRepeatMonthly : 0;
  if (months && plainDay) return freq ? kRepeatYearly : kRepeatCustom;
  return 0;
}

}  // namespace csvitem

namespace {

// Reads the import's lines byte by byte through the stream's own buffer,
// without its lock: the same on every system, whatever the line's length.
#ifdef _WIN32
inline int NextByte(std::FILE* f) { return _getc_nolock(f); }
#else
inline int NextByte(std::FILE* f) { return getc_unlocked(f); }
#endif

// Reads one line whole, its line feed included; a NUL byte ends the line's
// text. False at end of file when nothing was read; a read error ends the run.
bool ReadLine(std::FILE* f, std::string* line) {
  line->clear();
  bool bAny = false;
  bool bCut = false;
  char held[256];  // appended a run at a time, not byte by byte
  std::size_t nHeld = 0;
  int c = 0;
  errno = 0;
  while ((c = NextByte(f)) != EOF) {
    bAny = true;
    if (c == '\0') bCut = true;
    if (!bCut) held[nHeld++] = static_cast<char>(c);
    if (nHeld == sizeof held) {
      line->append(held, nHeld);
      nHeld = 0;
    }
    if (c == '\n') break;
  }
  line->append(held, nHeld);
  if (std::ferror(f)) {
    const int err = errno;
    Fatal("Failed read file.\n  %s: %s\n", files.szFilenameIN.c_str(), std::strerror(err));
  }
  return bAny;
}

// One line of an appointment book: its kind comes from the options, ToDo over
// event over appointment. Returns false when no date could be read.
bool ImportItem(PSCSV start_scsv, SeekInfoLists* pSeekInfo, const std::string& line) {
  std::unique_ptr<BookItem> item = MakeCSVD(true);
  int16_t nKind{};
  if (opt.iAppt != 0) {
    nKind = CutTo16(static_cast<long>(opt.iAlarm) + 128);
    item->cKind = KIND_APPT;
  }
  if (opt.iEvent != 0) {
    nKind = 0x26;
    item->cKind = KIND_EVENT;
  }
  if (opt.iToDo != 0) {
    nKind = 0x14;
    item->cKind = KIND_TODO;
  }
  if (opt.iToDo != 0) {
    CSVToNRAToDo(item.get(), line, nKind);
  } else {
    CSVToNRAAppt(item.get(), line, nKind);
  }
  // An item without a date is shown by no export.
  const bool bDated = !IsNoDate(item->pnra->cYear, item->pnra->cMonth, item->pnra->cDay);
  FileItem(start_scsv, std::move(item), pSeekInfo);
  return bDated;
}

}  // namespace

void ReadCSV(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  std::string line;
  long lLine = 0;
  long lUndated = 0;
  while (ReadLine(files.fpin, &line)) {
    ++lLine;
    if (state.iFileType == 2) {
      if (ImportItem(start_scsv, pSeekInfo, line)) continue;
      std::fprintf(
          stderr, "Warning: no date can be read from line %ld of the CSV file; no export will show its item.\n", lLine);
      ++lUndated;
    } else if (state.iFileType == 1) {
      WriteDB(start_fdc, pSeekInfo, line);
    }
  }
  if (lUndated > 0) std::fprintf(stderr, "Warning: %ld item(s) stored without a date.\n", lUndated);
}

namespace {

constexpr long kApptNoteColumn = 7;  // the repeat columns follow it

// A time column: minutes low byte first; no time gives 0xFF 0xFF.
void SetTime(const std::string& text, uint8_t* low, uint8_t* high) {
  SplitU16(csvvalue::IsNoTime(text) ? 0xFFFF : csvvalue::ParseMinutes(text), low, high);
}

void SetApptColumn(PCSVD item, long column, std::string text) {
  NonRepeaAppt& nra = *item->pnra;
  RepeatInformationAppt* ria = item->pria.get();
  switch (column) {
    case 1:
      item->pszDescription = std::move(CutString(text, 0, kMaxDescription));
      break;
    case 2:
      csvvalue::StoreDate(text, &nra.cYear, &nra.cMonth, &nra.cDay);
      break;
    case 3:
      SetTime(text, &nra.cStartTimePri1, &nra.cStartTimePri2);
      break;
    case 4:
      SetTime(text, &nra.cEndTimeYear, &nra.cEndTimeMonth);
      break;
    case 5:
      item->pszLocation = std::move(CutString(text, 0, kMaxLocation));
      break;
    case 6:
      nra.iEndDate = static_cast<uint16_t>(LeadingNumber(text));
      break;
    case kApptNoteColumn:
      csvitem::SetNote(item, std::move(text));
      break;
    default:
      csvitem::SetRepeatColumn(ria, column - kApptNoteColumn, text);
  }
}

// A line that ends inside the repeat columns repeats from 1994/01/01 to
// 1999/01/01 with no day or month rule.
void ShortLineDefaults(PRIA ria, long iNum) {
  if (iNum < 8 || iNum > 11) return;
  if (iNum <= 8) ria->Days = ria->Weeks = 0;
  if (iNum <= 9) ria->Month1 = ria->Month2 = 0;
  if (iNum <= 10) {
    ria->cStartYear = 94;
    ria->cStartMonth = 0;
    ria->cStartDay = 0;
  }
  ria->cEndYear = 99;
  ria->cEndMonth = 0;
  ria->cEndDay = 0;
}

}  // namespace

void CSVToNRAAppt(PCSVD curr_csvd, const std::string& szLine, int16_t nKind) {
  const std::string line = csvitem::LineOf(szLine);
  if (!curr_csvd->pria) curr_csvd->pria = std::make_unique<RepeatInformationAppt>();
  const long iNum = csvitem::CountColumns(line);
  if (iNum <= 6) {
    std::fputs("I can't understand follow this record. Please check !\n", stderr);
    std::fprintf(stderr, "<<< %s >>>\n", line.c_str());
  }
  // A line too short to reach the note has none.
  if (iNum < 7) curr_csvd->pnra->iNoteRecNum = -1;
  std::vector<std::string> columns = SplitCSV(line, '"');
  for (long column = 1; column <= iNum && column <= kApptNoteColumn + csvitem::kRepeatColumnCount; ++column) {
    SetApptColumn(curr_csvd, column, csvitem::TakeField(columns, column));
  }
  ShortLineDefaults(curr_csvd->pria.get(), iNum);

  NonRepeaAppt& nra = *curr_csvd->pnra;
  nra.cRepeatType = csvitem::RepeatType(*curr_csvd->pria);
  nra.iPrevRecNum = -1;
  nra.iNextRecNum = -1;
  nra.cFlags = CutTo8(nKind);
  nra.cLeadTimeDay = 5;
  nra.cLeadTime = 0;
  curr_csvd->pszCategory.clear();
}

namespace {

constexpr long kTodoNoteColumn = 6;  // the repeat columns follow it

// Returns what the column adds to the flags (the completed bit).
int SetTodoColumn(PCSVD item, long column, std::string text) {
  NonRepeaAppt& nra = *item->pnra;
  RepeatInformationAppt* ria = item->pria.get();
  switch (column) {
    case 1:
      item->pszDescription = std::move(CutString(text, 0, kMaxDescription));
      break;
    case 2:
      csvvalue::StoreDate(text, &nra.cYear, &nra.cMonth, &nra.cDay);
      break;
    case 3:
      nra.iEndDate = static_cast<uint16_t>(LeadingNumber(text));
      break;
    case 4:
      csvvalue::StoreDate(text, &nra.cEndTimeYear, &nra.cEndTimeMonth, &nra.cLeadTimeDay);
      return text.empty() ? 0 : kFlagCompleted;
    case 5:
      nra.cStartTimePri1 = text.empty() ? static_cast<uint8_t>('1') : static_cast<uint8_t>(text[0]);
      nra.cStartTimePri2 = 0;
      break;
    case kTodoNoteColumn:
      csvitem::SetNote(item, std::move(text));
      break;
    default:
      csvitem::SetRepeatColumn(ria, column - kTodoNoteColumn, text);
  }
  return 0;
}

}  // namespace

void CSVToNRAToDo(PCSVD curr_csvd, const std::string& szLine, int16_t nKind) {
  const std::string line = csvitem::LineOf(szLine);
  if (!curr_csvd->pria) curr_csvd->pria = std::make_unique<RepeatInformationAppt>();
  const long iNum = csvitem::CountColumns(line);
  // A line too short to reach the note has none.
  if (iNum < 6) curr_csvd->pnra->iNoteRecNum = -1;
  int nComplete = 0;
  std::vector<std::string> columns = SplitCSV(line, '"');
  for (long column = 1; column <= iNum && column <= kTodoNoteColumn + csvitem::kRepeatColumnCount; ++column) {
    nComplete += SetTodoColumn(curr_csvd, column, csvitem::TakeField(columns, column));
  }

  NonRepeaAppt& nra = *curr_csvd->pnra;
  nra.cRepeatType = csvitem::RepeatType(*curr_csvd->pria);
  nra.iPrevRecNum = -1;
  nra.iNextRecNum = -1;
  nra.cFlags = CutTo8(static_cast<long>(nKind) + nComplete);
  nra.cLeadTime = 0xFF;  // a ToDo item has no location or category: its new item keeps them empty
}
