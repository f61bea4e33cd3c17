// progress_bar: the marks of the two passes' progress bars on standard error.
#include <cmath>
#include <cstdio>

#include "passes.h"

void ProgressStep(int16_t* iPerMark) {
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
