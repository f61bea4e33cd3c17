// run: the run sequence: banner, options, the files, signature and header
// checks, the two passes over the input, the optional import, the text
// output, and the closing records and header rewrite of an output database.
#include <cstdio>
#include <cstring>
#include <new>

#include "driver.h"
#include "help_text.h"
#include "text_codec.h"

namespace {

constexpr char kHelpCharset[] = "EUC-JP";

// --help and --version print their own text alone: the banner comes before
// every other run. (-x, -i and -o never take a name that starts with '-'.)
bool AsksHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "--version") == 0) return true;
  }
  return false;
}

constexpr char kBanner[] =
    "KALVERT for DOS/UNIX Version 0.86b  organiser database converter\n"
    "  appointment book and general database <-> CSV text\n"
    "\n";

void CloseStream(std::FILE*& f) {
  if (f) std::fclose(f);
  f = nullptr;
}

void CloseFiles() {
  CloseStream(files.fp);
  CloseStream(files.fpin);
  DiscardOutput();
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
  std::printf("All data Number : %d\n\n", state.iDataNum);
  std::printf("iCounter = %d\n", static_cast<int>(seekInfo.nodes.size()));
  std::printf("iNoteNum = %d\n", state.iNoteNum);
}

void CheckSignatureAndHeader(unsigned char (&szSignature)[4], DBHeader* dh) {
  if (files.in.Read(szSignature, 4) != 4) Fatal("Failed read file.\n");
  if (std::memcmp(szSignature, kSignature, 4) != 0) Fatal("Not a valid database.\n");
  if (fread_DBHDR(dh, 1, kSizeDBHDR, files.in) != kSizeDBHDR) Fatal("Failed read file.\n");
}

void MapFileType(uint8_t cFileType) {
  if (cFileType == '2') {
    state.iFileType = 2;
  } else if (cFileType == 'D' || cFileType == 'N') {
    state.iFileType = 1;
  } else {
    Fatal("Not support this file type.^^;\nPlease, Check your enter file name.\n");
  }
}

void WriteHeaderOut(const DBHeader& dh) { fwrite_DBHDR(&dh, kSizeDBHDR, 1); }

// The import of -i and the text output, in the format asked for.
void ImportAndExport(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  if (opt.format == OutputFormat::kLegacy) {
    if (opt.iInCSV) ReadCSV(start_fdc, start_scsv, pSeekInfo);
    if (state.iFileType == 2) PrintHeader(start_fdc);
    if (opt.iSilent % 2 == 0) OutputData(start_scsv);
    return;
  }
  if (opt.iInCSV && opt.format == OutputFormat::kIcs) ReadICalendar(start_scsv, pSeekInfo);
  if (opt.iInCSV && opt.format == OutputFormat::kCsv) ReadStdCsv(start_fdc, start_scsv, pSeekInfo);
  if (opt.iInCSV && opt.format == OutputFormat::kVcf) ReadVCards(start_fdc, pSeekInfo);
  if (opt.iSilent % 2 != 0) return;
  if (opt.format == OutputFormat::kCsv) {
    WriteStdCsv(start_fdc, start_scsv);
  } else if (opt.format == OutputFormat::kVcf) {
    WriteVCards(start_fdc);
  } else {
    WriteICalendar(start_scsv);
  }
}

// Everything after the options: the run over one opened input.
void Run() {
  unsigned char szSignature[4];
  DBHeader dh{};
  SeekInfoLists seekInfo;
  StartCSV start_scsv;
  PFDC start_fdc = nullptr;

  LoadInputImage(files.fp, &files.in);
  CloseStream(files.fp);
  CheckSignatureAndHeader(szSignature, &dh);
  state.iAllRecNum = dh.iNumRecords;
  MapFileType(dh.cFileType);
  if (opt.format == OutputFormat::kIcs) CheckICalendarRun();
  if (opt.format == OutputFormat::kVcf) CheckVCardRun();
  if (opt.iOutAppt) WriteOut(szSignature, 4);
  if (opt.iDebugG) std::printf("%s\n", reinterpret_cast<const char*>(szSignature));
  if (opt.iOutAppt) {
    const RecordHeader rh{dh.cType, dh.cStatus, dh.iLength, dh.iRecord};
    AddSeekInfo(&seekInfo, &rh, OutPos());
    WriteHeaderOut(dh);
  }
  if (opt.iDebugG) PrintHeaderDump(dh);

  state.lFirst = static_cast<int32_t>(files.in.Tell());
  state.lFileLast = dh.iLookUpSeek;

  start_fdc = ReadField(start_fdc, &seekInfo);
  files.in.Seek(state.lFirst);
  ReadData(start_fdc, &start_scsv, &seekInfo);
  ImportAndExport(start_fdc, &start_scsv, &seekInfo);

  if (opt.iOutAppt) {
    if (state.iFileType == 2) WriteUserType14(&start_scsv, &seekInfo);
    const int iNum = WriteLookUpSeek(&seekInfo);
    dh.cStatus = STATUS_MODIFIED;
    dh.iLookUpSeek = state.lLast;
    dh.iNumRecords = static_cast<int16_t>(iNum);
    dh.cFileStatus = static_cast<uint8_t>(dh.cFileStatus | 2);
    SeekOutput(4);
    WriteHeaderOut(dh);
  }
  if (opt.iDebugG) PrintClosingDump(start_fdc, seekInfo);

  // Text lost on a full disk or a closed pipe must not pass as success.
  if (StdoutLost()) Fatal("%s", kStdoutLost);
  CommitOutput();
}

}  // namespace

void ResetGlobals() {
  CloseFiles();
  MutableOptions() = Options{};
  files = RunFiles{};
  state = PassState{};
}

// The help is EUC-JP bytes, as it always was in pipes and files. A terminal
// that reads another character set gets it converted (its bytes as they are
// when it can't hold them) and a pointer to the English help.
void usage() {
  const std::string help(kHelpText, kHelpTextSize);
  std::string charset;
  if (!TerminalCharset(&charset)) {
    std::fwrite(help.data(), 1, help.size(), stdout);
    return;
  }
  std::string shown;
  if (charset == kHelpCharset || !ConvertCharset(kHelpCharset, charset, help, &shown)) shown = help;
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  std::fputs("For help in English: kalvert --help\n", stdout);
}

int KalvertMain(int argc, char** argv) {
  try {
    try {
      if (!AsksHelpOrVersion(argc, argv)) std::fputs(kBanner, stderr);
      ResetGlobals();
      if (argc <= 1) {
        usage();
        Exit(0);
      }
      if (!ReadOption(argc, argv)) Exit(1);
      SetTextOutputMode(opt.format != OutputFormat::kLegacy);
      if (!OpenFiles()) Exit(1);
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
