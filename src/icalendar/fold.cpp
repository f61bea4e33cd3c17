// fold: AppendFolded. A content line longer than 75 octets goes on over
// lines that begin with a space; a break never falls inside a UTF-8
// character.
#include "icalendar.h"

namespace ical {

void AppendFolded(std::string* pOut, const std::string& line) {
  std::size_t i = 0;
  std::size_t iRoom = 75;  // a continuation line's space takes one octet
  while (line.size() - i > iRoom) {
    std::size_t iCut = i + iRoom;
    while (iCut > i + 1 && (static_cast<unsigned char>(line[iCut]) & 0xC0) == 0x80) --iCut;
    pOut->append(line, i, iCut - i).append("\r\n ");
    i = iCut;
    iRoom = 74;
  }
  pOut->append(line, i, std::string::npos).append("\r\n");
}

}  // namespace ical
