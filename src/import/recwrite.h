// recwrite: how the writers of the import start a record in the output
// database: the header is registered at the offset where it begins, then
// written.
#pragma once

#include <string>
#include <vector>

#include "kalvert.h"

namespace recwrite {

constexpr long kMaxRecordLength = 32767;  // iLength is a signed 16-bit number

inline void CheckLength(long lLength) {
  if (lLength > kMaxRecordLength) Fatal("Record too long to write.\n");
}

inline void PutHeader(SeekInfoLists* pSeekInfo, uint8_t cType, uint8_t cStatus, long lLength, int16_t iRecord) {
  CheckLength(lLength);
  WriteRecordHeader(pSeekInfo, RecordHeader{cType, cStatus, static_cast<int16_t>(lLength), iRecord});
}

inline void PutText(const std::string& s) { WriteOut(s.data(), s.size()); }

// A text with its NUL.
inline void PutCText(const std::string& s) {
  PutText(s);
  WriteOut("", 1);
}

inline void PutBytes(const std::vector<unsigned char>& v) { WriteOut(v.data(), v.size()); }

}  // namespace recwrite
