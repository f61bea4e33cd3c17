// chkstat: names a record status byte in the debug dump. The number shown is
// the byte taken as signed and widened, so 0x81 shows as ffffff81.
#include <cstdio>

#include "kalvert.h"

void CheckRecordStatus(char iFlag) {
  if (!opt.iDebugG) return;
  const unsigned shown = static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(iFlag)));
  switch (static_cast<uint8_t>(iFlag)) {
    case STATUS_GARBAGE:
      std::printf("  Record Status : Garbage(%x).\n", shown);
      break;
    case STATUS_MODIFIED:
      std::printf("  Record Status : Modified(%x). \n", shown);
      break;
    default:
      std::printf("  Record Status : %x. \n", shown);
      break;
  }
}
