// kalvert: the global state of the run, the single exit path, and main's run
// sequence: banner, options, signature and header checks, the two passes over
// the input, the optional CSV import, the text output, and the closing
// records and header rewrite of an output database.
#include "kalvert.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "helptext.h"

std::FILE* fp = nullptr;
std::FILE* fpin = nullptr;
std::FILE* fpout = nullptr;
int16_t iDebugG;
int16_t iDebugG2;
int16_t iCSV;
int16_t iTAB;
int16_t iHeader;
int16_t iFileType;
int16_t iAppt;
int16_t iEvent;
int16_t iToDo;
int16_t iNote;
int16_t iOutAppt;
int16_t iInCSV;
int16_t iMerge;
int16_t iAlarm;
int16_t iSilent;
int32_t lCutStart;
int32_t lCutEnd;
int16_t iAllRecNum;
int32_t lFirst;
int32_t lFileLast;
int32_t lLast;
int16_t iDataNum;
int16_t iNoteNum;
int16_t iFileDefNum;
int16_t iOffsetLength;
int16_t iUserType14;
std::vector<unsigned char> szUserType14_0;
std::deque<FieldDefineChain> fdcNodes;
std::string szFilenameOUT;
std::string szTempOUT;
bool bInterceptExit = false;

namespace {

constexpr char kBanner[] =
    "KALVERT for DOS/UNIX Version 0.86b  organiser database converter\n"
    "  appointment book and general database <-> CSV text\n"
    "\n";

void CloseStream(std::FILE*& f) {
  if (f) std::fclose(f);
  f = nullptr;
}

// Drops a partly written output database: the destination stays as it was.
void DiscardOutput() {
  CloseStream(fpout);
  if (!szTempOUT.empty()) std::remove(szTempOUT.c_str());
  szTempOUT.clear();
}

void CloseFiles() {
  CloseStream(fp);
  CloseStream(fpin);
  DiscardOutput();
}

// Flushes and closes the output database and moves it over the destination.
void CommitOutput() {
  if (!fpout) return;
  const bool flushed = std::fflush(fpout) == 0 && !std::ferror(fpout);
  const bool closed = std::fclose(fpout) == 0;
  fpout = nullptr;
  if (!flushed || !closed || std::rename(szTempOUT.c_str(), szFilenameOUT.c_str()) != 0) {
    Fatal("Failed write file.\n");
  }
  szTempOUT.clear();
}

void PrintHeaderDump(const DBHeader& dh) {
  CheckRecordType(static_cast<char>(dh.cType));
  CheckRecordStatus(static_cast<char>(dh.cStatus));
  std::printf("  Record Length : %d\n", dh.iLength);
  std::printf("  Record Number : %d\n", dh.iRecord);
  std::printf(" Release Number : %x\n", static_cast<unsigned>(static_cast<int>(dh.iReleaseNum)));
  std::printf("  Number Record : %d\n", dh.iNumRecords);
  std::printf("Current View Pt : %d\n", dh.iCurrViewPt);
  std::printf("   Look Up Seek : %ld\n", static_cast<long>(dh.iLookUpSeek));
  std::printf("      File Type : %c\n", dh.cFileType);
  CheckRecordStatus(static_cast<char>(dh.cFileStatus));
  std::printf("   View Pt Hash : %d\n", dh.iViewPtHash1);
  std::printf("   View Pt Hash : %d\n", dh.iViewPtHash2);
  std::printf("Last Time Stamp : %d/%02d/%02d/:%02d:%02d\n\n", dh.cYear + 1900, dh.cMonth + 1, dh.cDay + 1,
              dh.iMinute / 60, dh.iMinute % 60);
}

void PrintClosingDump(PFDC start_fdc, const SeekInfoLists& seekInfo) {
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const FieldDefine& fd = *fdc->pfd;
    std::printf("     Field Type : %d\n", fd.cFieldType);
    std::printf("       Field ID : %d\n", fd.cFieldID);
    std::printf("    Data Offset : %d\n", fd.iDataOffset);
    std::printf("          Flags : 0x%x\n", fd.cFlags);
    std::printf("       Reserved : %d\n", fd.cReserved1 + 256 * fd.cReserved2);
    std::printf("           Data : %s\n\n", fdc->szName.c_str());
  }
  std::printf("All data Number : %d\n\n", iDataNum);
  std::printf("iCounter = %d\n", static_cast<int>(seekInfo.nodes.size()));
  std::printf("iNoteNum = %d\n", iNoteNum);
}

void CheckSignatureAndHeader(unsigned char (&szSignature)[4], DBHeader* dh) {
  if (std::fread(szSignature, 1, 4, fp) != 4) Fatal("Failed read file.\n");
  if (std::memcmp(szSignature, kSignature, 4) != 0) Fatal("Not a valid database.\n");
  if (fread_DBHDR(dh, 1, kSizeDBHDR, fp) != kSizeDBHDR) Fatal("Failed read file.\n");
}

void MapFileType(uint8_t cFileType) {
  if (cFileType == '2') {
    iFileType = 2;
  } else if (cFileType == 'D' || cFileType == 'N') {
    iFileType = 1;
  } else {
    Fatal("Not support this file type.^^;\nPlease, Check your enter file name.\n");
  }
}

