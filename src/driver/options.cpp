// options: ReadOption turns the command line into the run's options and the
// names of its files; OpenFiles then opens the input database, the CSV file
// and the output database, in that order.
//
// The output database is not written in place: it goes to a new temporary
// file in the destination's folder, which replaces the destination only when
// the run succeeds (output_file).
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "driver.h"
#include "text_codec.h"

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

// A value of 0 also silences the data text; one out of range is 1.
void SetKind(Options& o, int16_t* iKind, int16_t v, int16_t iMax) {
  *iKind = v <= 0 || v > iMax ? 1 : v;
  if (v == 0) o.iSilent = 1;
}

// A kind option (-a, -e, -t): its mode from the value, 1 without one.
int16_t TakeKind(Options& o, int16_t* iKind, bool bHasValue, int16_t v, int16_t iMax) {
  if (bHasValue) {
    SetKind(o, iKind, v, iMax);
  } else {
    *iKind = 1;
  }
  return *iKind;
}

// Opens one input; on failure prints why.
std::FILE* OpenInput(const std::string& szName, const char* mode) {
  std::FILE* f = OpenNamed(szName, mode);
  if (!f) ReportCantOpen(szName, errno);
  return f;
}

// The English usage of the modern command line (--help).
constexpr char kLongUsage[] =
    "Usage: kalvert -x FILE [options]\n"
    "Convert an organiser's appointment book or general database to and from text.\n"
    "\n"
    "Formats:\n"
    "  --format=legacy     the byte-exact exchange text that existing files and\n"
    "                      scripts rely on (default; -? shows its help)\n"
    "  --format=csv        standard CSV with a header row, both ways (-i imports it)\n"
    "  --format=ics        iCalendar of the appointment book, both ways\n"
    "  --format=vcf        vCard of a general database such as a card file, both ways\n"
    "  --encoding=NAME     the organiser's text encoding (CP437, CP850, CP932,\n"
    "                      EUC-JP, ...): csv and ics texts are then UTF-8\n"
    "  --bom               begin the text with a UTF-8 byte order mark\n"
    "  --delimiter=C       csv columns separated by C: , ; or tab (an import finds\n"
    "                      it from the header; an export writes commas)\n"
    "  --date-order=ORDER  csv import: read dates such as 07/01/1996 as DMY or MDY\n"
    "  --timezone=ZONE     ics import: the organiser's time zone, as Europe/Berlin\n"
    "                      (default: the machine's, from TZ or the system)\n"
    "  --expand-until=DATE ics import: a repeat rule the organiser can't hold\n"
    "                      becomes one item per occurrence up to DATE (YYYY-MM-DD)\n"
    "  --vcard=VERSION     vcf: 3.0 (default, what every address book reads) or 4.0\n"
    "  --vcard-map=F=P,... vcf: field F written as property P (as Tel 2=TEL.CELL)\n"
    "\n"
    "Files:\n"
    "  -xFILE              the database to read (required)\n"
    "  -iFILE              a text file to import\n"
    "  -oFILE              the database to write: the input plus the import\n"
    "  -m                  with -o: only the definitions and the imported items\n"
    "\n"
    "Choice:\n"
    "  -a, -e, -t          appointments, events, ToDo items; with csv and ics they\n"
    "                      add up and none of them means all kinds\n"
    "  -gYYYYMMDD          first date written      -fYYYYMMDD  last date written\n"
    "  -s0                 no text output          -s1         no progress bars\n"
    "\n"
    "Legacy text only: -c0 -c1 -c2 -b -h -n0 -n1 -n2 -r0..7\n"
    "\n"
    "  --help              this text               --version   the version\n";

enum class LongResult : uint8_t { kTaken, kRefused, kDone };

bool IsLongOption(const char* arg) { return arg[0] == '-' && arg[1] == '-'; }

// The setting a --name=value option names by one of its words; a value that
// is none of them is refused with szRefusal.
template <typename T, std::size_t N>
LongResult Choose(const std::string& value, const std::pair<const char*, T> (&choices)[N], const char* szRefusal,
                  T* out) {
  for (const auto& [word, setting] : choices) {
    if (value == word) {
      *out = setting;
      return LongResult::kTaken;
    }
  }
  std::fputs(szRefusal, stderr);
  return LongResult::kRefused;
}

