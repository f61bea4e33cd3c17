// csv_parts: the pieces of the standard CSV export and import, for this
// folder's files only (its interface is standard_csv.h). Texts are UTF-8 when
// --encoding names the organiser's code page, and pass as bytes otherwise.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "standard_csv.h"
#include "text_codec.h"

namespace stdcsv {

// The columns of the appointment book, in the order the export writes them.
enum Column : int {
  kKind,
  kDescription,
  kDate,
  kStart,
  kEnd,
  kDays,
  kLocation,
  kCategory,
  kAlarm,
  kLead,
  kMonthView,
  kWeekView,
  kPriority,
  kCompleted,
  kCompletedOn,
  kCarry,
  kOtherFlags,
  kRepeat,
  kEvery,
  kWeekdays,
  kWeeks,
  kDayOfMonth,
  kMonths,
  kRepeatFrom,
  kRepeatUntil,
  kDeleted,
  kNote,
  kColumns
};
extern const char* const kColumnNames[kColumns];

// With -o, a row whose record would pass 32767 bytes is refused at the column
// whose text makes it so.
constexpr char kRecordTooLong[] = "with this text the record is longer than a record can be (32767 bytes)";

// The word of a kind.
const char* KindWord(uint8_t cKind);
// The cFlags bits of a kind that are not its base, its named flags or a
// change of kind: what the other_flags column may hold.
uint8_t OtherFlagMask(uint8_t cKind);

// csvfield: one field appended to a row, quoted when it holds a comma, a
// double quote, CR or LF; the last field of a row ends it with CR LF.
void AppendField(std::string& row, const std::string& field, bool bLast, char cSep);
void AppendRow(std::string& out, const std::vector<std::string>& fields, char cSep);

// valtext: the values of the export.
std::string DateText(uint8_t cYear, uint8_t cMonth, uint8_t cDay);  // empty for 0xFF 0xFF 0xFF
std::string TimeText(uint8_t cLow, uint8_t cHigh);                  // empty for no time
std::string YesNo(bool b);
std::string NumberText(long v);  // empty for 0
// The month names in calendar order (the weekday names are kWeekdayNames).
extern const char* const kMonthNames[12];
extern const char* const kWeekNames[5];
std::string RepeatWord(int8_t cRepeatType);
std::string WeekdaysText(uint8_t cDays);  // bit 7 set: names, or "none"
std::string WeeksText(uint8_t cWeeks);
std::string MonthsText(uint8_t cMonth1, uint8_t cMonth2);
std::string DeletedText(const std::vector<unsigned char>& entries);

// valparse: the values of the import. Each returns false with *why set when
// the text is not such a value.
bool ParseDate(const std::string& s, Date3* out, std::string* why);  // empty: no date
// Empty: kNoTime. Seconds are dropped, and *pSecondsDropped says when they were not 00.
bool ParseTime(const std::string& s, uint16_t* out, std::string* why, bool* pSecondsDropped);
constexpr char kSecondsDropped[] = "seconds dropped: the organiser keeps whole minutes";
bool ParseYesNo(const std::string& s, bool bDefault, bool* out, std::string* why);
bool ParseNumber(const std::string& s, long lMin, long lMax, long lDefault, long* out, std::string* why);
bool ParseRepeatWord(const std::string& s, int8_t* out, std::string* why);
bool ParseWeekdays(const std::string& s, uint8_t* out, std::string* why);
bool ParseWeeks(const std::string& s, uint8_t* out, std::string* why);
bool ParseMonths(const std::string& s, uint8_t* pMonth1, uint8_t* pMonth2, std::string* why);
bool ParseDeleted(const std::string& s, std::vector<unsigned char>* out, std::string* why);

// itemrow: the fields of one item, texts in UTF-8 (or bytes).
std::vector<std::string> ItemRow(const BookItem& item, TextCodec& codec);

// csvparse: a CSV file read row by row (RFC 4180 and what spreadsheets save:
// a UTF-8 byte order mark, commas, fields in double quotes with "" inside,
// rows ending in CR LF, LF or CR), each field with the line it starts on.
// Only the row being read is held. A file in UTF-16 or UTF-32, a mangled
// byte order mark, a NUL byte in a field and a syntax error end the run with
// the file, line and column.
class CsvReader {
 public:
  explicit CsvReader(std::FILE* f);
  // The first line as read so far, after the byte order mark.
  std::string_view FirstLine() const;
  // The header's names, for the messages about the rows after it.
  void SetHeader(const std::vector<std::string>* header) { header_ = header; }
  // The column separator (a comma until told otherwise).
  void SetSeparator(char cSep) { cSep_ = cSep; }
  // The next row that holds something; false at the end of the file. A row
  // of more than nMax fields is cut after field nMax + 1, for the caller to
  // refuse.
  bool Next(Row* row, std::size_t nMax);

 private:
  bool Have(std::size_t n);
  int Peek(std::size_t k = 0);
  bool AtLineEnd();
  void EndOfLine();
  bool TakeUntil(std::string_view stops, std::string* out);
  void Plain(Field* f, std::size_t iField);
  void Quoted(Field* f, std::size_t iField);
  [[noreturn]] void Bad(long lLine, std::size_t iField, const std::string& why) const;

  std::FILE* f_;
  std::string buf_;  // the unread bytes from i_ on
  std::size_t i_ = 0;
  bool bEnd_ = false;
  long lLine_ = 1;
  char cSep_ = ',';
  const std::vector<std::string>* header_ = nullptr;
};

// Import errors name the file, the line, the column (its number alone when
// szColumn is empty; none when iColumn is 0) and the reason.
[[noreturn]] void RowError(long lLine, int iColumn, const std::string& szColumn, const std::string& why);
void RowWarning(long lLine, int iColumn, const std::string& szColumn, const std::string& what);

// rowtext: a field's text in the organiser's code page, cut to lMax bytes at
// a character boundary (0: no limit) with a warning; a character the code
// page cannot hold is an error.
// A note's line breaks (LF, CR or CR LF) are stored as the organiser's CR
// LF; a text the organiser keeps on one line gets a space for each, with a
// warning; other texts keep them as they are.
enum class Breaks : uint8_t { kKept, kCrLf, kSpace };
std::string RowText(const Field& f, int iColumn, const std::string& szColumn, std::size_t nMax, TextCodec& codec,
                    Breaks breaks = Breaks::kKept);

// rowitem: one row of the appointment book as an item; iColumnOf maps each
// Column to its place in the row (-1: absent).
std::unique_ptr<BookItem> RowItem(const Row& row, const std::vector<int>& iColumnOf,
                                  const std::vector<std::string>& header, TextCodec& codec);

// rowcard: one row of a general database as a record body (in the layout
// the definitions give) and its note text.
struct CardRecord {
  RecordBody body;    // with its NUL appended
  std::string note;   // empty: no note
  long lNoteAt = -1;  // where the note's record number goes
};
CardRecord RowCard(const Row& row, const std::vector<CardColumn>& columns, const std::vector<int>& iColumnOf,
                   const std::vector<std::string>& header, TextCodec& codec);

}  // namespace stdcsv