void WriteHeaderOut(const DBHeader& dh) {
  if (fwrite_DBHDR(&dh, kSizeDBHDR, 1, fpout) != 1) Fatal("Failed write file.\n");
}

// Everything after the options: the run over one opened input.
void Run() {
  unsigned char szSignature[4];
  DBHeader dh{};
  SeekInfoLists seekInfo;
  StartCSV start_scsv;
  PFDC start_fdc = nullptr;

  CheckSignatureAndHeader(szSignature, &dh);
  iAllRecNum = dh.iNumRecords;
  MapFileType(dh.cFileType);
  if (iOutAppt) WriteOut(szSignature, 4);
  if (iDebugG) std::printf("%s\n", reinterpret_cast<const char*>(szSignature));
  if (iOutAppt) {
    const RecordHeader rh{dh.cType, dh.cStatus, dh.iLength, dh.iRecord};
    AddSeekInfo(&seekInfo, &rh, OutPos());
    WriteHeaderOut(dh);
  }
  if (iDebugG) PrintHeaderDump(dh);

  lFirst = static_cast<int32_t>(std::ftell(fp));
  lFileLast = dh.iLookUpSeek;

  start_fdc = ReadField(start_fdc, &seekInfo);
  if (std::fseek(fp, lFirst, SEEK_SET) != 0) Fatal("Failed read file.\n");
  ReadData(start_fdc, &start_scsv, &seekInfo);
  if (iInCSV) ReadCSV(start_fdc, &start_scsv, &seekInfo);
  if (iFileType == 2) PrintHeader(start_fdc);
  if (iSilent % 2 == 0) OutputData(&start_scsv);

  if (iOutAppt) {
    if (iFileType == 2) WriteUserType14(&start_scsv, &seekInfo);
    const int iNum = WriteLookUpSeek(&seekInfo);
    dh.cStatus = STATUS_MODIFIED;
    dh.iLookUpSeek = lLast;
    dh.iNumRecords = static_cast<int16_t>(iNum);
    dh.cFileStatus = static_cast<uint8_t>(dh.cFileStatus | 2);
    if (std::fseek(fpout, 4, SEEK_SET) != 0) Fatal("Failed write file.\n");
    WriteHeaderOut(dh);
  }
  if (iDebugG) PrintClosingDump(start_fdc, seekInfo);

  // Text lost on a full disk or a closed pipe must not pass as success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) Fatal("Failed write standard output.\n");
  CloseStream(fp);
  CloseStream(fpin);
  CommitOutput();
}

}  // namespace

void ResetGlobals() {
  CloseFiles();
  iDebugG = 0;
  iDebugG2 = 0;
  iCSV = 2;
  iTAB = 0;
  iHeader = 0;
  iFileType = 2;
  iAppt = 1;
  iEvent = 0;
  iToDo = 0;
  iNote = 2;
  iOutAppt = 0;
  iInCSV = 0;
  iMerge = 0;
  iAlarm = 7;
  iSilent = 0;
  lCutStart = 19000101;
  lCutEnd = 22000101;
  iAllRecNum = 0;
  lFirst = 0;
  lFileLast = 0;
  lLast = 0;
  iDataNum = 0;
  iNoteNum = 0;
  iFileDefNum = 0;
  iOffsetLength = 0;
  iUserType14 = 0;
  szUserType14_0.clear();
  fdcNodes.clear();
  szFilenameOUT.clear();
  szTempOUT.clear();
  ResetNoteIndex();
}

void usage() { std::fwrite(kHelpText, 1, kHelpTextSize, stdout); }

[[noreturn]] void Exit(int status) {
  if (status != 0) DiscardOutput();
  std::fflush(stdout);
  if (bInterceptExit) throw KalvertExit{status};
  std::exit(status);
}

[[noreturn]] void Fatal(const char* fmt, ...) {
  std::fflush(stdout);
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(stderr, fmt, ap);
  va_end(ap);
  Exit(1);
}

void WriteOut(const void* data, std::size_t size) {
  if (size == 0) return;
  if (std::fwrite(data, 1, size, fpout) != size) Fatal("Failed write file.\n");
}

int32_t OutPos() {
  const long pos = std::ftell(fpout);
  if (pos < 0) Fatal("Failed write file.\n");
  // Offsets past the lookup table's reach are refused when a record is
  // registered; keep the value meaningful for that test.
  return pos > INT32_MAX ? INT32_MAX : static_cast<int32_t>(pos);
}

int KalvertMain(int argc, char** argv) {
  try {
    try {
      std::fputs(kBanner, stderr);
      ResetGlobals();
      if (argc <= 1) {
        usage();
        Exit(0);
      }
      if (!ReadOption(argc, argv)) Exit(1);
      Run();
      Exit(0);
    } catch (const std::bad_alloc&) {
      // Buffers are sized from the input; an input too large for memory is a
      // failure like any other, not a crash.
      Fatal("Not enough memory.\n");
    }
  } catch (const KalvertExit& e) {
    CloseFiles();
    return e.status;
  }
}
