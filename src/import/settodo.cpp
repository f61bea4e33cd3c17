// settodo: CSVToNRAToDo, one CSV line of a ToDo item turned into an item:
// description, date, end date, completion date, priority, note and the
// repeat columns.
#include "csvitem.h"

namespace {

constexpr long kLastColumn = 11;  // later columns are not read
constexpr int kComplete = 2;      // the completed bit of a ToDo's flags

// Returns what the column adds to the flags (the completed bit).
int SetColumn(PCSVD item, long column, std::string text) {
  NonRepeaAppt& nra = *item->pnra;
  RepeatInformationAppt* ria = item->pria.get();
  switch (column) {
    case 1:
      item->pszDescription = std::move(CutString(text, 0, 51));
      break;
    case 2:
      csvvalue::StoreDate(text, &nra.cYear, &nra.cMonth, &nra.cDay);
      break;
    case 3:
      nra.iEndDate = static_cast<uint16_t>(csvvalue::LeadingNumber(text));
      break;
    case 4:
      csvvalue::StoreDate(text, &nra.cEndTimeYear, &nra.cEndTimeMonth, &nra.cLeadTimeDay);
      return text.empty() ? 0 : kComplete;
    case 5:
      nra.cStartTimePri1 = text.empty() ? static_cast<uint8_t>('1') : static_cast<uint8_t>(text[0]);
      nra.cStartTimePri2 = 0;
      break;
    case 6:
      csvitem::SetNote(item, std::move(text));
      break;
    default:
      csvitem::SetRepeatColumn(ria, column - 6, text);
      break;
  }
  return 0;
}

}  // namespace

void CSVToNRAToDo(PCSVD curr_csvd, const std::string& szBuffer, int16_t nKind) {
  const std::string line = csvitem::LineOf(szBuffer);
  if (!curr_csvd->pria) curr_csvd->pria = std::make_unique<RepeatInformationAppt>();
  const long iNum = csvitem::CountColumns(line);
  // A line too short to reach the note has none.
  if (iNum < 6) curr_csvd->pnra->iNoteRecNum = -1;
  int nComplete = 0;
  std::vector<std::string> columns = SplitCSV(line, '"');
  for (long column = 1; column <= iNum && column <= kLastColumn; ++column) {
    nComplete += SetColumn(curr_csvd, column, csvitem::TakeField(columns, column));
  }

  NonRepeaAppt& nra = *curr_csvd->pnra;
  nra.cRepeatType = csvitem::RepeatType(*curr_csvd->pria);
  nra.iPrevRecNum = -1;
  nra.iNextRecNum = -1;
  nra.cFlags = CutTo8(static_cast<long>(nKind) + nComplete);
  nra.cLeadTime = 0xFF;
  curr_csvd->pszLocation.clear();
  curr_csvd->pszCategory.clear();
}
