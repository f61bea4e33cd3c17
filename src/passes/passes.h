// passes: the two passes over the input database. The definitions pass reads
// every record but the data and notes (field definitions, categories, the
// chain records) and copies them to an output database; the data pass reads
// the data records, files the appointment book's items or prints and copies a
// general database's records.
#pragma once

#include <cstdint>

#include "book_items.h"
#include "database_file.h"
#include "kalvert.h"

PFDC ReadField(PFDC start_fdc, SeekInfoLists* pSeekInfo);
void ReadData(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo);

// One step of the progress bar: a mark "o" for every 2 percent of the input
// read since the marks already drawn. iPerMark is the percentage drawn so far.
void ProgressStep(int16_t* iPerMark);
