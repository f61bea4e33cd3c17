// legacy_text: the byte-exact exchange text that existing files and scripts
// rely on, both ways. The export writes one line per chosen item (or per
// record of a general database) with the quoting and separators -c and -b
// ask for; the import turns each line back into an item or a record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book_items.h"
#include "database_file.h"
#include "kalvert.h"

// ---------------------------------------------------------------------------
// Export (item_lines, card_lines, heading, line_fields)
// ---------------------------------------------------------------------------

void OutputData(PSCSV start_scsv);
void WriteCSV(PCSVD curr_csvd);
// What follows a field of a line: a separator, or the end of the line.
enum class FieldEnd : uint8_t { kSeparator, kLineEnd };
// Appends one field, quoted as -c and -b ask, and what follows it.
void PrintString(const std::string& szWord, std::string& szOut, FieldEnd nFlag);
// The heading line of field names (-h).
void PrintHeader(PFDC start_fdc);
// One data record of a general database as a line; with -o its notes are
// written as new note records and the links renumbered in the body.
void ReadDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, RecordBody& body, std::string& szOut);

// ---------------------------------------------------------------------------
// Import (import_lines, card_lines, line_fields, column_values)
// ---------------------------------------------------------------------------

void ReadCSV(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);
void CSVToNRAAppt(PCSVD curr_csvd, const std::string& szLine, int16_t nKind);
void CSVToNRAToDo(PCSVD curr_csvd, const std::string& szLine, int16_t nKind);
void WriteDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, const std::string& szLine);
std::string GetCSV(const std::string& pszData, int16_t iNum, char cST);
// Every field of a line, in one walk: GetCSV(line, n, cST) is field n (from 1).
std::vector<std::string> SplitCSV(const std::string& pszData, char cST);

namespace csvitem {
// Column number `column` (from 1) of a split line; empty beyond its last.
const std::string& Field(const std::vector<std::string>& columns, long column);
// The same column moved out of the line, for a builder that reads each
// column once.
std::string TakeField(std::vector<std::string>& columns, long column);
}  // namespace csvitem

// How the import reads the number, date and time columns of a line (numbers
// by LeadingNumber, kept modulo 2^16).
namespace csvvalue {
// Year, month and day separated by '/' (a run of '/' is one separator):
// stored as year - 1900, month - 1, day - 1, each cut to 8 bits. A missing
// number counts as 0; an empty column means no date.
Date3 ParseDate(const std::string& s);
// A date column stored in the three date bytes of a record.
void StoreDate(const std::string& s, uint8_t* year, uint8_t* month, uint8_t* day);
// An empty column, or one holding "NONE" or "none" anywhere, gives no time.
bool IsNoTime(const std::string& s);
// Minutes after midnight, hours x 60 + minutes, kept modulo 2^16: hours are
// the leading number, minutes the leading number after the first ':'.
uint16_t ParseMinutes(const std::string& s);
}  // namespace csvvalue
