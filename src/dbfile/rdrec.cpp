// rdrec: reads the next record header of the input. A record shorter than its
// own header would make every reader seek backwards and loop for ever, so it
// ends the run as a broken file.
#include <cstdio>

#include "kalvert.h"

bool ReadRecordHeader(RecordHeader* prh, InputImage& f) {
  if (fread_RHDR(prh, 1, kSizeRHDR, f) != kSizeRHDR) return false;
  // The header's offset is asked only when it is needed for the message.
  if (prh->iLength < kSizeRHDR) Fatal("Broken record at offset %ld.\n", f.Tell() - kSizeRHDR);
  return true;
}
