// fold: AppendFolded and Component::Add. A content line longer than 75 octets goes on over
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

void Component::Add(std::initializer_list<std::string_view> parts) {
  std::size_t n = 0;
  for (const std::string_view part : parts) n += part.size();
  // Most lines need no folding and are put together in place.
  if (n <= 75) {
    for (const std::string_view part : parts) text.append(part);
    text.append("\r\n");
    return;
  }
  std::string line;
  for (const std::string_view part : parts) line.append(part);
  AppendFolded(&text, line);
}

}  // namespace ical
