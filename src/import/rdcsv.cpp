// rdcsv: ReadCSV, the import's line loop. Each line of the CSV file becomes
// an item of the appointment book, or a new record of a general database.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "kalvert.h"

namespace {

// Reads one line whole, its line feed included. False at end of file when
// nothing was read; a read error ends the run.
bool ReadLine(std::FILE* f, std::string* line) {
  line->clear();
  int c;
  while ((c = std::getc(f)) != EOF) {
    line->push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (c == EOF && std::ferror(f)) {
    const int err = errno;
    Fatal("Failed read file.\n  %s: %s\n", files.szFilenameIN.c_str(), std::strerror(err));
  }
  if (line->empty()) return false;
  // A NUL byte ends the line.
  const std::size_t nul = line->find('\0');
  if (nul != std::string::npos) line->resize(nul);
  return true;
}

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
  std::string line;
  long lLine = 0;
  long lUndated = 0;
  while (ReadLine(files.fpin, &line)) {
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
