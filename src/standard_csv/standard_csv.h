// standard_csv: standard CSV (RFC 4180: one header row, fields quoted only
// where needed, rows ending in CR LF) both ways, for the appointment book and
// general databases, with texts in UTF-8 when --encoding names the
// organiser's code page.
#pragma once

#include "book_items.h"
#include "database_file.h"
#include "kalvert.h"

// The export of --format=csv, at the place of the legacy text output.
void WriteStdCsv(PFDC start_fdc, PSCSV start_scsv);
// The import of --format=csv (-i), at the place of ReadCSV.
void ReadStdCsv(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);
