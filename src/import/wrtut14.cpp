// wrtut14: WriteUserType14, every item of the appointment book written in
// chain order with its links, then the two type-14 records that say where the
// chains begin: record 0 (the flat chain) and record 1 (one entry per date).
#include <algorithm>
#include <array>

#include "recwrite.h"

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
// the first item of the flat chain and the number of dates.
void WriteRecord0(SeekInfoLists* pSeekInfo, int16_t iStartNum, int16_t iDates) {
  std::array<unsigned char, kRecord0Size> body{};
  const std::size_t have = std::min(body.size(), state.szUserType14_0.size());
  std::copy(state.szUserType14_0.begin(), state.szUserType14_0.begin() + static_cast<long>(have), body.begin());
  EncodeI16(&body[kRecord0FirstItem], iStartNum < 0 ? int16_t{-1} : iStartNum);
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
