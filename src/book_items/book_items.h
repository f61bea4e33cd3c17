// book_items: the appointment book's items. A data record is decoded into an
// item (its fixed part, repeat block and texts), the items are filed into the
// two chains the book keeps them in, chosen for an export, and written back
// as records in chain order. The rules of the item's bytes (kinds, flag bits,
// repeat kinds, the "no date" and "no time" values, the calendar) are here,
// once, for every format.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database_file.h"
#include "kalvert.h"

// ---------------------------------------------------------------------------
// The bytes of an item
// ---------------------------------------------------------------------------

// The kind of an item: the high bits of cFlags (0x80 and above an
// appointment, 0x20 to 0x7F an event, 0x10 to 0x1F a ToDo item).
constexpr uint8_t KIND_APPT = 0x80;
constexpr uint8_t KIND_EVENT = 0x20;
constexpr uint8_t KIND_TODO = 0x10;

// The named flag bits below the kind: an appointment's alarm, month- and
// week-view marks; a ToDo item's completed and carry-forward marks.
constexpr uint8_t kFlagAlarm = 0x01;
constexpr uint8_t kFlagMonthView = 0x02;
constexpr uint8_t kFlagWeekView = 0x04;
constexpr uint8_t kFlagCompleted = 0x02;
constexpr uint8_t kFlagCarry = 0x04;
// What the organiser gives a new appointment or event: an alarm lead of 5
// minutes, shown in the month and the week view. The modern exports write
// a lead or views only where they differ; the imports assume these.
constexpr unsigned kNewItemLead = 5;
constexpr uint8_t kNewItemViews = kFlagMonthView | kFlagWeekView;

// Repeat kinds (cRepeatType): 1 happens once; the others repeat every cFreq
// days, weeks, months or years, or (custom) in the months of the month rule.
constexpr int8_t kRepeatNone = 1;
constexpr int8_t kRepeatDaily = 2;
constexpr int8_t kRepeatWeekly = 4;
constexpr int8_t kRepeatMonthly = 8;
constexpr int8_t kRepeatYearly = 16;
constexpr int8_t kRepeatCustom = 32;
constexpr bool Repeats(int8_t cRepeatType) { return cRepeatType > kRepeatNone; }

// A date as the records keep it: year - 1900, month - 1, day - 1.
struct Date3 {
  uint8_t y = 0xFF, m = 0xFF, d = 0xFF;
};

// The organiser's "no date": a date byte of 0xFF. Every path that shows or
// files an item's date follows it, but for the standard CSV export, which
// writes the bytes of a part-0xFF date as numbers so that none is hidden,
// and a general database's date field, whose legacy text shows only three
// 0xFF bytes as empty.
constexpr bool IsNoDate(uint8_t cYear, uint8_t cMonth, uint8_t cDay) {
  return cYear == 0xFF || cMonth == 0xFF || cDay == 0xFF;
}

