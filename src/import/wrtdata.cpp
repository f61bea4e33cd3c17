// wrtdata: WriteDATA, one appointment-book item written as a data record
// (fixed part, description, category, location, repeat block, deleted
// occurrences), followed by its note record when it has a note.
#include <algorithm>
#include <cstdio>

#include "recwrite.h"

namespace {

constexpr long kFixedLength = kSizeNRA;

// Notes are numbered in writing order: the next number is the count of note
// records registered so far.
int16_t NotesRegistered(const SeekInfoLists& seekInfo) { return CutTo16(seekInfo.counts[TYPE_NOTE]); }

// The deleted occurrences as the record holds them: cDelete entries of four
// bytes (missing bytes as 0, so the record always matches its length).
std::vector<unsigned char> DeletedBytes(const CSVData& item, long lDelRLength) {
  std::vector<unsigned char> v(static_cast<std::size_t>(lDelRLength), 0);
  const std::size_t have = std::min(v.size(), item.pszDelRepeat.size());
  std::copy(item.pszDelRepeat.begin(), item.pszDelRepeat.begin() + static_cast<long>(have), v.begin());
  return v;
}

void DebugDump(const CSVData& item) {
  const NonRepeaAppt& nra = *item.pnra;
  std::printf("%s\n", item.pszDescription.c_str());
  std::printf("%s\n", item.pszLocation.c_str());
  std::printf("%d, %d, %d\n", nra.cYear, nra.cMonth, nra.cDay);
  std::printf("%d\n", nra.iEndDate);
  std::printf("%s\n\n", item.pszNote.c_str());
}

}  // namespace

void WriteDATA(PCSVD pcsvd, SeekInfoLists* pSeekInfo) {
  NonRepeaAppt& nra = *pcsvd->pnra;
  const long lDescLength = static_cast<long>(pcsvd->pszDescription.size()) + 1;
  const long lCateLength = static_cast<long>(pcsvd->pszCategory.size()) + 1;
  const long lLocaLength = static_cast<long>(pcsvd->pszLocation.size()) + 1;
  const bool repeats = nra.cRepeatType > 1;
  const int8_t cDelete = repeats && pcsvd->pria ? pcsvd->pria->cDelete : 0;
  // A negative count cannot describe any bytes: nothing follows the block.
  const long lDelRLength = cDelete > 0 ? 4L * cDelete : 0;
  const long lRepeLength = repeats ? kSizeRIA + lDelRLength : 0;
  const long lBody = kFixedLength + lDescLength + lCateLength + lLocaLength + lRepeLength;
  const bool hasNote = nra.iNoteRecNum != -1;
  // A copied item keeps its note as stored, whatever -n made of it for the
  // text; an imported item's note is its CSV column with its line breaks.
  const std::string& note = pcsvd->bFromInput ? pcsvd->pszStoredNote : pcsvd->pszNote;

  // Refuse before anything of the item is written.
  recwrite::CheckLength(lBody + kSizeRHDR);
  if (hasNote) recwrite::CheckLength(static_cast<long>(note.size()) + kSizeRHDR);

  nra.iLength = CutTo16(lBody);
  nra.iOsCategory = CutTo16(kFixedLength + lDescLength);
  nra.iOsLocation = CutTo16(kFixedLength + lDescLength + lCateLength);
  nra.iOsRepeat = CutTo16(kFixedLength + lDescLength + lCateLength + lLocaLength);
  int16_t iSum = 0;
  if (hasNote) {
    iSum = NotesRegistered(*pSeekInfo);
    nra.iNoteRecNum = iSum;
  }

  recwrite::PutHeader(pSeekInfo, TYPE_DATA, STATUS_MODIFIED, lBody + kSizeRHDR, pcsvd->iRecordNum);
  if (fwrite_NRA(&nra, kSizeNRA, 1, files.fpout) == -1) Fatal("Failed write file.\n");
  recwrite::PutCText(pcsvd->pszDescription);
  recwrite::PutCText(pcsvd->pszCategory);
  recwrite::PutCText(pcsvd->pszLocation);
  if (repeats) {
    const RepeatInformationAppt none{};
    const RepeatInformationAppt* ria = pcsvd->pria ? pcsvd->pria.get() : &none;
    if (fwrite_RIA(ria, kSizeRIA, 1, files.fpout) == -1) Fatal("Failed write file.\n");
    recwrite::PutBytes(DeletedBytes(*pcsvd, lDelRLength));
  }

  if (hasNote) {
    recwrite::PutHeader(pSeekInfo, TYPE_NOTE, STATUS_MODIFIED, static_cast<long>(note.size()) + kSizeRHDR, iSum);
    recwrite::PutText(note);
  }
  if (opt.iDebugG) DebugDump(*pcsvd);
}
