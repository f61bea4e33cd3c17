// item_records: the items of the appointment book written to the output
// database: WriteDATA, one item as a data record (fixed part, description,
// category, location, repeat block, deleted occurrences) followed by its note
// record; WriteUserType14, every item in chain order with its links, then the
// two type-14 records that say where the chains begin: record 0 (the flat
// chain) and record 1 (one entry per date).

#include <algorithm>
#include <array>
#include <cstdio>

#include "book_items.h"
#include "database_file.h"

namespace {

constexpr long kFixedLength = kSizeNRA;

// Notes are numbered in writing order: the next number is the count of note
// records registered so far.
int16_t NotesRegistered(const SeekInfoLists& seekInfo) { return CutTo16(seekInfo.counts[TYPE_NOTE]); }

// The deleted occurrences as the record holds them: cDelete entries of four
// bytes (missing bytes as 0, so the record always matches its length).
std::vector<unsigned char> DeletedBytes(const BookItem& item, long lDelRLength) {
  std::vector<unsigned char> v(static_cast<std::size_t>(lDelRLength), 0);
  const std::size_t have = std::min(v.size(), item.pszDelRepeat.size());
  std::copy(item.pszDelRepeat.begin(), item.pszDelRepeat.begin() + static_cast<long>(have), v.begin());
  return v;
}

void DebugDump(const BookItem& item) {
  const NonRepeaAppt& nra = *item.pnra;
  std::printf("%s\n", item.pszDescription.c_str());
  std::printf("%s\n", item.pszLocation.c_str());
  std::printf("%d, %d, %d\n", nra.cYear, nra.cMonth, nra.cDay);
  std::printf("%d\n", nra.iEndDate);
  std::printf("%s\n\n", item.pszNote.c_str());
}

}  // namespace

namespace {

// The bytes of the deleted occurrences in the record.
long DeletedLength(const BookItem& item) {
  const int8_t cDelete = Repeats(item.pnra->cRepeatType) && item.pria ? item.pria->cDelete : 0;
  // A negative count cannot describe any bytes: nothing follows the block.
  return cDelete > 0 ? 4L * cDelete : 0;
}

}  // namespace

long DataRecordLength(const BookItem& item) {
  const long lRepeLength = Repeats(item.pnra->cRepeatType) ? kSizeRIA + DeletedLength(item) : 0;
  return kSizeRHDR + kFixedLength +
         static_cast<long>(item.pszDescription.size() + item.pszCategory.size() + item.pszLocation.size()) + 3 +
         lRepeLength;
}

void WriteDATA(PCSVD pcsvd, SeekInfoLists* pSeekInfo) {
  NonRepeaAppt& nra = *pcsvd->pnra;
  const long lDescLength = static_cast<long>(pcsvd->pszDescription.size()) + 1;
  const long lCateLength = static_cast<long>(pcsvd->pszCategory.size()) + 1;
  const long lLocaLength = static_cast<long>(pcsvd->pszLocation.size()) + 1;
  const bool repeats = Repeats(nra.cRepeatType);
  const long lDelRLength = DeletedLength(*pcsvd);
  const long lBody = DataRecordLength(*pcsvd) - kSizeRHDR;
  const bool hasNote = nra.iNoteRecNum != -1;
  // A copied item keeps its note as stored, whatever -n made of it for the
  // text; an imported item's note is its CSV column with its line breaks.
  const std::string& note = pcsvd->bFromInput ? pcsvd->pszStoredNote : pcsvd->pszNote;

  // Refuse before anything of the item is written.
  recwrite::CheckLength(DataRecordLength(*pcsvd));
  if (hasNote) recwrite::CheckLength(static_cast<long>(note.size()) + kSizeRHDR);

  nra.iLength = CutTo16(lBody);
  nra.iOsCategory = CutTo16(kFixedLength + lDescLength);
  nra.iOsLocation = CutTo16(kFixedLength + lDescLength + lCateLength);
  nra.iOsRepeat = CutTo16(kFixedLength + lDescLength + lCateLength + lLocaLength);
  int16_t iSum{};  // the note's number, set when there is one
  if (hasNote) {
    iSum = NotesRegistered(*pSeekInfo);
    nra.iNoteRecNum = iSum;
  }

  recwrite::PutHeader(pSeekInfo, TYPE_DATA, STATUS_MODIFIED, lBody + kSizeRHDR, pcsvd->iRecordNum);
  fwrite_NRA(&nra, kSizeNRA, 1);
  recwrite::PutCText(pcsvd->pszDescription);
  recwrite::PutCText(pcsvd->pszCategory);
  recwrite::PutCText(pcsvd->pszLocation);
  if (repeats) {
    const RepeatInformationAppt none{};
    const RepeatInformationAppt* ria = pcsvd->pria ? pcsvd->pria.get() : &none;
    fwrite_RIA(ria, kSizeRIA, 1);
    recwrite::PutBytes(DeletedBytes(*pcsvd, lDelRLength));
  }

  if (hasNote) {
    WriteNoteRecord(pSeekInfo, STATUS_MODIFIED, iSum, note);
  }
  if (opt.iDebugG) DebugDump(*pcsvd);
}

