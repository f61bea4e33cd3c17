// wrtlus: closes an output database with an empty view point table, the
// lookup table (one 8-byte entry per registered record, by type and record
// number) and the 64-byte type index that follows it.
#include <cstdio>

#include "kalvert.h"

namespace {

int CountNodes(PSINF p) {
  int n = 0;
  for (; p; p = p->pnext_sinf) ++n;
  return n;
}

}  // namespace

int WriteLookUpSeek(SeekInfoLists* pSeekInfo) {
  using namespace layout::lookup;
  const RecordHeader view{TYPE_VIEWPTTABLE, STATUS_MODIFIED, kSizeRHDR, 0};
  WriteRecordHeader(pSeekInfo, view);

  state.lLast = OutPos();
  const int iNum = static_cast<int>(pSeekInfo->nodes.size());
  const RecordHeader table{TYPE_LOOKUPTABLE, STATUS_MODIFIED, static_cast<int16_t>(kEntrySize * iNum + kSizeRHDR), 0};
  WriteRecordHeader(nullptr, table);

  std::vector<unsigned char> entries;
  entries.reserve(static_cast<std::size_t>(iNum) * kEntrySize + kSeekInfoTypes * kIndexEntrySize);
  for (PSINF head : pSeekInfo->heads) {
    for (PSINF p = head; p; p = p->pnext_sinf) {
      unsigned char e[kEntrySize];
      EncodeI16(e + kSize, p->iSize);
      EncodeU16(e + kUnused, 0xFFFF);
      e[kFlags] = p->lSeekPt == 0 ? kFlagsFirst : 0x00;
      EncodeU24(e + kOffset, p->lSeekPt);
      entries.insert(entries.end(), e, e + kEntrySize);
    }
  }

  int iSum = 0;
  for (PSINF head : pSeekInfo->heads) {
    if (opt.iDebugG) std::printf("iSum = %d\n", iSum);
    unsigned char w[kIndexEntrySize];
    EncodeI16(w, static_cast<int16_t>(iSum));
    entries.insert(entries.end(), w, w + kIndexEntrySize);
    iSum += CountNodes(head);
  }
  WriteOut(entries.data(), entries.size());
  return iNum;
}
