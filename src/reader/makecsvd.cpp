// makecsvd: makes one empty item of the item list, with a zeroed fixed part
// and, when asked for, a zeroed repeat block.
#include <new>

#include "kalvert.h"

std::unique_ptr<CSVData> MakeCSVD(int8_t cFlag) {
  std::unique_ptr<NonRepeaAppt> pnra(new (std::nothrow) NonRepeaAppt{});
  if (!pnra) Fatal("1. Not enough memory in MakeCSVD.\n");
  std::unique_ptr<CSVData> pcsvd(new (std::nothrow) CSVData{});
  if (!pcsvd) Fatal("2. Not enough memory in MakeCSVD.\n");
  pcsvd->pnra = std::move(pnra);
  if (cFlag != 0) {
    pcsvd->pria.reset(new (std::nothrow) RepeatInformationAppt{});
    if (!pcsvd->pria) Fatal("3. Not enough memory in MakeCSVD.\n");
  }
  return pcsvd;
}