namespace {

using namespace layout::user14;

// Links each item to the next one of its chain and writes it.
void WriteChain(PCSVD first, SeekInfoLists* pSeekInfo) {
  for (PCSVD p = first; p; p = p->pnext_csvd) {
    if (PCSVD next = p->pnext_csvd) {
      p->pnra->iNextRecNum = next->iRecordNum;
      next->pnra->iPrevRecNum = p->iRecordNum;
    }
    WriteDATA(p, pSeekInfo);
  }
}

// Record 0: the bytes of the input's record 0 (0 where it had none), with
// the first item of the flat chain (-1: none) and the number of dates.
void WriteRecord0(SeekInfoLists* pSeekInfo, int16_t iStartNum, int16_t iDates) {
  std::array<unsigned char, kRecord0Size> body{};
  const std::size_t have = std::min(body.size(), state.szUserType14_0.size());
  std::copy(state.szUserType14_0.begin(), state.szUserType14_0.begin() + static_cast<long>(have), body.begin());
  EncodeI16(&body[kRecord0FirstItem], iStartNum);
  EncodeI16(&body[kRecord0Dates], iDates);
  recwrite::PutHeader(pSeekInfo, TYPE_USER14, STATUS_MODIFIED, kSizeRHDR + kRecord0Size, 0);
  WriteOut(body.data(), body.size());
}

// Record 1: date and first record number of each date head, then the end
// entry.
void WriteRecord1(SeekInfoLists* pSeekInfo, PCSVD start_csvd, long lDates) {
  std::vector<unsigned char> body;
  body.reserve(static_cast<std::size_t>(lDates + 1) * kEntrySize);
  for (PCSVD head = start_csvd; head; head = head->pnext_csvd) {
    unsigned char entry[kEntrySize];
    entry[kYear] = head->pnra->cYear;
    entry[kMonth] = head->pnra->cMonth;
    entry[kDay] = head->pnra->cDay;
    EncodeI16(&entry[kFirstRecord], head->iFirstRecord);
    body.insert(body.end(), entry, entry + kEntrySize);
  }
  body.insert(body.end(), kEndEntry, kEndEntry + kEntrySize);
  recwrite::PutHeader(pSeekInfo, TYPE_USER14, STATUS_MODIFIED, static_cast<long>(body.size()) + kSizeRHDR, 1);
  recwrite::PutBytes(body);
}

}  // namespace

void WriteUserType14(PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  const int16_t iStartNum = start_scsv->other_csvd ? start_scsv->other_csvd->iRecordNum : int16_t{-1};
  WriteChain(start_scsv->other_csvd, pSeekInfo);

  // Each date is a chain of its own: the head, then its down chain.
  long lDates = 0;
  for (PCSVD head = start_scsv->start_csvd; head; head = head->pnext_csvd) {
    ++lDates;
    if (PCSVD down = head->pdown_csvd) {
      head->pnra->iNextRecNum = down->iRecordNum;
      down->pnra->iPrevRecNum = head->iRecordNum;
      WriteDATA(head, pSeekInfo);
      WriteChain(down, pSeekInfo);
    } else {
      WriteDATA(head, pSeekInfo);
    }
  }

  // The filing counts the date heads in iUserType14; the entries written
  // are counted here so that record 1 always matches its length.
  WriteRecord0(pSeekInfo, iStartNum, CutTo16(lDates));
  WriteRecord1(pSeekInfo, start_scsv->start_csvd, lDates);
}
