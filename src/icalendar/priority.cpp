// priority: PriorityLevel, a ToDo priority on iCalendar's scale of 1
// (highest) to 9. The first character decides: digits 1 to 9 keep their
// value (0 counts as 1); letters A to Z (either case) fall in nine bands of
// three: A-C 1, D-F 2, G-I 3, J-L 4, M-O 5, P-R 6, S-U 7, V-X 8, Y-Z 9.
// Within digits and within letters the order is kept; a second character
// only breaks ties and is kept with the first in X-KALVERT-PRIORITY.
#include <cctype>

#include "calendar_parts.h"

namespace ical {

int PriorityLevel(uint8_t c1) {
  if (c1 >= '0' && c1 <= '9') return c1 == '0' ? 1 : c1 - '0';
  if (c1 >= 0x80 || !std::isalpha(c1)) return 0;
  return 1 + (std::toupper(c1) - 'A') * 9 / 26;
}

}  // namespace ical
