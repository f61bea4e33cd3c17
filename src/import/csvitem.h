// csvitem: the pieces that the appointment and the ToDo line builders share:
// the column count, the note column, the repeat columns and the repeat type.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "csvvalue.h"
#include "kalvert.h"

namespace csvitem {

// The line as handled: up to its first NUL.
inline std::string LineOf(const std::string& szBuffer) { return std::string(szBuffer.c_str()); }

inline bool HasColumn(const std::vector<std::string>& columns, long column) {
  return column >= 1 && static_cast<std::size_t>(column) <= columns.size();
}

// Column number `column` (from 1) of a split line; empty beyond its last.
inline const std::string& Field(const std::vector<std::string>& columns, long column) {
  static const std::string kNone;
  return HasColumn(columns, column) ? columns[static_cast<std::size_t>(column) - 1] : kNone;
}

// The same column moved out of the line, for a builder that reads each
// column once.
inline std::string TakeField(std::vector<std::string>& columns, long column) {
  return HasColumn(columns, column) ? std::move(columns[static_cast<std::size_t>(column) - 1]) : std::string();
}

// 1 + the separators of the whole line, those inside quotes included. The
// count is kept exact (not cut to 16 bits), so a very wide line is never
// mistaken for a short one.
inline long CountColumns(const std::string& line) {
  const char sep = opt.iTAB ? '\t' : ',';
  long n = 1;
  for (const char c : line) n += c == sep ? 1 : 0;
  return n;
}

// Note column: a note is written for the item unless the text is empty.
inline void SetNote(PCSVD item, std::string text) {
  item->pszNote = ChangeString(std::move(text));
  if (item->pszNote.empty()) item->pnra->iNoteRecNum = -1;
}

inline void SetFreq(PRIA ria, const std::string& text) {
  ria->cFreq = static_cast<int8_t>(CutTo8(csvvalue::LeadingNumber(text)));
}

inline void SetDayRule(PRIA ria, const std::string& text) {
  SplitU16(static_cast<uint16_t>(GetRepeatDay(text)), &ria->Days, &ria->Weeks);
}

inline void SetMonthRule(PRIA ria, const std::string& text) {
  SplitU16(static_cast<uint16_t>(GetRepeatMonth(text)), &ria->Month1, &ria->Month2);
}

inline void SetFirstDate(PRIA ria, const std::string& text) {
  csvvalue::StoreDate(text, &ria->cStartYear, &ria->cStartMonth, &ria->cStartDay);
}

inline void SetLastDate(PRIA ria, const std::string& text) {
  csvvalue::StoreDate(text, &ria->cEndYear, &ria->cEndMonth, &ria->cEndDay);
}

// The five repeat columns, numbered 1 (frequency) to 5 (last date); they
// follow the note column in both layouts.
inline void SetRepeatColumn(PRIA ria, long iRepeatColumn, const std::string& text) {
  switch (iRepeatColumn) {
    case 1:
      SetFreq(ria, text);
      break;
    case 2:
      SetDayRule(ria, text);
      break;
    case 3:
      SetMonthRule(ria, text);
      break;
    case 4:
      SetFirstDate(ria, text);
      break;
    case 5:
      SetLastDate(ria, text);
      break;
    default:
      break;
  }
}

// The repeat type from the frequency, day rule and month rule; 0 when no
// row of the table fits (the item then counts as not repeating).
inline int8_t RepeatType(const RepeatInformationAppt& ria) {
  const bool freq = ria.cFreq != 0;
  const int16_t iDay = CutTo16(ria.Weeks * 256L + ria.Days);
  const int16_t iMonth = CutTo16(ria.Month2 * 256L + ria.Month1);
  const bool weekdays = iDay >= 129 && iDay <= 255;
  const bool plainDay = iDay <= 127 || iDay >= 257;
  if (iMonth == 0 && iDay == 0) return freq ? 2 : 1;
  if (freq && iMonth == 0) return weekdays ? 4 : plainDay ? 8 : 0;
  if (iMonth != 0 && plainDay) return freq ? 16 : 32;
  return 0;
}

}  // namespace csvitem
