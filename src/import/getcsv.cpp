// getcsv: GetCSV, one field of a CSV line. Plain mode ('0') splits at every
// comma; quoted mode takes only what stands between quote characters.
#include <cstring>

#include "kalvert.h"

namespace {

// Plain mode: the comma is the only separator; everything else, quotes and
// spaces included, belongs to the field.
std::string PlainField(const char* p, std::size_t n, int16_t iNum) {
  std::string field;
  long counter = 1;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = p[i];
    if (c == ',') {
      ++counter;
      continue;
    }
    if (c == '\n') return field;
    if (counter == iNum) {
      field += c;
    } else if (counter > iNum) {
      return field;
    }
  }
  return field;
}

// Quoted mode: each opening quote starts a new field; bytes outside quotes
// are not looked at, and there is no escape for the quote character.
std::string QuotedField(const char* p, std::size_t n, int16_t iNum, char cST) {
  std::string field;
  long counter = 0;
  bool inside = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = p[i];
    if (c == cST) {
      inside = !inside;
      if (inside) {
        ++counter;
      } else if (i > 0 && p[i - 1] == cST && counter == iNum) {
        return std::string();
      }
      continue;
    }
    if (!inside) continue;
    if (counter == iNum) {
      field += c;
    } else if (counter > iNum) {
      return field;
    }
  }
  return field;
}

}  // namespace

std::string GetCSV(const std::string& pszData, int16_t iNum, char cST) {
  // The line ends at its first NUL.
  const char* p = pszData.c_str();
  const std::size_t n = std::strlen(p);
  if (n == 0) return std::string();
  return cST == '0' ? PlainField(p, n, iNum) : QuotedField(p, n, iNum, cST);
}
