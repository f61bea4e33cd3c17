// rdappt: ReadAppt, which turns the body of an appointment or event record
// into an item of the item list.
#include "apptrec.h"
#include "kalvert.h"

void ReadAppt(PFDC /*start_fdc*/, PCSVD curr_csvd, const RecordBody& szBuffer, uint8_t nKindOrig) {
  NonRepeaAppt& nra = *curr_csvd->pnra;
  apptrec::ReadLinks(szBuffer, &nra);
  if (opt.iDebugG) apptrec::PrintLinks(nra);

  curr_csvd->cKind = nKindOrig >= KIND_APPT ? KIND_APPT : KIND_EVENT;
  nra.cFlags = nKindOrig;

  apptrec::ReadDateAndTime(szBuffer, &nra);
  nra.cLeadTime = BodyU8(szBuffer, layout::nra::kLeadTime);

  curr_csvd->pszDescription = GetString(BodyText(szBuffer, layout::nra::kDescription));
  curr_csvd->pszLocation = GetString(BodyText(szBuffer, nra.iOsLocation));
  curr_csvd->pszCategory = apptrec::ReadCategory(szBuffer, nra);

  apptrec::ReadItemNote(curr_csvd);

  if (apptrec::ReadRepeat(szBuffer, curr_csvd) && opt.iDebugG) apptrec::PrintRepeat(*curr_csvd, false);
}
