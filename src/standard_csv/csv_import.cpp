// csv_import: ReadStdCsv, the import of --format=csv. The file is read row by
// row, and every row checked and counted against the room of the output
// before anything is filed or written.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <numeric>

#include "csv_parts.h"
#include "database_file.h"

namespace stdcsv {

// A card of a vCard file has fields, not columns.
void RowError(long lLine, int iColumn, const std::string& szColumn, const std::string& why) {
  if (iColumn <= 0) Fatal("%s line %ld: %s.\n", files.szFilenameIN.c_str(), lLine, why.c_str());
  if (opt.format == OutputFormat::kVcf) {
    Fatal("%s line %ld (field %s): %s.\n", files.szFilenameIN.c_str(), lLine, szColumn.c_str(), why.c_str());
  }
  if (szColumn.empty()) Fatal("%s line %ld, column %d: %s.\n", files.szFilenameIN.c_str(), lLine, iColumn, why.c_str());
  Fatal("%s line %ld, column %d (%s): %s.\n", files.szFilenameIN.c_str(), lLine, iColumn, szColumn.c_str(),
        why.c_str());
}

void RowWarning(long lLine, int iColumn, const std::string& szColumn, const std::string& what) {
  ++state.lRowWarnings;
  if (opt.format == OutputFormat::kVcf) {
    std::fprintf(stderr, "Warning: %s line %ld (field %s): %s.\n", files.szFilenameIN.c_str(), lLine, szColumn.c_str(),
                 what.c_str());
    return;
  }
  std::fprintf(stderr, "Warning: %s line %ld, column %d (%s): %s.\n", files.szFilenameIN.c_str(), lLine, iColumn,
               szColumn.c_str(), what.c_str());
}

void ReportChangedValues() {
  if (state.lRowWarnings == 0) return;
  std::fprintf(stderr, "Warning: %ld value(s) of %s were changed to fit the organiser (each named above).\n",
               state.lRowWarnings, files.szFilenameIN.c_str());
}

}  // namespace stdcsv

namespace {

using stdcsv::Row;

std::string Key(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t");
  std::string k = a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(" \t") - a + 1);
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

// The line cut at each sep gives two names or more (one with sep a comma),
// each a known column, in double quotes or not.
bool SplitsIntoNames(std::string_view line, char sep, const std::vector<std::string>& names) {
  std::size_t nParts = 0;
  for (std::size_t at = 0, end = 0; end != std::string_view::npos; at = end + 1, ++nParts) {
    end = line.find(sep, at);
    std::string part = Key(std::string(line.substr(at, end == std::string_view::npos ? end : end - at)));
    if (part.size() >= 2 && part.front() == '"' && part.back() == '"') part = Key(part.substr(1, part.size() - 2));
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return Key(n) == part; })) return false;
  }
  return nParts >= (sep == ',' ? 1u : 2u);
}

// The column separator: the one --delimiter names, or the first of comma,
// semicolon and tab that cuts the header into known names (a comma when none
// does: the header's own refusal then says what is wrong).
char FindSeparator(std::string_view line, const std::vector<std::string>& names) {
  if (opt.cDelimiter != 0) return opt.cDelimiter;
  for (const char c : {',', ';', '\t'}) {
    if (SplitsIntoNames(line, c, names)) return c;
  }
  return ',';
}

// The place of each known column in the header (-1: absent); a header name
// that is no column, or one given twice, is refused.
std::vector<int> MatchHeader(const Row& header, const std::vector<std::string>& names) {
  std::vector<int> at(names.size(), -1);
  for (std::size_t i = 0; i < header.size(); ++i) {
    std::size_t k = 0;
    while (k < names.size() && Key(names[k]) != Key(header[i].text)) ++k;
    const int iColumn = static_cast<int>(i) + 1;
    if (k == names.size()) stdcsv::RowError(header[i].lLine, iColumn, header[i].text, "no such column");
    if (at[k] >= 0) stdcsv::RowError(header[i].lLine, iColumn, header[i].text, "the column is named twice");
    at[k] = static_cast<int>(i);
  }
  return at;
}

