// rdcommon: small steps the two passes over the input share: the progress
// mark step, reading and skipping record bodies, and copying a record to the
// output database.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "kalvert.h"

namespace reader {

// One step of the progress bar: a mark "o" for every 2 percent of the input
// read since the marks already drawn. iPerMark is the percentage drawn so far.
inline void ProgressStep(int16_t* iPerMark) {
  if (state.lFileLast == 0) return;
  const long lPos = files.in.Tell();
  const double dPer = static_cast<double>(lPos) / static_cast<double>(state.lFileLast) * 100.0;
  if (!std::isfinite(dPer) || dPer <= -32769.0 || dPer >= 32768.0) return;
  const int16_t iPer = static_cast<int16_t>(std::trunc(dPer));
  if (iPer > 99) return;
  const int iRoom = iPer - *iPerMark;
  for (int i = 2; i <= iRoom; i += 2) {
    std::fputc('o', stderr);
    *iPerMark = CutTo16(*iPerMark + 2);
  }
}

// The body size of a record whose header has been read (iLength is at least
// 6: ReadRecordHeader refuses anything shorter).
inline long BodySize(const RecordHeader& rh) { return static_cast<long>(rh.iLength) - kSizeRHDR; }

// Reads lSize bytes of the input; false when they do not arrive whole.
inline bool ReadBytes(std::vector<unsigned char>* pBuf, long lSize) {
  pBuf->assign(static_cast<std::size_t>(lSize), 0);
  if (lSize == 0) return true;
  return files.in.Read(pBuf->data(), pBuf->size()) == pBuf->size();
}

// Passes over a body. A body that runs past the end of the file is no
// failure here: the position goes where the body would end, and the next
// header read finds the end.
inline void SkipBody(const RecordHeader& rh) { files.in.Seek(files.in.Tell() + BodySize(rh)); }

// Registers a record at the output's current position, then writes it.
inline void CopyRecordOut(SeekInfoLists* pSeekInfo, const RecordHeader& rh, const unsigned char* pBody,
                          std::size_t nBody) {
  WriteRecordHeader(pSeekInfo, rh);
  WriteOut(pBody, nBody);
}

}  // namespace reader
