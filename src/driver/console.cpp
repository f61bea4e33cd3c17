// console: standard output as a terminal sees it, on POSIX systems.
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <string>

#include "driver.h"

void SetTextOutputMode(bool /*bBinary*/) {}  // POSIX streams write bytes as they are

bool TerminalCharset(std::string* pCharset) {
  if (!isatty(STDOUT_FILENO)) return false;
  // The run keeps the C locale; the user's is read here and put back.
  const char* szWas = std::setlocale(LC_CTYPE, nullptr);
  const std::string was = szWas ? szWas : "C";
  std::setlocale(LC_CTYPE, "");
  *pCharset = nl_langinfo(CODESET);
  std::setlocale(LC_CTYPE, was.c_str());
  return true;
}