constexpr bool IsLeapYear(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
// Days of month m (1 to 12) of year y.
int DaysInMonth(long y, long m);

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
// The date bytes as year, month and day joined by cSep ("%04d/%02d/%02d"),
// whatever the bytes hold.
std::string DateBytesText(uint8_t cYear, uint8_t cMonth, uint8_t cDay, char cSep);
// Minutes as "HH:MM" ("%02d:%02d"; a negative value in signed arithmetic).
std::string ClockText(int iMinutes);
// A ToDo item's priority characters: none, one, or two.
std::string PriorityText(uint8_t c1, uint8_t c2);
// Shortens a text to at most iCut bytes without splitting a two-byte
// character (a byte above 0x80 starts one).
std::string& CutString(std::string& pszString, int iStart, int iCut);

// Limits of the organiser's fields, in bytes of its code page.
constexpr std::size_t kMaxDescription = 51;
constexpr std::size_t kMaxLocation = 19;
constexpr std::size_t kMaxNote = 32767 - kSizeRHDR;

// An item's start time (a ToDo item's priority bytes) as one signed number.
inline int16_t StartTime(const NonRepeaAppt& nra) {
  return static_cast<int16_t>(static_cast<uint16_t>(nra.cStartTimePri2 << 8 | nra.cStartTimePri1));
}
// An appointment's end time (bytes 22 and 23) as one signed number.
inline int16_t EndTime(const NonRepeaAppt& nra) {
  return static_cast<int16_t>(static_cast<uint16_t>(nra.cEndTimeMonth << 8 | nra.cEndTimeYear));
}

// ---------------------------------------------------------------------------
// Items and their chains (filing)
// ---------------------------------------------------------------------------

// One appointment, event or ToDo item. Texts are bytes, without a NUL.
struct BookItem {
  std::string pszDescription;
  std::string pszCategory;
  std::string pszLocation;
  std::string pszNote;                      // shaped for the legacy text (-n, the \\n spelling)
  std::string pszStoredNote;                // the note record's body as stored, every byte
  std::vector<unsigned char> pszDelRepeat;  // raw deleted occurrences, 4 bytes each; empty for none
  int16_t iRecordNum = 0;
  int16_t iFirstRecord = 0;
  int16_t iInputRecord = -1;  // the record's own number in the input; -1 for an imported item
  uint8_t cKind = 0;
  bool bFromInput = false;             // read from the input database: a copy writes its note as stored
  std::unique_ptr<NonRepeaAppt> pnra;  // never null
  std::unique_ptr<RepeatInformationAppt> pria;
  BookItem* pdown_csvd = nullptr;
  BookItem* pnext_csvd = nullptr;
};
using PCSVD = BookItem*;
// How messages name an item, as a person finds it in the organiser: its
// kind, description (bytes outside ASCII as '?', cut after 40), date, start
// time and the record's own number in the input, as in
// The appointment "Staff meeting" of 1999/04/05 at 09:30 (record 342).
std::string ItemLabel(const BookItem& csvd);

// The two chains of filed items, and the items themselves (owned here).
struct StartCSV {
  PCSVD start_csvd = nullptr;  // date heads of plain items, each with its down chain
  PCSVD other_csvd = nullptr;  // every other item, one flat chain
  std::vector<std::unique_ptr<BookItem>> items;
  // Kept by FileItem beside the chains, by date (year, month, day bytes):
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

// An empty item: a zeroed fixed part and, with bRepeat, a zeroed repeat block.
std::unique_ptr<BookItem> MakeCSVD(bool bRepeat);
// Numbers the item, files it in one of the two chains and takes ownership.
void FileItem(PSCSV pscsv, std::unique_ptr<BookItem> curr_csvd, SeekInfoLists* pSeekInfo);
PCSVD AddChainForDay(PCSVD start_csvd, PCSVD curr_csvd, int16_t iFlag);

// ---------------------------------------------------------------------------
// Records (item_decode, item_records)
// ---------------------------------------------------------------------------

void ReadAppt(PFDC start_fdc, PCSVD curr_csvd, const RecordBody& body, uint8_t nKindOrig);
void ReadTodo(PFDC start_fdc, PCSVD curr_csvd, const RecordBody& body, uint8_t nKindOrig);
// The length of the item's data record, its header included.
long DataRecordLength(const BookItem& item);
void WriteDATA(PCSVD pcsvd, SeekInfoLists* pSeekInfo);
void WriteUserType14(PSCSV start_scsv, SeekInfoLists* pSeekInfo);

// ---------------------------------------------------------------------------
// The choice of items (item_choice)
// ---------------------------------------------------------------------------

// What a modern format exports: the item's kind and repeat class chosen by
// the kind options, and its date within -g and -f.
bool WantsItem(const BookItem& item);
// The item's date read as the number YYYYMMDD, as the date range compares it.
int32_t DateKey(const NonRepeaAppt& nra);
// Shared with the legacy text: the date within -g and -f, and the class of a
// kind option (1 every item, 2 those that happen once, 3 those that repeat).
bool InDateRange(const NonRepeaAppt& nra);
bool ClassTakes(int16_t iClass, bool bOnce, bool bRepeats);

// ---------------------------------------------------------------------------
// Repeat rules in words (repeat_text)
// ---------------------------------------------------------------------------

// Weekdays by bit of the day rule from bit 0, and months by bit of the
// month rule (bits 10 and 11 are named DEC and NOV, in that order, in both
// directions, so a rule survives the legacy export and import).
constexpr const char* kWeekdayNames[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
constexpr const char* kMonthRuleNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                           "JUL", "AUG", "SEP", "OCT", "DEC", "NOV"};
std::string ReadRepeatDay(int16_t iDay);
std::string ReadRepeatMonth(int16_t iMonth);
int16_t GetRepeatDay(const std::string& pszDay);
int16_t GetRepeatMonth(const std::string& pszMonth);