// --timezone=Area/City and --expand-until=YYYY-MM-DD.
LongResult IcsImportOption(Options& o, const std::string& name, const std::string& value) {
  if (name == "timezone") {
    if (value.empty()) {
      std::fputs("Option --timezone needs a zone name (as --timezone=Europe/Berlin).\n", stderr);
      return LongResult::kRefused;
    }
    o.szTimeZone = value;
    return LongResult::kTaken;
  }
  int y = 0, m = 0, d = 0;
  char extra = 0;
  if (value.size() != 10 || std::sscanf(value.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3 || y < 1900 ||
      y > 2155 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
    std::fputs("Option --expand-until needs a date from 1900-01-01 to 2155-12-31 (as --expand-until=2030-12-31).\n",
               stderr);
    return LongResult::kRefused;
  }
  o.lExpandUntil = y * 10000 + m * 100 + d;
  return LongResult::kTaken;
}

// --name or --name=value. A refusal has printed its message; kDone means the
// run ends here with status 0 (--help, --version).
LongResult LongOption(Options& o, const char* arg) {
  const std::string text(arg + 2);
  const std::size_t eq = text.find('=');
  const std::string name = text.substr(0, eq);
  const bool bHasValue = eq != std::string::npos;
  const std::string value = bHasValue ? text.substr(eq + 1) : std::string();
  const bool bFlag = name == "help" || name == "version" || name == "bom";
  if (bFlag && bHasValue) {
    std::fprintf(stderr, "Option --%s takes no value.\n", name.c_str());
    return LongResult::kRefused;
  }
  if (name == "help") {
    std::string szUsage(kLongUsage);
    if (!ICalendarImportBuilt()) {
      // A build without libical (every Windows build) exports iCalendar only.
      const std::string both = "iCalendar of the appointment book, both ways\n";
      szUsage.replace(szUsage.find(both), both.size(),
                      "iCalendar of the appointment book, export only:\n"
                      "                      this build has no libical for the import\n");
    }
    std::fputs(szUsage.c_str(), stdout);
    return LongResult::kDone;
  }
  if (name == "version") {
    std::printf("%s %s\n", kProgramName, kProgramVersion);
    return LongResult::kDone;
  }
  if (name == "bom") {
    o.bBom = true;
    return LongResult::kTaken;
  }
  if (name == "format") {
    static const std::pair<const char*, OutputFormat> kFormats[] = {{"legacy", OutputFormat::kLegacy},
                                                                    {"csv", OutputFormat::kCsv},
                                                                    {"ics", OutputFormat::kIcs},
                                                                    {"vcf", OutputFormat::kVcf}};
    return Choose(value, kFormats, "Option --format needs one of legacy, csv, ics, vcf (as --format=csv).\n",
                  &o.format);
  }
  if (name == "delimiter") {
    o.cDelimiter = value == "tab" ? '\t' : value.size() == 1 ? value[0] : '\0';
    if (o.cDelimiter != ',' && o.cDelimiter != ';' && o.cDelimiter != '\t') {
      std::fputs("Option --delimiter needs one of , ; tab (as --delimiter=;).\n", stderr);
      return LongResult::kRefused;
    }
    return LongResult::kTaken;
  }
  if (name == "date-order") {
    static const std::pair<const char*, DateOrder> kOrders[] = {
        {"YMD", DateOrder::kYearFirst}, {"DMY", DateOrder::kDayMonthYear}, {"MDY", DateOrder::kMonthDayYear}};
    return Choose(value, kOrders, "Option --date-order needs one of DMY, MDY, YMD (as --date-order=DMY).\n",
                  &o.dateOrder);
  }
  if (name == "timezone" || name == "expand-until") return IcsImportOption(o, name, value);
  if (name == "vcard") {
    static const std::pair<const char*, uint8_t> kVersions[] = {{"3.0", 3}, {"4.0", 4}};
    return Choose(value, kVersions, "Option --vcard needs 3.0 or 4.0 (as --vcard=4.0).\n", &o.cVCardVersion);
  }
  if (name == "vcard-map") {
    if (value.empty()) {
      std::fputs("Option --vcard-map needs FIELD=PROPERTY pairs (as --vcard-map=Tel 2=TEL.CELL).\n", stderr);
      return LongResult::kRefused;
    }
    o.szVCardMap = value;
    return LongResult::kTaken;
  }
  if (name == "encoding") {
    if (value.empty()) {
      std::fputs("Option --encoding needs an encoding name (as --encoding=CP437).\n", stderr);
      return LongResult::kRefused;
    }
    o.szEncoding = value;
    return LongResult::kTaken;
  }
  std::fprintf(stderr, "Bad option %s\n", arg);
  usage();
  return LongResult::kRefused;
}

// A card file has no kinds or dates to choose by, and vCard no byte order
// mark.
bool CheckVCardOptions(const Options& o, const std::string& szChoice) {
  if (!szChoice.empty()) {
    std::fprintf(stderr, "Option %s chooses items of an appointment book; it can't be used with --format=vcf.\n",
                 szChoice.c_str());
    return false;
  }
  if (o.bBom) {
    std::fputs("Option --bom can't be used with --format=vcf: a vCard file has no byte order mark.\n", stderr);
    return false;
  }
  return true;
}

// Options that only the legacy text knows, refused with a modern format, and
// the modern options refused with the legacy one. With a modern format the
// kind options add up, and none of them means every kind.
bool CheckFormatOptions(Options& o, const std::string& szLegacyOnly, bool bKindGiven, const std::string& szChoice) {
  if (o.format != OutputFormat::kCsv && (o.cDelimiter != 0 || o.dateOrder != DateOrder::kYearFirst)) {
    std::fprintf(stderr, "Option %s needs --format=csv.\n", o.cDelimiter != 0 ? "--delimiter" : "--date-order");
    return false;
  }
  if (o.format != OutputFormat::kVcf && (o.cVCardVersion != 3 || !o.szVCardMap.empty())) {
    std::fprintf(stderr, "Option %s needs --format=vcf.\n", o.szVCardMap.empty() ? "--vcard" : "--vcard-map");
    return false;
  }
  if (o.format == OutputFormat::kLegacy) {
    if (!o.szEncoding.empty() || o.bBom) {
      std::fprintf(stderr, "Option %s needs --format=csv, ics or vcf: the legacy text is kept byte for byte.\n",
                   o.bBom && o.szEncoding.empty() ? "--bom" : "--encoding");
      return false;
    }
    return true;
  }
  static const char* const kFormatNames[] = {"legacy", "csv", "ics", "vcf"};
  const char* szFormat = kFormatNames[static_cast<int>(o.format)];
  if (!szLegacyOnly.empty()) {
    std::fprintf(stderr, "Option %s shapes only the legacy text; it can't be used with --format=%s.\n",
                 szLegacyOnly.c_str(), szFormat);
    return false;
  }
  if ((!o.szTimeZone.empty() || o.lExpandUntil != 0) && (o.format != OutputFormat::kIcs || !o.iInCSV)) {
    std::fprintf(stderr, "Option %s needs -i with --format=ics.\n",
                 o.szTimeZone.empty() ? "--expand-until" : "--timezone");
    return false;
  }
  if (o.format == OutputFormat::kIcs && o.iInCSV && !ICalendarImportBuilt()) {
    std::fputs(
        "Option -i can't be used with --format=ics: this kalvert was built without libical, which the "
        "iCalendar import needs.\n",
        stderr);
    return false;
  }
  if (o.format == OutputFormat::kVcf && !CheckVCardOptions(o, szChoice)) return false;
  if (!bKindGiven) o.iWantAppt = o.iWantEvent = o.iWantToDo = 1;
  if (!o.szEncoding.empty()) TextCodec probe(o.szEncoding);  // an unknown name ends the run here
  return true;
}

}  // namespace

