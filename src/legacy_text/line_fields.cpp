// line_fields: the fields of a line both ways. PrintString appends one field
// with its quotes and the separator or line end that follows it; SplitCSV and
// GetCSV take the fields of an imported line (plain mode '0' splits at every
// comma, quoted mode takes only what stands between quote characters).

#include <cstring>
#include <string>

#include "legacy_text.h"

void PrintString(const std::string& szWord, std::string& szOut, FieldEnd nFlag) {
  const bool bQuote = opt.iCSV == 2 || opt.iTAB == 2;
  if (bQuote) szOut += '"';
  // "&" marks a menu letter in field names and "#" is dropped with it; every
  // other byte goes out unchanged.
  const char* run = szWord.data();
  const char* const end = run + szWord.size();
  const bool bMarks = std::memchr(run, '&', szWord.size()) || std::memchr(run, '#', szWord.size());
  for (const char* p = bMarks ? run : end; p != end; ++p) {
    if (*p != '&' && *p != '#') continue;
    szOut.append(run, static_cast<std::size_t>(p - run));
    run = p + 1;
  }
  szOut.append(run, static_cast<std::size_t>(end - run));
  if (bQuote) szOut += '"';

  if (nFlag == FieldEnd::kSeparator) {
    szOut += opt.iCSV != 0 ? ',' : (opt.iTAB != 0 ? '\t' : '\n');
    return;
  }
  szOut += '\n';
  if (opt.iCSV == 0) szOut += '\n';
}

namespace {

// Plain mode: the comma is the only separator and a line feed ends the line;
// quotes, spaces and carriage returns belong to the fields.
std::vector<std::string> PlainFields(const char* p, std::size_t n) {
  const char* const end = p + n;
  const char* const lf = static_cast<const char*>(std::memchr(p, '\n', n));
  const char* const stop = lf ? lf : end;
  std::vector<std::string> fields;
  for (;;) {
    const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(stop - p)));
    fields.emplace_back(p, comma ? comma : stop);
    if (!comma) return fields;
    p = comma + 1;
  }
}

// Quoted mode: each opening quote begins the next field; bytes outside quotes
// are not looked at, and there is no escape for the quote character (two in
// a row close a field and open the next).
std::vector<std::string> QuotedFields(const char* p, std::size_t n, char cST) {
  const char* const end = p + n;
  std::vector<std::string> fields;
  fields.reserve(16);
  for (;;) {
    const char* open = static_cast<const char*>(std::memchr(p, cST, static_cast<std::size_t>(end - p)));
    if (!open) return fields;
    const char* close = static_cast<const char*>(std::memchr(open + 1, cST, static_cast<std::size_t>(end - open - 1)));
    fields.emplace_back(open + 1, close ? close : end);
    if (!close) return fields;
    p = close + 1;
  }
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

namespace csvitem {

namespace {

bool HasColumn(const std::vector<std::string>& columns, long column) {
  return column >= 1 && static_cast<std::size_t>(column) <= columns.size();
}

}  // namespace

const std::string& Field(const std::vector<std::string>& columns, long column) {
  static const std::string kNone;
  return HasColumn(columns, column) ? columns[static_cast<std::size_t>(column) - 1] : kNone;
}

std::string TakeField(std::vector<std::string>& columns, long column) {
  return HasColumn(columns, column) ? std::move(columns[static_cast<std::size_t>(column) - 1]) : std::string();
}

}  // namespace csvitem
