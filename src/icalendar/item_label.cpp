// item_label: ItemLabel, how messages name an item: its kind, its date as
// stored and its data record (counted from 0 in file order); and Warn, a
// warning about an item.

#include <cstdio>

#include "calendar_parts.h"

namespace ical {

std::string ItemLabel(const BookItem& csvd) {
  const NonRepeaAppt& nra = *csvd.pnra;
  const char* szKind = csvd.cKind == KIND_APPT ? "appointment" : csvd.cKind == KIND_EVENT ? "event" : "ToDo item";
  char sz[96];
  std::snprintf(sz, sizeof sz, "The %s of %04d/%02d/%02d (data record %d)", szKind, nra.cYear + 1900, nra.cMonth + 1,
                nra.cDay + 1, csvd.iRecordNum);
  return sz;
}

void Warn(const BookItem& csvd, const std::string& szWhat) {
  std::fprintf(stderr, "%s: %s.\n", ItemLabel(csvd).c_str(), szWhat.c_str());
}

}  // namespace ical
