// debug_names: the names of record types and status bytes in the -d dump. The
// status number shown is the byte taken as signed and widened, so 0x81 shows
// as ffffff81.

#include <cstdio>

#include "database_file.h"

namespace {

const char* TypeName(uint8_t code) {
  switch (code) {
    case TYPE_DBHEADER:
      return "TYPE_DBHEADER";
    case TYPE_CARDDEF:
      return "TYPE_CARDDEF";
    case TYPE_CATEGORY:
      return "TYPE_CATEGORY";
    case TYPE_FIELDDEF:
      return "TYPE_FIELDDEF";
    case TYPE_VIEWPTDEF:
      return "TYPE_VIEWPTDEF";
    case TYPE_NOTE:
      return "TYPE_NOTE";
    case TYPE_VIEWPTTABLE:
      return "TYPE_VIEWPTTABLE";
    case TYPE_DATA:
      return "TYPE_DATA";
    case TYPE_LINKDEF:
      return "TYPE_LINKDEF";
    case TYPE_CARDPAGEDEF:
      return "TYPE_CARDPAGEDEF";
    case TYPE_LOOKUPTABLE:
      return "TYPE_LOOKUPTABLE";
    default:
      return nullptr;
  }
}

}  // namespace

int16_t CheckRecordType(char iFlag) {
  const int8_t code = static_cast<int8_t>(iFlag);
  const char* name = TypeName(static_cast<uint8_t>(iFlag));
  if (name)
    std::printf("    Record Type : %s.\n", name);
  else
    std::printf("    Record Type : TYPE_USER(%d).\n", code);
  return code;
}

void CheckRecordStatus(char iFlag) {
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
  }
}
