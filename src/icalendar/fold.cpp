// fold: AppendFolded. A content line longer than 75 octets goes on over
// lines that begin with a space; a break never falls inside a UTF-8
// character.
#include "icalendar.h"

namespace ical {

void AppendFolded(std::string* pOut, const std::string& line) {
  constexpr std::size_t kMaxOctets = 75;
  std::size_t iUsed = 0;
  for (std::size_t i = 0; i < line.size();) {
    std::size_t n = Utf8SequenceLength(static_cast<unsigned char>(line[i]));
    if (n > line.size() - i) n = line.size() - i;
    if (iUsed + n > kMaxOctets) {
      pOut->append("\r\n ");
      iUsed = 1;
    }
    pOut->append(line, i, n);
    iUsed += n;
    i += n;
  }
  pOut->append("\r\n");
}

}  // namespace ical
