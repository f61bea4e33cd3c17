// itemrow: ItemRow, the fields of one appointment, event or ToDo item, every
// byte of its data record but the links to other records.
#include "stdcsv.h"

namespace stdcsv {

namespace {

void TimedFields(const CSVData& item, std::vector<std::string>& f) {
  const NonRepeaAppt& nra = *item.pnra;
  f[kStart] = TimeText(nra.cStartTimePri1, nra.cStartTimePri2);
  f[kEnd] = TimeText(nra.cEndTimeYear, nra.cEndTimeMonth);
  f[kAlarm] = YesNo(nra.cFlags & 1);
  f[kLead] = std::to_string(nra.cLeadTime * 256 + nra.cLeadTimeDay);
  f[kMonthView] = YesNo(nra.cFlags & 2);
  f[kWeekView] = YesNo(nra.cFlags & 4);
}

void TodoFields(const CSVData& item, TextCodec& codec, std::vector<std::string>& f) {
  const NonRepeaAppt& nra = *item.pnra;
  std::string szPriority;
  if (nra.cStartTimePri1 != 0) szPriority += static_cast<char>(nra.cStartTimePri1);
  if (nra.cStartTimePri1 != 0 && nra.cStartTimePri2 != 0) szPriority += static_cast<char>(nra.cStartTimePri2);
  f[kPriority] = codec.ToUtf8(szPriority);
  f[kCompleted] = YesNo(nra.cFlags & 2);
  f[kCompletedOn] = DateText(nra.cEndTimeYear, nra.cEndTimeMonth, nra.cLeadTimeDay);
  f[kCarry] = YesNo(nra.cFlags & 4);
  // Byte 25 of a ToDo record has no known meaning; 0xFF is what it holds.
  if (nra.cLeadTime != 0xFF) f[kLead] = std::to_string(nra.cLeadTime);
}

void RepeatFields(const CSVData& item, std::vector<std::string>& f) {
  const int8_t cRepeatType = item.pnra->cRepeatType;
  f[kRepeat] = RepeatWord(cRepeatType);
  if (cRepeatType <= 1 || !item.pria) return;
  const RepeatInformationAppt& r = *item.pria;
  f[kEvery] = NumberText(r.cFreq);
  if (r.Days & 0x80) {
    f[kWeekdays] = WeekdaysText(r.Days);
  } else {
    f[kDayOfMonth] = NumberText(r.Days);
  }
  f[kWeeks] = WeeksText(r.Weeks);
  f[kMonths] = MonthsText(r.Month1, r.Month2);
  f[kRepeatFrom] = DateText(r.cStartYear, r.cStartMonth, r.cStartDay);
  f[kRepeatUntil] = DateText(r.cEndYear, r.cEndMonth, r.cEndDay);
  f[kDeleted] = DeletedText(item.pszDelRepeat);
}

}  // namespace

std::vector<std::string> ItemRow(const CSVData& item, TextCodec& codec) {
  const NonRepeaAppt& nra = *item.pnra;
  std::vector<std::string> f(kColumns);
  f[kKind] = KindWord(item.cKind);
  f[kDescription] = codec.ToUtf8(item.pszDescription);
  f[kDate] = DateText(nra.cYear, nra.cMonth, nra.cDay);
  f[kDays] = NumberText(nra.iEndDate);
  f[kLocation] = codec.ToUtf8(item.pszLocation);
  f[kCategory] = codec.ToUtf8(item.pszCategory);
  if (item.cKind == KIND_TODO) {
    TodoFields(item, codec, f);
  } else {
    TimedFields(item, f);
  }
  f[kOtherFlags] = NumberText(nra.cFlags & OtherFlagMask(item.cKind));
  RepeatFields(item, f);
  f[kNote] = codec.ToUtf8(item.pszStoredNote);
  return f;
}

}  // namespace stdcsv
