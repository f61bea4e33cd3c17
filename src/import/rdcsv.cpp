// rdcsv: ReadCSV, the import's line loop. Each line of the CSV file becomes
// an item of the appointment book, or a new record of a general database.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kalvert.h"

namespace {

// The line buffer of POSIX getline, released with the reader.
struct LineReader {
  char* buf = nullptr;
  std::size_t cap = 0;
  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader() { std::free(buf); }

  // Reads one line whole, its line feed included. False at end of file when
  // nothing was read; a read error ends the run.
  bool Read(std::FILE* f, std::string* line) {
    errno = 0;
    const ssize_t n = ::getline(&buf, &cap, f);
    if (std::ferror(f) || (n < 0 && errno == ENOMEM)) {
      const int err = errno;
      Fatal("Failed read file.\n  %s: %s\n", files.szFilenameIN.c_str(), std::strerror(err));
    }
    if (n < 0) return false;
    // A NUL byte ends the line.
    const void* nul = std::memchr(buf, '\0', static_cast<std::size_t>(n));
    line->assign(buf, nul ? static_cast<const char*>(nul) - buf : n);
    return true;
  }
};

// A date byte of 0xFF: no export shows the item.
bool HasNoDate(const NonRepeaAppt& nra) { return nra.cYear == 0xFF || nra.cMonth == 0xFF || nra.cDay == 0xFF; }

// One line of an appointment book: its kind comes from the options, ToDo over
// event over appointment. Returns false when no date could be read.
bool ImportItem(PSCSV start_scsv, SeekInfoLists* pSeekInfo, const std::string& line) {
  std::unique_ptr<CSVData> item = MakeCSVD(1);
  int16_t nKind = 0;
  if (opt.iAppt != 0) {
    nKind = CutTo16(static_cast<long>(opt.iAlarm) + 128);
    item->cKind = KIND_APPT;
  }
  if (opt.iEvent != 0) {
    nKind = 0x26;
    item->cKind = KIND_EVENT;
  }
  if (opt.iToDo != 0) {
    nKind = 0x14;
    item->cKind = KIND_TODO;
  }
  if (opt.iToDo != 0) {
    CSVToNRAToDo(item.get(), line, nKind);
  } else {
    CSVToNRAAppt(item.get(), line, nKind);
  }
  const bool bDated = !HasNoDate(*item->pnra);
  AddUserType14(start_scsv, std::move(item), pSeekInfo);
  return bDated;
}

}  // namespace

void ReadCSV(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  LineReader reader;
  std::string line;
  long lLine = 0;
  long lUndated = 0;
  while (reader.Read(files.fpin, &line)) {
    ++lLine;
    if (state.iFileType == 2) {
      if (ImportItem(start_scsv, pSeekInfo, line)) continue;
      std::fprintf(
          stderr, "Warning: no date can be read from line %ld of the CSV file; no export will show its item.\n", lLine);
      ++lUndated;
    } else if (state.iFileType == 1) {
      WriteDB(start_fdc, pSeekInfo, line);
    }
  }
  if (lUndated > 0) std::fprintf(stderr, "Warning: %ld item(s) stored without a date.\n", lUndated);
}
