// csv_export: WriteStdCsv, the export of --format=csv: a header row, then one
// row per chosen item of the appointment book (in the order of the legacy
// text) or per record of a general database.

#include <cstdio>

#include "csv_parts.h"
#include "database_file.h"

namespace {

using stdcsv::AppendRow;

// Rows are written in blocks, not held whole.
void Flush(std::string& out, bool bAll) {
  if (!bAll && out.size() < 65536) return;
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

void WriteItems(PSCSV start_scsv, TextCodec& codec, std::string& out) {
  AppendRow(out, std::vector<std::string>(stdcsv::kColumnNames, stdcsv::kColumnNames + stdcsv::kColumns));
  ForEachFiled(*start_scsv, [&](PCSVD p) {
    if (!WantsItem(*p)) return;
    AppendRow(out, stdcsv::ItemRow(*p, codec));
    Flush(out, false);
  });
}

// The records as the input holds them (the data pass may have renumbered
// their note links for a copy), then the imported ones.
void WriteCards(PFDC start_fdc, TextCodec& codec, std::string& out) {
  const std::vector<stdcsv::CardColumn> columns = stdcsv::CardColumns(start_fdc);
  std::vector<std::string> names;
  for (const stdcsv::CardColumn& c : columns) names.push_back(codec.ToUtf8(c.name));
  AppendRow(out, names);
  files.in.Seek(state.lFirst);
  RecordHeader rh{};
  RecordBody body;
  while (NextDataRecord(&rh, &body, [] {})) {
    AppendRow(out, stdcsv::CardRow(columns, body, nullptr, codec));
    Flush(out, false);
  }
  for (const auto& card : state.importedCards) {
    AppendRow(out, stdcsv::CardRow(columns, card.first, &card.second, codec));
    Flush(out, false);
  }
}

}  // namespace

void WriteStdCsv(PFDC start_fdc, PSCSV start_scsv) {
  TextCodec codec(opt.szEncoding);
  std::string out;
  if (opt.bBom) out = "\xEF\xBB\xBF";
  if (state.iFileType == 2) {
    WriteItems(start_scsv, codec, out);
  } else {
    WriteCards(start_fdc, codec, out);
  }
  Flush(out, true);
  codec.ReportReplacements();
}
