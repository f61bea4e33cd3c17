// item_decode: ReadAppt and ReadTodo, the body of an appointment-book data
// record turned into an item. A ToDo item has no location in the legacy text;
// bytes 22 to 24 hold its completion date.

#include <cstdio>
#include <string>

#include "book_items.h"

namespace {

int16_t BodyI16(const RecordBody& body, long lOffset) { return static_cast<int16_t>(BodyU16(body, lOffset)); }

// Repeat type, lengths and offsets, and the note link. The chain links are
// not read: they are made afresh whenever a database is written.
void ReadLinks(const RecordBody& body, NonRepeaAppt* pnra) {
  using namespace layout::nra;
  pnra->cRepeatType = static_cast<int8_t>(BodyU8(body, kRepeatType));
  pnra->iLength = BodyI16(body, kLength);
  pnra->iOsCategory = BodyI16(body, kOsCategory);
  pnra->iOsLocation = BodyI16(body, kOsLocation);
  pnra->iOsRepeat = BodyI16(body, kOsRepeat);
  pnra->iNoteRecNum = BodyI16(body, kNoteRecNum);
  pnra->iPrevRecNum = -1;
  pnra->iNextRecNum = -1;
}

void PrintLinks(const NonRepeaAppt& nra) {
  std::printf(" Item Length : %d\n", nra.iLength);
  std::printf(" Offset to Category : %d\n", nra.iOsCategory);
  std::printf(" Offset to Location : %d\n", nra.iOsLocation);
  std::printf(" Offset to Repeat : %d\n", nra.iOsRepeat);
  std::printf(" Note record# : %d\n", nra.iNoteRecNum);
  std::printf(" Prev record# : %d\n", nra.iPrevRecNum);
  std::printf(" Next record# : %d\n", nra.iNextRecNum);
  std::printf(" Repeat Status : %d\n", nra.cRepeatType);
}

// Date, start time (or priority), iEndDate and the three bytes after it
// (end time and alarm lead, or the completion date of a ToDo item).
void ReadDateAndTime(const RecordBody& body, NonRepeaAppt* pnra) {
  using namespace layout::nra;
  pnra->cYear = BodyU8(body, kYear);
  pnra->cMonth = BodyU8(body, kMonth);
  pnra->cDay = BodyU8(body, kDay);
  pnra->cStartTimePri1 = BodyU8(body, kStartTimePri1);
  pnra->cStartTimePri2 = BodyU8(body, kStartTimePri2);
  pnra->iEndDate = BodyU16(body, kEndDate);
  pnra->cEndTimeYear = BodyU8(body, kEndTimeYear);
  pnra->cEndTimeMonth = BodyU8(body, kEndTimeMonth);
  pnra->cLeadTimeDay = BodyU8(body, kLeadTimeDay);
}

// The note kept twice: as stored (copies and the modern formats) and shaped
// for the legacy text.
void ReadItemNote(BookItem* pcsvd) {
  const NonRepeaAppt& nra = *pcsvd->pnra;
  pcsvd->pszStoredNote.clear();
  pcsvd->pszNote.clear();
  if (nra.iNoteRecNum == -1) return;
  pcsvd->pszStoredNote = ReadStoredNote(nra.iNoteRecNum);
  pcsvd->pszNote = ChangeString(ShapeNote(pcsvd->pszStoredNote));
}

// The category text at iOsCategory; an offset outside the body gives the
// empty text (the legacy text never shows it, so it must not fail a run).
std::string ReadCategory(const RecordBody& body, const NonRepeaAppt& nra) {
  if (nra.iOsCategory < 0 || nra.iOsCategory >= body.Length()) return std::string();
  return BodyText(body, nra.iOsCategory);
}

// The location text at iOsLocation, on the same terms as the category.
std::string ReadLocation(const RecordBody& body, const NonRepeaAppt& nra) {
  if (nra.iOsLocation < 0 || nra.iOsLocation >= body.Length()) return std::string();
  return BodyText(body, nra.iOsLocation);
}

// The repeat block at iOsRepeat and the cDelete * 4 bytes after it. Returns
// false when the item does not repeat. A block or deleted list that does not
// lie wholly inside the body ends the run.
bool ReadRepeat(const RecordBody& body, BookItem* pcsvd) {
  const NonRepeaAppt& nra = *pcsvd->pnra;
  if (!Repeats(nra.cRepeatType) || !pcsvd->pria) return false;
  const long lAt = nra.iOsRepeat;
  CheckBody(body, lAt, kSizeRIA);
  RepeatInformationAppt& r = *pcsvd->pria;
  DecodeRIA(body.bytes.data() + lAt, &r);
  // A negative count gives a negative width, which no body holds; a count of
  // 0 an empty list at the block's end.
  const long lDelAt = lAt + kSizeRIA;
  const long lDelSize = static_cast<long>(layout::ria::kDeletedEntrySize) * r.cDelete;
  CheckBody(body, lDelAt, lDelSize);
  const auto first = body.bytes.begin() + lDelAt;
  pcsvd->pszDelRepeat.assign(first, first + lDelSize);
  return true;
}

// Appointments print the deleted-list bytes unsigned, ToDo items signed.
void PrintRepeat(const BookItem& csvd, bool bSignedBytes) {
  const RepeatInformationAppt& r = *csvd.pria;
  const int16_t iDays = CutTo16(r.Weeks * 256L + r.Days);
  const int16_t iMonth = CutTo16(r.Month2 * 256L + r.Month1);
  std::printf("cFreq  : %d\n", r.cFreq);
  std::printf("iDays  : %s\n", ReadRepeatDay(iDays).c_str());
  std::printf("iMonth : %d, %d:%d\n", iMonth, iMonth / 256, iMonth % 256);
  std::printf("Start  : %d/%02d/%02d\n", r.cStartYear + 1900, r.cStartMonth + 1, r.cStartDay + 1);
  std::printf("End    : %d/%02d/%02d\n", r.cEndYear + 1900, r.cEndMonth + 1, r.cEndDay + 1);
  std::printf("cDelete: %d\n", r.cDelete);
  for (const unsigned char c : csvd.pszDelRepeat) {
    std::printf("%d\n", bSignedBytes ? static_cast<int>(static_cast<int8_t>(c)) : static_cast<int>(c));
  }
}

}  // namespace

