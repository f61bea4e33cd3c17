// rdtodo: ReadTodo, which turns the body of a ToDo record into an item of the
// item list. A ToDo item has no location; bytes 22 to 24 hold its completion
// date.
#include "apptrec.h"
#include "kalvert.h"

void ReadTodo(PFDC /*start_fdc*/, PCSVD curr_csvd, const RecordBody& szBuffer, uint8_t nKindOrig) {
  NonRepeaAppt& nra = *curr_csvd->pnra;
  apptrec::ReadLinks(szBuffer, &nra);
  if (opt.iDebugG) apptrec::PrintLinks(nra);

  curr_csvd->cKind = KIND_TODO;
  nra.cFlags = nKindOrig;

  apptrec::ReadItemNote(curr_csvd);

  apptrec::ReadDateAndTime(szBuffer, &nra);
  nra.cLeadTime = 0;

  curr_csvd->pszDescription = GetString(BodyText(szBuffer, layout::nra::kDescription));
  curr_csvd->pszLocation.clear();
  curr_csvd->pszCategory.clear();
  // The modern formats keep every byte of the record; the legacy text and
  // its copies never did.
  if (opt.format != OutputFormat::kLegacy) {
    nra.cLeadTime = BodyU8(szBuffer, 25);
    curr_csvd->pszLocation = apptrec::ReadLocation(szBuffer, nra);
    curr_csvd->pszCategory = apptrec::ReadCategory(szBuffer, nra);
  }

  if (apptrec::ReadRepeat(szBuffer, curr_csvd) && opt.iDebugG) apptrec::PrintRepeat(*curr_csvd, true);
}
