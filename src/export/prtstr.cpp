// prtstr: PrintString, which appends one field of an output line with its
// quotes and the separator or line end that follows it.
#include <cstring>
#include <string>

#include "kalvert.h"

void PrintString(const std::string& szWord, std::string& szOut, int nFlag) {
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

  if (nFlag != 0) {
    szOut += opt.iCSV != 0 ? ',' : (opt.iTAB != 0 ? '\t' : '\n');
    return;
  }
  szOut += '\n';
  if (opt.iCSV == 0) szOut += '\n';
}
