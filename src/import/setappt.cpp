// setappt: CSVToNRAAppt, one CSV line of an appointment or event turned into
// an item: description, date, start and end time, location, end date, note,
// and the repeat columns.
#include <cstdio>

#include "csvitem.h"

namespace {

constexpr long kLastColumn = 12;  // later columns are not read

// A time column: minutes low byte first; no time gives 0xFF 0xFF and flag 1.
void SetTime(const std::string& text, uint8_t* low, uint8_t* high, int16_t* flag) {
  if (csvvalue::IsNoTime(text)) {
    *low = 0xFF;
    *high = 0xFF;
    *flag = 1;
    return;
  }
  const uint16_t minutes = csvvalue::ParseMinutes(text);
  SplitU16(minutes, low, high);
  *flag = 0;
}

void SetColumn(PCSVD item, long column, std::string text) {
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
      SetTime(text, &nra.cStartTimePri1, &nra.cStartTimePri2, &item->iStartTimeFlag);
      break;
    case 4:
      SetTime(text, &nra.cEndTimeYear, &nra.cEndTimeMonth, &item->iEndTimeFlag);
      break;
    case 5:
      item->pszLocation = std::move(CutString(text, 0, 19));
      break;
    case 6:
      nra.iEndDate = static_cast<uint16_t>(csvvalue::LeadingNumber(text));
      break;
    case 7:
      csvitem::SetNote(item, std::move(text));
      break;
    default:
      csvitem::SetRepeatColumn(ria, column - 7, text);
      break;
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

void CSVToNRAAppt(PCSVD curr_csvd, const std::string& szBuffer, int16_t nKind) {
  const std::string line = csvitem::LineOf(szBuffer);
  if (!curr_csvd->pria) curr_csvd->pria = std::make_unique<RepeatInformationAppt>();
  const long iNum = csvitem::CountColumns(line);
  if (iNum <= 6) {
    std::fputs("I can't understand follow this record. Please check !\n", stderr);
    std::fprintf(stderr, "<<< %s >>>\n", line.c_str());
  }
  // A line too short to reach the note has none.
  if (iNum < 7) curr_csvd->pnra->iNoteRecNum = -1;
  std::vector<std::string> columns = SplitCSV(line, '"');
  for (long column = 1; column <= iNum && column <= kLastColumn; ++column) {
    SetColumn(curr_csvd, column, csvitem::TakeField(columns, column));
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
