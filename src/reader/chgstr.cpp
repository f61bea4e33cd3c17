// chgstr: turns each backslash followed by the letter n back into CR LF, the
// line break that the note conversion of -n2 and the CSV columns spell out.
#include "kalvert.h"

std::string ChangeString(std::string szBuffer) {
  if (szBuffer.empty()) return szBuffer;
  const std::size_t n = szBuffer.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (szBuffer[i] == '\\' && szBuffer[i + 1] == 'n') {
      szBuffer[i] = '\r';
      szBuffer[i + 1] = '\n';
      ++i;  // the scan goes on after the n
    }
  }
  return szBuffer;
}
