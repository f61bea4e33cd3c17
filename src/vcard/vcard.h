// vcard: a general database (a card file) and vCard, both ways: one card per
// record, vCard 3.0 or 4.0 out and 2.1, 3.0 and 4.0 in; the field names decide
// which field is which property, and every other field goes into the card
// under its own name.
#pragma once

#include "database_file.h"
#include "kalvert.h"

// The refusals of --format=vcf once the file type is known.
void CheckVCardRun();
// The export of --format=vcf, at the place of the legacy text output.
void WriteVCards(PFDC start_fdc);
// The import of --format=vcf (-i), at the place of ReadCSV: the file's cards
// as records beside the database's, those already in it left out.
void ReadVCards(PFDC start_fdc, SeekInfoLists* pSeekInfo);
