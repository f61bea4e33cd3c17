// vcard: a general database (a card file) as vCard 3.0 or 4.0, one card per
// record: the field names decide which field is which property, and every
// other field goes into the card under its own name.
#pragma once

#include "database_file.h"
#include "kalvert.h"

// The refusals of --format=vcf once the file type is known.
void CheckVCardRun();
// The export of --format=vcf, at the place of the legacy text output.
void WriteVCards(PFDC start_fdc);
