// csv_import: ReadStdCsv, the import of --format=csv. The whole file is read
// and every row checked before anything is filed or written.

#include <cctype>
#include <cstdio>

#include "csv_parts.h"
#include "database_file.h"

namespace stdcsv {

void RowError(long lLine, int iColumn, const std::string& szColumn, const std::string& why) {
  if (iColumn <= 0) Fatal("%s line %ld: %s.\n", files.szFilenameIN.c_str(), lLine, why.c_str());
  Fatal("%s line %ld, column %d (%s): %s.\n", files.szFilenameIN.c_str(), lLine, iColumn, szColumn.c_str(),
        why.c_str());
}

void RowWarning(long lLine, int iColumn, const std::string& szColumn, const std::string& what) {
  std::fprintf(stderr, "Warning: %s line %ld, column %d (%s): %s.\n", files.szFilenameIN.c_str(), lLine, iColumn,
               szColumn.c_str(), what.c_str());
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

std::string ReadAll(std::FILE* f) {
  std::string text;
  char buf[65536];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  if (std::ferror(f)) Fatal("Failed read %s.\n", files.szFilenameIN.c_str());
  return text;
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

void CheckWidth(const Row& row, std::size_t nHeader) {
  if (row.size() == nHeader) return;
  stdcsv::RowError(row.front().lLine, 0, std::string(),
                   "the row has " + std::to_string(row.size()) + " columns, the header " + std::to_string(nHeader));
}

std::vector<std::string> Texts(const Row& row) {
  std::vector<std::string> v;
  for (const stdcsv::Field& f : row) v.push_back(f.text);
  return v;
}

void ImportItems(const std::vector<Row>& rows, PSCSV start_scsv, SeekInfoLists* pSeekInfo, TextCodec& codec) {
  const std::vector<std::string> names(stdcsv::kColumnNames, stdcsv::kColumnNames + stdcsv::kColumns);
  const std::vector<int> at = MatchHeader(rows[0], names);
  if (at[stdcsv::kDate] < 0) stdcsv::RowError(rows[0].front().lLine, 0, std::string(), "the header has no column date");
  const std::vector<std::string> header = Texts(rows[0]);
  std::vector<std::unique_ptr<BookItem>> items;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    CheckWidth(rows[r], header.size());
    items.push_back(stdcsv::RowItem(rows[r], at, header, codec));
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

void ImportCards(const std::vector<Row>& rows, PFDC start_fdc, SeekInfoLists* pSeekInfo, TextCodec& codec) {
  const std::vector<stdcsv::CardColumn> columns = stdcsv::CardColumns(start_fdc);
  std::vector<std::string> names;
  for (const stdcsv::CardColumn& c : columns) names.push_back(codec.ToUtf8(c.name));
  const std::vector<int> at = MatchHeader(rows[0], names);
  const std::vector<std::string> header = Texts(rows[0]);
  std::vector<stdcsv::CardRecord> records;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    CheckWidth(rows[r], header.size());
    records.push_back(stdcsv::RowCard(rows[r], columns, at, header, codec));
  }
  for (stdcsv::CardRecord& rec : records) {
    if (opt.iOutAppt) {
      WriteCard(rec, pSeekInfo);
    } else if (rec.lNoteAt >= 0) {
      EncodeU16(&rec.body.bytes[static_cast<std::size_t>(rec.lNoteAt)], 0);  // shown from the text kept beside
    }
    state.importedCards.emplace_back(std::move(rec.body), std::move(rec.note));
  }
}

}  // namespace

void ReadStdCsv(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  TextCodec codec(opt.szEncoding);
  std::vector<Row> rows;
  long lBadLine = 0;
  std::string why;
  if (!stdcsv::ParseCsv(ReadAll(files.fpin), &rows, &lBadLine, &why)) stdcsv::RowError(lBadLine, 0, std::string(), why);
  if (rows.empty()) stdcsv::RowError(1, 0, std::string(), "no header row");
  if (state.iFileType == 2) {
    ImportItems(rows, start_scsv, pSeekInfo, codec);
  } else {
    ImportCards(rows, start_fdc, pSeekInfo, codec);
  }
}
