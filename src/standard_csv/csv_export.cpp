// csv_export: WriteStdCsv, the export of --format=csv: a header row, then one
// row per chosen item of the appointment book (in the order of the legacy
// text) or per record of a general database.

#include <cstdio>

#include "csv_parts.h"
#include "database_file.h"

namespace {

using stdcsv::AppendRow;
using Fields = std::vector<std::string>;

// Rows are written in blocks, not held whole.
void Flush(std::string& out, bool bAll) {
  if (!bAll && out.size() < 65536) return;
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

// Hands the header and each row to emit(fields, where), where() naming the
// item for a message.
template <typename Emit>
void ItemRows(PSCSV start_scsv, TextCodec& codec, Emit emit) {
  emit(Fields(stdcsv::kColumnNames, stdcsv::kColumnNames + stdcsv::kColumns), [] { return std::string(); });
  ForEachFiled(*start_scsv, [&](PCSVD p) {
    if (WantsItem(*p)) emit(stdcsv::ItemRow(*p, codec), [p] { return ItemLabel(*p); });
  });
}

template <typename Emit>
void CardRows(PFDC start_fdc, TextCodec& codec, Emit emit) {
  const std::vector<stdcsv::CardColumn> columns = stdcsv::CardColumns(start_fdc);
  Fields names;
  for (const stdcsv::CardColumn& c : columns) names.push_back(codec.ToUtf8(c.name));
  emit(names, [] { return std::string("The field names"); });
  stdcsv::ForEachCard(columns, codec, emit);
}

template <typename Emit>
void Rows(PFDC start_fdc, PSCSV start_scsv, TextCodec& codec, Emit emit) {
  if (state.iFileType == 2) {
    ItemRows(start_scsv, codec, emit);
  } else {
    CardRows(start_fdc, codec, emit);
  }
}

}  // namespace

void WriteStdCsv(PFDC start_fdc, PSCSV start_scsv) {
  TextCodec codec(opt.szEncoding);
  // Without a code page every text must be ASCII; refused before anything is written.
  if (codec.PassThrough()) {
    Rows(start_fdc, start_scsv, codec, [](const Fields& fields, const auto& where) {
      for (const std::string& f : fields) {
        if (!IsAscii(f)) RefuseNonAscii(where());
      }
    });
  }
  std::string out;
  if (opt.bBom) out = "\xEF\xBB\xBF";
  const char cSep = opt.cDelimiter != 0 ? opt.cDelimiter : ',';
  Rows(start_fdc, start_scsv, codec, [&out, cSep](const Fields& fields, const auto&) {
    AppendRow(out, fields, cSep);
    Flush(out, false);
  });
  Flush(out, true);
  codec.ReportReplacements();
}
