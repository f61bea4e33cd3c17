// item_lines: OutputData walks both item chains, applies the date range and
// the kind filters, and WriteCSV builds the line of each chosen item, in the
// appointment layout or the ToDo layout, and writes it to standard output.

#include <cstdio>
#include <string>

#include "legacy_text.h"

namespace {

// The legacy text takes only repeat type 1 as happening once.
bool ModeTakes(int16_t iMode, const BookItem& csvd) {
  const int8_t cRepeatType = csvd.pnra->cRepeatType;
  return ClassTakes(iMode, cRepeatType == kRepeatNone, Repeats(cRepeatType));
}

bool KindPasses(const BookItem& csvd) {
  if (opt.iAppt != 0 && csvd.cKind == KIND_APPT) return ModeTakes(opt.iAppt, csvd);
  if (opt.iEvent != 0 && csvd.cKind == KIND_EVENT) return ModeTakes(opt.iEvent, csvd);
  if (opt.iToDo != 0 && csvd.cKind == KIND_TODO) return opt.iToDo == 4 || ModeTakes(opt.iToDo, csvd);
  return false;
}

}  // namespace

void OutputData(PSCSV start_scsv) {
  ForEachFiled(*start_scsv, [](PCSVD p) {
    if (InDateRange(*p->pnra) && KindPasses(*p)) WriteCSV(p);
  });
}

namespace {

// A signed number in decimal (the "%d" form).
std::string Number(long lValue) {
  std::string s;
  if (lValue < 0) s += '-';
  AppendPadded(s, lValue < 0 ? 0UL - static_cast<unsigned long>(lValue) : static_cast<unsigned long>(lValue), 1);
  return s;
}

// A repetition date, written whatever the bytes hold (each part is at least
// 1, the year at least 1900, so the "%4d/%02d/%02d" form needs no spaces).
std::string RepeatDate(uint8_t cYear, uint8_t cMonth, uint8_t cDay) { return DateBytesText(cYear, cMonth, cDay, '/'); }

std::string DateText(uint8_t cYear, uint8_t cMonth, uint8_t cDay) {
  return IsNoDate(cYear, cMonth, cDay) ? std::string() : RepeatDate(cYear, cMonth, cDay);
}

// Minutes after midnight as a signed 16-bit number; every negative value
// means no time. Values of a day or more are written as they come.
std::string TimeText(uint8_t cLow, uint8_t cHigh) {
  const int iTime = CutTo16(cHigh * 256L + cLow);
  return iTime < 0 ? "NONE" : ClockText(iTime);
}

std::string NoteText(const std::string& szNote) {
  std::string sz = szNote;
  for (char& c : sz) {
    if (opt.iNote == 1 && (c == '\r' || c == '\n')) {
      c = ' ';
    } else if (opt.iNote == 2) {
      // CR LF becomes backslash and n, which the import turns back.
      if (c == '\r')
        c = '\\';
      else if (c == '\n')
        c = 'n';
    }
  }
  return sz;
}

// The repeat columns end the line of a repeating item.
void AppendRepeat(const RepeatInformationAppt& r, std::string& szOut) {
  const int16_t iDays = CutTo16(r.Weeks * 256L + r.Days);
  const int16_t iMonth = CutTo16(r.Month2 * 256L + r.Month1);
  PrintString(Number(r.cFreq), szOut, FieldEnd::kSeparator);
  PrintString(ReadRepeatDay(iDays), szOut, FieldEnd::kSeparator);
  PrintString(ReadRepeatMonth(iMonth), szOut, FieldEnd::kSeparator);
  // The repetition dates are written whatever the bytes hold.
  PrintString(RepeatDate(r.cStartYear, r.cStartMonth, r.cStartDay), szOut, FieldEnd::kSeparator);
  PrintString(RepeatDate(r.cEndYear, r.cEndMonth, r.cEndDay), szOut, FieldEnd::kSeparator);
  PrintString(Number(r.cDelete), szOut, FieldEnd::kLineEnd);
}

// The note column, last of the line unless the repeat columns follow.
void AppendNoteAndRepeat(const BookItem& csvd, std::string& szOut) {
  const bool bRepeats = Repeats(csvd.pnra->cRepeatType);
  // A note without line breaks (every note read from a book is shaped
  // already) goes out as it is, without a copy.
  const std::string& note = csvd.pszNote;
  const bool bAsIs = (opt.iNote != 1 && opt.iNote != 2) || note.find_first_of("\r\n") == std::string::npos;
  PrintString(bAsIs ? note : NoteText(note), szOut, bRepeats ? FieldEnd::kSeparator : FieldEnd::kLineEnd);
  if (!bRepeats) return;
  // Every item that repeats was made with a repeat block; an all-zero block
  // keeps the line's shape should one be missing.
  const RepeatInformationAppt kNone{};
  AppendRepeat(csvd.pria ? *csvd.pria : kNone, szOut);
}

void AppendAppt(const BookItem& csvd, std::string& szOut) {
  const NonRepeaAppt& nra = *csvd.pnra;
  PrintString(csvd.pszDescription, szOut, FieldEnd::kSeparator);
  PrintString(DateText(nra.cYear, nra.cMonth, nra.cDay), szOut, FieldEnd::kSeparator);
  PrintString(TimeText(nra.cStartTimePri1, nra.cStartTimePri2), szOut, FieldEnd::kSeparator);
  PrintString(TimeText(nra.cEndTimeYear, nra.cEndTimeMonth), szOut, FieldEnd::kSeparator);
  PrintString(csvd.pszLocation, szOut, FieldEnd::kSeparator);
  PrintString(Number(nra.iEndDate), szOut, FieldEnd::kSeparator);
  AppendNoteAndRepeat(csvd, szOut);
}

// With iToDo 4 the ToDo line takes the columns of an appointment line.
void AppendTodo(const BookItem& csvd, std::string& szOut) {
  const NonRepeaAppt& nra = *csvd.pnra;
  PrintString(csvd.pszDescription, szOut, FieldEnd::kSeparator);
  PrintString(DateText(nra.cYear, nra.cMonth, nra.cDay), szOut, FieldEnd::kSeparator);
  if (opt.iToDo == 4) {
    for (int i = 0; i < 3; ++i) PrintString(std::string(), szOut, FieldEnd::kSeparator);
  }
  PrintString(Number(nra.iEndDate), szOut, FieldEnd::kSeparator);
  if (opt.iToDo != 4) {
    PrintString(DateText(nra.cEndTimeYear, nra.cEndTimeMonth, nra.cLeadTimeDay), szOut, FieldEnd::kSeparator);
    PrintString(PriorityText(nra.cStartTimePri1, nra.cStartTimePri2), szOut, FieldEnd::kSeparator);
  }
  AppendNoteAndRepeat(csvd, szOut);
}

}  // namespace

void WriteCSV(PCSVD curr_csvd) {
  if (state.iFileType != 2) return;
  // The line is built whole, without a length limit, and written as bytes;
  // its buffer is kept from line to line.
  std::string& szOut = state.szLine;
  szOut.clear();
  if (opt.iAppt != 0 || opt.iEvent != 0) {
    AppendAppt(*curr_csvd, szOut);
  } else if (opt.iToDo != 0) {
    AppendTodo(*curr_csvd, szOut);
  }
  if (!szOut.empty()) std::fwrite(szOut.data(), 1, szOut.size(), stdout);
}