struct Header {
  std::vector<std::string> texts;
  std::vector<int> at;  // by known column: its place in the row, -1 absent
  long lLine = 1;
};

// The header row, of known names only: one with more fields than there are
// names holds one that is unknown or given twice, and is read no further.
Header ReadHeader(stdcsv::CsvReader& reader, const std::vector<std::string>& names) {
  reader.SetSeparator(FindSeparator(reader.FirstLine(), names));
  Row row;
  if (!reader.Next(&row, names.size())) stdcsv::RowError(1, 0, std::string(), "no header row");
  Header h;
  h.at = MatchHeader(row, names);
  for (const stdcsv::Field& f : row) h.texts.push_back(f.text);
  h.lLine = row.front().lLine;
  return h;
}

void CheckWidth(const Row& row, std::size_t nHeader) {
  if (row.size() > nHeader) {
    stdcsv::RowError(row.back().lLine, static_cast<int>(row.size()), std::string(),
                     "the row has more columns than the header (" + std::to_string(nHeader) + ")");
  }
  if (row.size() == nHeader) return;
  stdcsv::RowError(row.front().lLine, 0, std::string(),
                   "the row has " + std::to_string(row.size()) + " columns, the header " + std::to_string(nHeader));
}

// The rows a file may hold, counted in the records they take: with -o the
// room left in the output's lookup table, else what any database holds.
class RowRoom {
 public:
  RowRoom(long lRecordsBesides, long lKept) : lRoom_(kMaxLookUpEntries - lRecordsBesides - lKept) {}

  // Counts the row on lLine, of nRecords records (one without -o).
  void Take(long lLine, int nRecords) {
    lUsed_ += opt.iOutAppt ? nRecords : 1;
    if (lUsed_ > lRoom_) {
      stdcsv::RowError(lLine, 0, std::string(),
                       std::string(opt.format == OutputFormat::kVcf ? "too many cards; " : "too many rows; ") +
                           (opt.iOutAppt ? "the output database has room for " + std::to_string(lRows_)
                                         : "a database holds at most " + std::to_string(lRoom_)));
    }
    ++lRows_;
  }

 private:
  long lRoom_;
  long lUsed_ = 0;
  long lRows_ = 0;
};

// The records an appointment book gets besides its data and notes: the file
// header and, at the end, the two chain records and the view point table; with
// -o, those already written and the items kept from the input.
RowRoom BookRoom(const StartCSV& scsv, const SeekInfoLists& seekInfo) {
  constexpr long kClosing = 3;
  if (!opt.iOutAppt) return RowRoom(1 + kClosing, 0);
  long lKept = 0;
  ForEachFiled(scsv, [&](PCSVD p) { lKept += p->pnra->iNoteRecNum != -1 ? 2 : 1; });
  return RowRoom(static_cast<long>(seekInfo.nodes.size()) + kClosing, lKept);
}

// A general database: its header and the closing view point table; with -o,
// what is written already (every record copied from the input).
RowRoom CardRoom(const SeekInfoLists& seekInfo) {
  return RowRoom(opt.iOutAppt ? static_cast<long>(seekInfo.nodes.size()) + 1 : 2, 0);
}

void ImportItems(stdcsv::CsvReader& reader, PSCSV start_scsv, SeekInfoLists* pSeekInfo, TextCodec& codec) {
  const std::vector<std::string> names(stdcsv::kColumnNames, stdcsv::kColumnNames + stdcsv::kColumns);
  const Header h = ReadHeader(reader, names);
  if (h.at[stdcsv::kDate] < 0) stdcsv::RowError(h.lLine, 0, std::string(), "the header has no column date");
  reader.SetHeader(&h.texts);
  RowRoom room = BookRoom(*start_scsv, *pSeekInfo);
  std::vector<std::unique_ptr<BookItem>> items;
  for (Row row; reader.Next(&row, h.texts.size());) {
    CheckWidth(row, h.texts.size());
    items.push_back(stdcsv::RowItem(row, h.at, h.texts, codec));
    room.Take(row.front().lLine, items.back()->pnra->iNoteRecNum != -1 ? 2 : 1);
  }
  for (auto& item : items) FileItem(start_scsv, std::move(item), pSeekInfo);
}

