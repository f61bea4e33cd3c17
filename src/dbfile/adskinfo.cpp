// adskinfo: registers a record about to be written to the output database in
// the list of its type, kept in ascending record number (equal numbers in the
// order registered). The lookup table is built from these lists at the end.
#include <iterator>

#include "kalvert.h"

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
