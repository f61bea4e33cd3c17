// cutstr: CutString, shortens a text to at most iCut bytes without splitting
// a two-byte character (a byte above 0x80 starts one).
#include "kalvert.h"

std::string& CutString(std::string& pszString, int iStart, int iCut) {
  if (iCut < 0 || iStart < 0) return pszString;
  const std::size_t cut = static_cast<std::size_t>(iCut);
  if (pszString.size() < cut) return pszString;
  std::size_t i = static_cast<std::size_t>(iStart);
  while (i < pszString.size()) {
    const bool twoByte = static_cast<unsigned char>(pszString[i]) > 0x80;
    if (i >= cut || (twoByte && i + 1 == cut)) {
      pszString.resize(i);
      break;
    }
    i += twoByte ? 2 : 1;
  }
  return pszString;
}