int ReadOption(int iArg, char** ppArg) {
  Options& o = MutableOptions();
  std::string szFilename;
  std::string szFilenameIN;
  std::string szLegacyOnly;  // the first option given that shapes only the legacy text
  std::string szChoice;      // the first option given that chooses items by kind or date
  bool bKindGiven = false;
  for (int i = 1; i < iArg; ++i) {
    const char* arg = ppArg[i];
    if (!IsOptionStart(arg)) break;
    if (IsLongOption(arg)) {
      const LongResult r = LongOption(o, arg);
      if (r == LongResult::kDone) Exit(0);
      if (r == LongResult::kRefused) return 0;
      continue;
    }
    const char cLetter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
    const char* value = arg[1] ? arg + 2 : arg + 1;
    const bool bHasValue = *value != '\0';
    const int16_t v = LeadingNumber(value);
    if (std::string("cbhnr").find(cLetter) != std::string::npos && cLetter && szLegacyOnly.empty()) {
      szLegacyOnly = arg;
    }
    if (std::string("aetgf").find(cLetter) != std::string::npos && cLetter && szChoice.empty()) szChoice = arg;
    switch (cLetter) {
      case 'a':
        o.iWantAppt = TakeKind(o, &o.iAppt, bHasValue, v, 3);
        bKindGiven = true;
        break;
      case 'e':
        o.iAppt = 0;
        o.iWantEvent = TakeKind(o, &o.iEvent, bHasValue, v, 3);
        bKindGiven = true;
        break;
      case 't': {
        o.iAppt = 0;
        const int16_t iToDo = TakeKind(o, &o.iToDo, bHasValue, v, 4);
        o.iWantToDo = iToDo == 4 ? 1 : iToDo;  // -t4 only shapes the legacy line
        bKindGiven = true;
        break;
      }
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
        if (o.iNote != 1 && o.iNote != 2) o.iNote = 0;
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
  if (!CheckFormatOptions(o, szLegacyOnly, bKindGiven, szChoice)) return 0;
  files.szFilename = szFilename;
  files.szFilenameIN = szFilenameIN;
  return 1;
}

bool OpenFiles() {
  // The destination is locked before the input is read: a run waiting for
  // another on the same file reads what that one wrote.
  if (opt.iOutAppt) PrepareOutput();
  files.fp = OpenInput(files.szFilename, "rb");
  if (!files.fp) return false;
  if (opt.iInCSV) {
    files.fpin = OpenInput(files.szFilenameIN, "rb");
    if (!files.fpin) return false;
    // Whatever the paths, the file being imported is never replaced.
    if (opt.iOutAppt && OutputIsFile(fileno(files.fpin))) {
      std::fprintf(stderr, "Can't replace %s: it is the file being imported.\n", files.szFilenameOUT.c_str());
      return false;
    }
  }
  return !opt.iOutAppt || OpenOutput();
}
