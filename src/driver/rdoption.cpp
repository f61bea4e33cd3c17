// rdoption: turns the command line into the option globals and opens the
// input database, the CSV file and the output database, in that order.
//
// The output database is not written in place: it goes to a new temporary
// file in the destination's folder, which replaces the destination only when
// the run succeeds (module outfile).
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kalvert.h"

namespace {

bool IsOptionStart(const char* arg) { return arg[0] == '-' || arg[0] == '/'; }

// A decimal number (fraction and exponent allowed) truncated toward zero to
// 32 bits; not a number gives 0, and values beyond 32 bits saturate.
int32_t DateNumber(const char* s) {
  const double d = std::strtod(s, nullptr);
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(d);
}

int32_t CutDate(const char* value, int32_t lDefault, const char* szCheckMessage) {
  const int32_t v = DateNumber(value);
  if (std::string(value).size() == 6) {
    if (v <= 100) {
      std::fprintf(stderr, szCheckMessage, static_cast<long>(lDefault));
      return lDefault;
    }
    // Six characters with an exponent can hold a value the century cannot be
    // added to; such a value is no date.
    const int64_t full = static_cast<int64_t>(v) + (v < 900000 ? 20000000 : 19000000);
    return full > INT32_MAX ? lDefault : static_cast<int32_t>(full);
  }
  return (v < kDefaultCutStart || v > kDefaultCutEnd) ? lDefault : v;
}

// A file option's name: the attached text, else the next argument unless that
// begins with '-' (a separate name may begin with '/': shells complete names
// so). False after printing the option's missing-name message.
bool TakeFileName(int iArg, char** ppArg, int* i, const char* value, const char* szMissing, std::string* name) {
  if (*value) {
    *name = value;
    return true;
  }
  if (*i + 1 >= iArg || ppArg[*i + 1][0] == '-') {
    std::fputs(szMissing, stderr);
    return false;
  }
  *name = ppArg[++*i];
  return true;
}

void SetKind(Options& o, int16_t* iKind, int16_t v, int16_t iMax) {
  *iKind = v;
  if (v == 0) {
    *iKind = 1;
    o.iSilent = 1;
  }
  if (v < 0 || v > iMax) *iKind = 1;
}

// Opens one input; on failure prints why.
std::FILE* OpenInput(const std::string& szName, const char* mode) {
  std::FILE* f = std::fopen(szName.c_str(), mode);
  if (!f) ReportCantOpen(szName, errno);
  return f;
}

bool OpenFiles(const Options& o, const std::string& szFilename, const std::string& szFilenameIN) {
  files.szFilename = szFilename;
  files.szFilenameIN = szFilenameIN;
  // The destination is locked before the input is read: a run waiting for
  // another on the same file reads what that one wrote.
  if (o.iOutAppt) PrepareOutput();
  files.fp = OpenInput(szFilename, "rb");
  if (!files.fp) return false;
  if (o.iInCSV) {
    files.fpin = OpenInput(szFilenameIN, "r");
    if (!files.fpin) return false;
  }
  return !o.iOutAppt || OpenOutput();
}

}  // namespace

int ReadOption(int iArg, char** ppArg) {
  Options& o = MutableOptions();
  std::string szFilename;
  std::string szFilenameIN;
  for (int i = 1; i < iArg; ++i) {
    const char* arg = ppArg[i];
    if (!IsOptionStart(arg)) break;
    const char cLetter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
    const char* value = arg[1] ? arg + 2 : arg + 1;
    const bool bHasValue = *value != '\0';
    const int16_t v = LeadingNumber(value);
    switch (cLetter) {
      case 'a':
        if (bHasValue)
          SetKind(o, &o.iAppt, v, 3);
        else
          o.iAppt = 1;
        break;
      case 'e':
        o.iAppt = 0;
        if (bHasValue)
          SetKind(o, &o.iEvent, v, 3);
        else
          o.iEvent = 1;
        break;
      case 't':
        o.iAppt = 0;
        if (bHasValue)
          SetKind(o, &o.iToDo, v, 4);
        else
          o.iToDo = 1;
        break;
      case 'c':
        o.iCSV = bHasValue ? v : 2;
        if (o.iCSV < 0 || o.iCSV > 2) o.iCSV = 0;
        break;
      case 'b':
        o.iTAB = 2;
        o.iCSV = 0;
        break;
      case 'n':
        o.iNote = bHasValue ? v : 1;
        if (o.iNote < 0 || o.iNote > 2) o.iNote = 0;
        break;
      case 'r':
        o.iAlarm = bHasValue ? v : 7;
        if (o.iAlarm < 0 || o.iAlarm > 7) o.iAlarm = 1;
        break;
      case 's': {
        const int s = bHasValue ? v + 1 : 1;
        o.iSilent = static_cast<int16_t>((s < 0 || s > 3) ? 1 : s);
        break;
      }
      case 'h':
        o.iHeader = 1;
        break;
      case 'm':
        o.iMerge = 1;
        break;
      case 'd':
        if (bHasValue)
          o.iDebugG2 = 1;
        else
          o.iDebugG = 1;
        break;
      case 'g':
        o.lCutStart = CutDate(value, kDefaultCutStart, "Check! Cut first date.(%ld)\n");
        break;
      case 'f':
        o.lCutEnd = CutDate(value, kDefaultCutEnd, "Check! Cut finish date.(%ld)\n");
        break;
      case 'x':
        if (!TakeFileName(iArg, ppArg, &i, value, "Please, input filename!\n", &szFilename)) return 0;
        break;
      case 'i':
        o.iInCSV = 1;
        if (!TakeFileName(iArg, ppArg, &i, value, "Please, input CSV filename!\n", &szFilenameIN)) return 0;
        break;
      case 'o':
        o.iOutAppt = 1;
        if (!TakeFileName(iArg, ppArg, &i, value, "Please, Output filename!\n", &files.szFilenameOUT)) return 0;
        break;
      case '?':
        usage();
        return 0;
      default:
        std::fprintf(stderr, "Bad option %s\n", arg);
        usage();
        return 0;
    }
  }
  return OpenFiles(o, szFilename, szFilenameIN) ? 1 : 0;
}
