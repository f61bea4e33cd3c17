// lookup_table: every record written to the output database is registered in
// the list of its type, kept in ascending record number (equal numbers in the
// order registered); the database is closed with an empty view point table,
// the lookup table built from those lists (one 8-byte entry per record) and the
// 64-byte type index that follows it.

#include <cstdio>
#include <iterator>

#include "database_file.h"

void AddSeekInfo(SeekInfoLists* pSeekInfo, const RecordHeader* prhdr, int32_t lSeek) {
  // Refuse what the lookup table cannot describe, before anything is written.
  if (prhdr->cType >= kSeekInfoTypes) Fatal("Record type %d can't be listed in the lookup table.\n", prhdr->cType);
  if (pSeekInfo->nodes.size() >= static_cast<std::size_t>(kMaxLookUpEntries)) {
    Fatal("Too many records for the lookup table.\n");
  }
  if (lSeek >= kMaxLookUpOffset) Fatal("Output file too large for the lookup table.\n");

  pSeekInfo->nodes.push_back(SeekInfomation{lSeek, prhdr->iLength, prhdr->iRecord, nullptr});
  PSINF node = &pSeekInfo->nodes.back();
  const std::size_t type = prhdr->cType;
  ++pSeekInfo->counts[type];

  // The new node follows the last node whose number is not above its own,
  // which is where a walk from the head would stop; the index of each
  // number's last node finds that place without the walk.
  std::map<int16_t, PSINF>& lastOf = pSeekInfo->lastOfNumber[type];
  const auto above = lastOf.upper_bound(node->iRecordNum);
  PSINF* link = above == lastOf.begin() ? &pSeekInfo->heads[type] : &std::prev(above)->second->pnext_sinf;
  node->pnext_sinf = *link;
  *link = node;
  lastOf[node->iRecordNum] = node;
}

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
      e[kFlags] = 0x00;
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
