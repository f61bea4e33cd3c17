// console_windows: standard output as a terminal sees it, on Windows.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "driver.h"

void SetTextOutputMode(bool bBinary) {
  std::fflush(stdout);
  _setmode(_fileno(stdout), bBinary ? _O_BINARY : _O_TEXT);
}

bool TerminalCharset(std::string* pCharset) {
  if (!_isatty(_fileno(stdout))) return false;
  *pCharset = "CP" + std::to_string(GetConsoleOutputCP());
  return true;
}
