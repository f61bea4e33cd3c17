// standard_csv: standard CSV (RFC 4180: one header row, fields quoted only
// where needed, rows ending in CR LF) both ways, for the appointment book and
// general databases, with texts in UTF-8 when --encoding names the
// organiser's code page.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "book_items.h"
#include "database_file.h"
#include "kalvert.h"
#include "text_codec.h"

// The export of --format=csv, at the place of the legacy text output.
void WriteStdCsv(PFDC start_fdc, PSCSV start_scsv);
// The import of --format=csv (-i), at the place of ReadCSV.
void ReadStdCsv(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);

namespace stdcsv {

// The columns of a general database, and one record's fields as texts in
// UTF-8 (the vCard export uses them too). A note link's text is noteText
// when given, else the stored note.
struct CardColumn {
  std::string name;           // in the organiser's bytes, without hotkey markers
  PFDC pfdc = nullptr;        // the field, or the group start of a radio group
  std::vector<PFDC> buttons;  // the buttons of a radio group
};
std::vector<CardColumn> CardColumns(PFDC start_fdc);
std::vector<std::string> CardRow(const std::vector<CardColumn>& columns, const RecordBody& body,
                                 const std::string* noteText, TextCodec& codec);
// A field's name shown without its '&' hotkey markers ("&&" is one '&').
std::string ShownFieldName(const std::string& szName);
// Hands each record's fields to emit(fields, where), where() naming the
// record for a message: the records as the input holds them (the data pass
// may have renumbered their note links for a copy), then the imported ones.
using CardEmit = std::function<void(const std::vector<std::string>&, const std::function<std::string()>&)>;
void ForEachCard(const std::vector<CardColumn>& columns, TextCodec& codec, const CardEmit& emit);

// A value of a row and the line of the file it comes from.
struct Field {
  std::string text;
  long lLine = 0;
};
using Row = std::vector<Field>;
// The vCard import's records: rows of one field per column, in column order,
// as texts in UTF-8 that the CSV export would write. Each is checked and
// counted against the room of the output before any is written (a value that
// can't be kept ends the run naming the line and the field); with -o they
// are written after the records copied, else kept for the export.
void ImportCardRows(const std::vector<Row>& rows, const std::vector<CardColumn>& columns,
                    const std::vector<std::string>& header, SeekInfoLists* pSeekInfo, TextCodec& codec);

// The count of the values changed to fit the organiser, each warned of
// before, after the summary of the import.
void ReportChangedValues();

}  // namespace stdcsv