void ReadAppt(PFDC /*start_fdc*/, PCSVD curr_csvd, const RecordBody& body, uint8_t nKindOrig) {
  NonRepeaAppt& nra = *curr_csvd->pnra;
  ReadLinks(body, &nra);
  if (opt.iDebugG) PrintLinks(nra);

  curr_csvd->cKind = nKindOrig >= KIND_APPT ? KIND_APPT : KIND_EVENT;
  nra.cFlags = nKindOrig;

  ReadDateAndTime(body, &nra);
  nra.cLeadTime = BodyU8(body, layout::nra::kLeadTime);

  curr_csvd->pszDescription = BodyText(body, layout::nra::kDescription);
  curr_csvd->pszLocation = BodyText(body, nra.iOsLocation);
  curr_csvd->pszCategory = ReadCategory(body, nra);

  ReadItemNote(curr_csvd);

  if (ReadRepeat(body, curr_csvd) && opt.iDebugG) PrintRepeat(*curr_csvd, false);
}

void ReadTodo(PFDC /*start_fdc*/, PCSVD curr_csvd, const RecordBody& body, uint8_t nKindOrig) {
  NonRepeaAppt& nra = *curr_csvd->pnra;
  ReadLinks(body, &nra);
  if (opt.iDebugG) PrintLinks(nra);

  curr_csvd->cKind = KIND_TODO;
  nra.cFlags = nKindOrig;

  ReadItemNote(curr_csvd);

  ReadDateAndTime(body, &nra);
  nra.cLeadTime = BodyU8(body, layout::nra::kLeadTime);

  // Every byte of the record is kept, so that a copy loses nothing; the
  // legacy text shows no category or location of a ToDo item.
  curr_csvd->pszDescription = BodyText(body, layout::nra::kDescription);
  curr_csvd->pszLocation = ReadLocation(body, nra);
  curr_csvd->pszCategory = ReadCategory(body, nra);

  if (ReadRepeat(body, curr_csvd) && opt.iDebugG) PrintRepeat(*curr_csvd, true);
}
