// wrtlus: closes an output database with an empty view point table, the
// lookup table (one 8-byte entry per registered record, by type and record
// number) and the 64-byte type index that follows it.
#include <cstdio>

#include "kalvert.h"

namespace {

void WriteHeaderOut(const RecordHeader& rh) {
  if (fwrite_RHDR(&rh, kSizeRHDR, 1, files.fpout) != 1) Fatal("Failed write file.\n");
}

int CountNodes(PSINF p) {
  int n = 0;
  for (; p; p = p->pnext_sinf) ++n;
  return n;
}

}  // namespace

int WriteLookUpSeek(SeekInfoLists* pSeekInfo) {
  const RecordHeader view{TYPE_VIEWPTTABLE, STATUS_MODIFIED, kSizeRHDR, 0};
  AddSeekInfo(pSeekInfo, &view, OutPos());
  WriteHeaderOut(view);

  state.lLast = OutPos();
  const int iNum = static_cast<int>(pSeekInfo->nodes.size());
  const RecordHeader table{TYPE_LOOKUPTABLE, STATUS_MODIFIED, static_cast<int16_t>(8 * iNum + 6), 0};
  WriteHeaderOut(table);

  std::vector<unsigned char> entries;
  entries.reserve(static_cast<std::size_t>(iNum) * 8 + 64);
  for (PSINF head : pSeekInfo->heads) {
    for (PSINF p = head; p; p = p->pnext_sinf) {
      unsigned char e[8];
      EncodeI16(e, p->iSize);
      e[2] = 0xFF;
      e[3] = 0xFF;
      e[4] = p->lSeekPt == 0 ? 0xC0 : 0x00;
      e[5] = static_cast<unsigned char>(p->lSeekPt & 0xFF);
      e[6] = static_cast<unsigned char>((p->lSeekPt >> 8) & 0xFF);
      e[7] = static_cast<unsigned char>((p->lSeekPt >> 16) & 0xFF);
      entries.insert(entries.end(), e, e + 8);
    }
  }

  int iSum = 0;
  for (PSINF head : pSeekInfo->heads) {
    if (opt.iDebugG) std::printf("iSum = %d\n", iSum);
    unsigned char w[2];
    EncodeI16(w, static_cast<int16_t>(iSum));
    entries.insert(entries.end(), w, w + 2);
    iSum += CountNodes(head);
  }
  WriteOut(entries.data(), entries.size());
  return iNum;
}