// Each note record goes in front of its data record, as the organiser keeps them.
void WriteCard(stdcsv::CardRecord& rec, SeekInfoLists* pSeekInfo) {
  const long lBody = static_cast<long>(rec.body.bytes.size()) - 1;
  recwrite::CheckLength(lBody + kSizeRHDR);
  if (rec.lNoteAt >= 0) {
    const int16_t iNote = TakeNoteNumber();
    EncodeU16(&rec.body.bytes[static_cast<std::size_t>(rec.lNoteAt)], static_cast<uint16_t>(iNote));
    WriteNoteRecord(pSeekInfo, kCardRecordStatus, iNote, rec.note);
  }
  recwrite::PutHeader(pSeekInfo, TYPE_DATA, kCardRecordStatus, lBody + kSizeRHDR, TakeDataNumber());
  WriteOut(rec.body.bytes.data(), static_cast<std::size_t>(lBody));
}

// The checked records: written with -o, else kept for the export.
void KeepCards(std::vector<stdcsv::CardRecord>& records, SeekInfoLists* pSeekInfo) {
  for (stdcsv::CardRecord& rec : records) {
    if (opt.iOutAppt) {
      WriteCard(rec, pSeekInfo);
    } else if (rec.lNoteAt >= 0) {
      EncodeU16(&rec.body.bytes[static_cast<std::size_t>(rec.lNoteAt)], 0);  // shown from the text kept beside
    }
    state.importedCards.emplace_back(std::move(rec.body), std::move(rec.note));
  }
}

void ImportCards(stdcsv::CsvReader& reader, PFDC start_fdc, SeekInfoLists* pSeekInfo, TextCodec& codec) {
  const std::vector<stdcsv::CardColumn> columns = stdcsv::CardColumns(start_fdc);
  std::vector<std::string> names;
  for (const stdcsv::CardColumn& c : columns) names.push_back(codec.ToUtf8(c.name));
  const Header h = ReadHeader(reader, names);
  reader.SetHeader(&h.texts);
  RowRoom room = CardRoom(*pSeekInfo);
  std::vector<stdcsv::CardRecord> records;
  for (Row row; reader.Next(&row, h.texts.size());) {
    CheckWidth(row, h.texts.size());
    records.push_back(stdcsv::RowCard(row, columns, h.at, h.texts, codec));
    room.Take(row.front().lLine, records.back().lNoteAt >= 0 ? 2 : 1);
  }
  KeepCards(records, pSeekInfo);
}

}  // namespace

void stdcsv::ImportCardRows(const std::vector<Row>& rows, const std::vector<CardColumn>& columns,
                            const std::vector<std::string>& header, SeekInfoLists* pSeekInfo, TextCodec& codec) {
  std::vector<int> at(columns.size());
  std::iota(at.begin(), at.end(), 0);
  RowRoom room = CardRoom(*pSeekInfo);
  std::vector<CardRecord> records;
  for (const Row& row : rows) {
    records.push_back(RowCard(row, columns, at, header, codec));
    room.Take(row.front().lLine, records.back().lNoteAt >= 0 ? 2 : 1);
  }
  KeepCards(records, pSeekInfo);
}

void ReadStdCsv(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  TextCodec codec(opt.szEncoding);
  stdcsv::CsvReader reader(files.fpin);
  if (state.iFileType == 2) {
    ImportItems(reader, start_scsv, pSeekInfo, codec);
  } else {
    ImportCards(reader, start_fdc, pSeekInfo, codec);
  }
  stdcsv::ReportChangedValues();
}
