// item_rows: an item of the appointment book as a row of fields (ItemRow), and
// a row checked and turned into an item (RowItem).

#include <cctype>

#include "csv_parts.h"

namespace stdcsv {

namespace {

void TimedFields(const BookItem& item, std::vector<std::string>& f) {
  const NonRepeaAppt& nra = *item.pnra;
  f[kStart] = TimeText(nra.cStartTimePri1, nra.cStartTimePri2);
  f[kEnd] = TimeText(nra.cEndTimeYear, nra.cEndTimeMonth);
  f[kAlarm] = YesNo(nra.cFlags & kFlagAlarm);
  f[kLead] = std::to_string(nra.cLeadTime * 256 + nra.cLeadTimeDay);
  f[kMonthView] = YesNo(nra.cFlags & kFlagMonthView);
  f[kWeekView] = YesNo(nra.cFlags & kFlagWeekView);
}

void TodoFields(const BookItem& item, TextCodec& codec, std::vector<std::string>& f) {
  const NonRepeaAppt& nra = *item.pnra;
  f[kPriority] = codec.ToUtf8(PriorityText(nra.cStartTimePri1, nra.cStartTimePri2));
  f[kCompleted] = YesNo(nra.cFlags & kFlagCompleted);
  f[kCompletedOn] = DateText(nra.cEndTimeYear, nra.cEndTimeMonth, nra.cLeadTimeDay);
  f[kCarry] = YesNo(nra.cFlags & kFlagCarry);
  // Byte 25 of a ToDo record has no known meaning; 0xFF is what it holds.
  if (nra.cLeadTime != 0xFF) f[kLead] = std::to_string(nra.cLeadTime);
}

void RepeatFields(const BookItem& item, std::vector<std::string>& f) {
  const int8_t cRepeatType = item.pnra->cRepeatType;
  f[kRepeat] = RepeatWord(cRepeatType);
  if (!Repeats(cRepeatType) || !item.pria) return;
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

std::vector<std::string> ItemRow(const BookItem& item, TextCodec& codec) {
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

namespace {

class RowReader {
 public:
  RowReader(const Row& row, const std::vector<int>& at, const std::vector<std::string>& header, TextCodec& codec)
      : row_(row), at_(at), header_(header), codec_(codec) {}

  const Field& Get(int c) const {
    static const Field kAbsent;
    return at_[static_cast<std::size_t>(c)] < 0 ? kAbsent
                                                : row_[static_cast<std::size_t>(at_[static_cast<std::size_t>(c)])];
  }
  const std::string& Text(int c) const { return Get(c).text; }
  bool Empty(int c) const { return Text(c).find_first_not_of(" \t") == std::string::npos; }

  [[noreturn]] void Bad(int c, const std::string& why) const {
    const int i = at_[static_cast<std::size_t>(c)];
    const long lLine = i < 0 ? row_.front().lLine : Get(c).lLine;
    RowError(lLine, i + 1, i < 0 ? kColumnNames[c] : header_[static_cast<std::size_t>(i)], why);
  }

  // A parse of the column's text that must succeed.
  template <typename Parse>
  void Check(int c, Parse parse) const {
    std::string why;
    if (!parse(Text(c), &why)) Bad(c, why);
  }

  long Number(int c, long lMin, long lMax, long lDefault) const {
    long v{};
    Check(c, [&](const std::string& s, std::string* why) { return ParseNumber(s, lMin, lMax, lDefault, &v, why); });
    return v;
  }
  bool Flag(int c, bool bDefault) const {
    bool b{};
    Check(c, [&](const std::string& s, std::string* why) { return ParseYesNo(s, bDefault, &b, why); });
    return b;
  }
  Date3 Date(int c) const {
    Date3 d;
    Check(c, [&](const std::string& s, std::string* why) { return ParseDate(s, &d, why); });
    return d;
  }
  uint16_t Time(int c) const {
    uint16_t t{};
    bool bDropped{};
    Check(c, [&](const std::string& s, std::string* why) { return ParseTime(s, &t, why, &bDropped); });
    if (bDropped) {
      const std::size_t i = static_cast<std::size_t>(at_[static_cast<std::size_t>(c)]);
      RowWarning(Get(c).lLine, static_cast<int>(i) + 1, header_[i], kSecondsDropped);
    }
    return t;
  }
  std::string Str(int c, std::size_t nMax, Breaks breaks = Breaks::kSpace) const {
    const int i = at_[static_cast<std::size_t>(c)];
    if (i < 0) return std::string();
    return RowText(Get(c), i + 1, header_[static_cast<std::size_t>(i)], nMax, codec_, breaks);
  }
  // Columns that an item of this kind does not have must be empty.
  void MustBeEmpty(std::initializer_list<int> columns, const char* szKind) const {
    for (const int c : columns) {
      if (!Empty(c)) Bad(c, std::string("an item of kind ") + szKind + " has no " + kColumnNames[c]);
    }
  }

 private:
  const Row& row_;
  const std::vector<int>& at_;
  const std::vector<std::string>& header_;
  TextCodec& codec_;
};

uint8_t Kind(const RowReader& r) {
  std::string s = r.Text(kKind);
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  s = s.substr(0, s.find_last_not_of(" \t") + 1);
  s.erase(0, s.find_first_not_of(" \t"));
  if (s.empty() || s == "appointment") return KIND_APPT;
  if (s == "event") return KIND_EVENT;
  if (s == "todo" || s == "to-do") return KIND_TODO;
  r.Bad(kKind, "\"" + r.Text(kKind) + "\" is not a kind (appointment, event, todo)");
}

// Appointments and events: times, alarm and views.
uint8_t TimedColumns(const RowReader& r, NonRepeaAppt& nra, const char* szKind) {
  r.MustBeEmpty({kPriority, kCompleted, kCompletedOn, kCarry}, szKind);
  const uint16_t start = r.Time(kStart), end = r.Time(kEnd);
  SplitU16(start, &nra.cStartTimePri1, &nra.cStartTimePri2);
  SplitU16(end, &nra.cEndTimeYear, &nra.cEndTimeMonth);
  SplitU16(static_cast<uint16_t>(r.Number(kLead, 0, 65535, kNewItemLead)), &nra.cLeadTimeDay, &nra.cLeadTime);
  return static_cast<uint8_t>((r.Flag(kAlarm, false) ? 1 : 0) | (r.Flag(kMonthView, true) ? 2 : 0) |
                              (r.Flag(kWeekView, true) ? 4 : 0));
}

// ToDo items: priority, completion and carry.
uint8_t TodoColumns(const RowReader& r, NonRepeaAppt& nra) {
  r.MustBeEmpty({kStart, kEnd, kAlarm, kMonthView, kWeekView}, "todo");
  const std::string szPriority = r.Str(kPriority, 0);
  if (szPriority.size() > 2) r.Bad(kPriority, "a priority has one or two characters");
  nra.cStartTimePri1 = szPriority.empty() ? 0 : static_cast<uint8_t>(szPriority[0]);
  nra.cStartTimePri2 = szPriority.size() < 2 ? 0 : static_cast<uint8_t>(szPriority[1]);
  const Date3 done = r.Date(kCompletedOn);
  nra.cEndTimeYear = done.y;
  nra.cEndTimeMonth = done.m;
  nra.cLeadTimeDay = done.d;
  nra.cLeadTime = static_cast<uint8_t>(r.Number(kLead, 0, 255, 0xFF));
  return static_cast<uint8_t>((r.Flag(kCompleted, done.y != 0xFF) ? kFlagCompleted : 0) |
                              (r.Flag(kCarry, false) ? kFlagCarry : 0));
}

void RepeatColumns(const RowReader& r, BookItem& item) {
  NonRepeaAppt& nra = *item.pnra;
  r.Check(kRepeat, [&](const std::string& s, std::string* why) { return ParseRepeatWord(s, &nra.cRepeatType, why); });
  static const int kRule[] = {kEvery, kWeekdays, kWeeks, kDayOfMonth, kMonths, kRepeatFrom, kRepeatUntil, kDeleted};
  if (!Repeats(nra.cRepeatType)) {
    for (const int c : kRule) {
      if (!r.Empty(c)) r.Bad(c, std::string(kColumnNames[c]) + " is given, but the item does not repeat");
    }
    return;
  }
  RepeatInformationAppt& ria = *item.pria;
  ria.cFreq = static_cast<int8_t>(r.Number(kEvery, -128, 127, 0));
  if (!r.Empty(kWeekdays) && !r.Empty(kDayOfMonth))
    r.Bad(kDayOfMonth, "a rule has weekdays or a day of the month, not both");
  r.Check(kWeekdays, [&](const std::string& s, std::string* why) { return ParseWeekdays(s, &ria.Days, why); });
  if (!r.Empty(kDayOfMonth)) ria.Days = static_cast<uint8_t>(r.Number(kDayOfMonth, 1, 31, 0));
  r.Check(kWeeks, [&](const std::string& s, std::string* why) { return ParseWeeks(s, &ria.Weeks, why); });
  r.Check(kMonths,
          [&](const std::string& s, std::string* why) { return ParseMonths(s, &ria.Month1, &ria.Month2, why); });
  const Date3 from = r.Date(kRepeatFrom), until = r.Date(kRepeatUntil);
  ria.cStartYear = from.y;
  ria.cStartMonth = from.m;
  ria.cStartDay = from.d;
  ria.cEndYear = until.y;
  ria.cEndMonth = until.m;
  ria.cEndDay = until.d;
  r.Check(kDeleted, [&](const std::string& s, std::string* why) { return ParseDeleted(s, &item.pszDelRepeat, why); });
  ria.cDelete = static_cast<int8_t>(item.pszDelRepeat.size() / 4);
}

}  // namespace

std::unique_ptr<BookItem> RowItem(const Row& row, const std::vector<int>& iColumnOf,
                                  const std::vector<std::string>& header, TextCodec& codec) {
  const RowReader r(row, iColumnOf, header, codec);
  std::unique_ptr<BookItem> item = MakeCSVD(true);
  NonRepeaAppt& nra = *item->pnra;
  item->cKind = Kind(r);
  item->pszDescription = r.Str(kDescription, kMaxDescription);
  const Date3 date = r.Date(kDate);
  if (date.y == 0xFF) r.Bad(kDate, "an item needs a date");
  nra.cYear = date.y;
  nra.cMonth = date.m;
  nra.cDay = date.d;
  nra.iEndDate = static_cast<uint16_t>(r.Number(kDays, 0, 65535, 0));
  item->pszLocation = r.Str(kLocation, kMaxLocation);
  item->pszCategory = r.Str(kCategory, 0);
  const uint8_t cNamed = item->cKind == KIND_TODO ? TodoColumns(r, nra) : TimedColumns(r, nra, KindWord(item->cKind));
  const long lOther = r.Number(kOtherFlags, 0, 255, 0);
  if (lOther & ~OtherFlagMask(item->cKind)) {
    r.Bad(kOtherFlags, "an item of kind " + std::string(KindWord(item->cKind)) + " has no such flag bits");
  }
  nra.cFlags = static_cast<uint8_t>(item->cKind | cNamed | lOther);
  RepeatColumns(r, *item);
  // The category is the one text without a limit of its own.
  if (opt.iOutAppt && DataRecordLength(*item) > recwrite::kMaxRecordLength) r.Bad(kCategory, kRecordTooLong);
  item->pszStoredNote = r.Str(kNote, kMaxNote, Breaks::kCrLf);
  item->pszNote = item->pszStoredNote;
  nra.iNoteRecNum = item->pszStoredNote.empty() ? -1 : 0;
  nra.iPrevRecNum = -1;
  nra.iNextRecNum = -1;
  return item;
}

}  // namespace stdcsv
