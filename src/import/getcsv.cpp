// getcsv: the fields of a CSV line. Plain mode ('0') splits at every comma;
// quoted mode takes only what stands between quote characters. SplitCSV
// takes every field in one walk; GetCSV is one field of it.
#include <cstring>

#include "kalvert.h"

namespace {

// Plain mode: the comma is the only separator and a line feed ends the line;
// quotes, spaces and carriage returns belong to the fields.
std::vector<std::string> PlainFields(const char* p, std::size_t n) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < n && p[i] != '\n'; ++i) {
    if (p[i] == ',') {
      fields.emplace_back();
    } else {
      fields.back() += p[i];
    }
  }
  return fields;
}

// Quoted mode: each opening quote begins the next field; bytes outside quotes
// are not looked at, and there is no escape for the quote character (two in
// a row close a field and open the next).
std::vector<std::string> QuotedFields(const char* p, std::size_t n, char cST) {
  std::vector<std::string> fields;
  bool inside = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] == cST) {
      inside = !inside;
      if (inside) fields.emplace_back();
    } else if (inside) {
      fields.back() += p[i];
    }
  }
  return fields;
}

}  // namespace

std::vector<std::string> SplitCSV(const std::string& pszData, char cST) {
  // The line ends at its first NUL.
  const char* p = pszData.c_str();
  const std::size_t n = std::strlen(p);
  if (n == 0) return {};
  return cST == '0' ? PlainFields(p, n) : QuotedFields(p, n, cST);
}

std::string GetCSV(const std::string& pszData, int16_t iNum, char cST) {
  const std::vector<std::string> fields = SplitCSV(pszData, cST);
  if (iNum < 1 || static_cast<std::size_t>(iNum) > fields.size()) return std::string();
  return fields[static_cast<std::size_t>(iNum) - 1];
}
