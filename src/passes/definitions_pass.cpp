// definitions_pass: ReadField reads the records up to the lookup table, builds
// the field definition list, counts the fields and the fixed slot area of a
// general-database record, keeps the type-14 record 0 of the appointment book,
// and copies the definition records to the output database.

#include <cstdio>
#include <vector>

#include "legacy_text.h"
#include "passes.h"

namespace {

struct FieldCount {
  bool bGroup = false;  // a radio-button group has just begun
};

// Adds one field definition to iFileDefNum and iOffsetLength: a date has a
// 3-byte slot, a radio-button group one 2-byte slot (counted at its first
// button), every other field with a column a 2-byte slot.
void CountField(uint8_t cFieldType, FieldCount* pCount) {
  if (cFieldType == kFieldGroupStart) {
    pCount->bGroup = true;
    return;
  }
  if (!FieldMakesColumn(cFieldType)) return;
  const int iBytes = cFieldType == kFieldDate ? 3 : cFieldType == kFieldRadio ? (pCount->bGroup ? 2 : 0) : 2;
  pCount->bGroup = false;
  state.iFileDefNum = CutTo16(state.iFileDefNum + 1L);
  state.iOffsetLength = CutTo16(state.iOffsetLength + static_cast<long>(iBytes));
}

void ReadBodyOrFail(std::vector<unsigned char>* pBody, const RecordHeader& rh, const char* msg) {
  if (!ReadBytes(pBody, BodySize(rh))) Fatal("%s", msg);
}

// A TYPE_FIELDDEF record: the field definition and its name.
PFDC ReadFieldDef(const RecordHeader& rh, SeekInfoLists* pSeekInfo, FieldCount* pCount) {
  auto pfd = std::make_unique<FieldDefine>();
  if (BodySize(rh) < kSizeFDEF || fread_FDEF(pfd.get(), 1, kSizeFDEF, files.in) != kSizeFDEF) {
    Fatal("2. Failed read TYPE_DEFFIELD in file.\n");
  }
  std::vector<unsigned char> name;
  if (!ReadBytes(&name, BodySize(rh) - kSizeFDEF)) Fatal("3. Failed read TYPE_DEFFIELD in file.\n");
  CountField(pfd->cFieldType, pCount);

  if (opt.iOutAppt) {
    unsigned char def[kSizeFDEF];
    EncodeFDEF(*pfd, def);
    WriteRecordHeader(pSeekInfo, rh);
    WriteOut(def, sizeof def);
    WriteOut(name.data(), name.size());
  }

  state.fdcNodes.emplace_back();
  FieldDefineChain& node = state.fdcNodes.back();
  node.szName.assign(name.begin(), name.end());
  node.pfd = std::move(pfd);
  return &node;
}

void DumpUserBody(const std::vector<unsigned char>& body) {
  for (std::size_t i = 0; i < body.size(); ++i) {
    const unsigned char c = body[i];
    std::printf("TYPE_USER(%d):%d, %c, %x\n", static_cast<int>(i), c, c,
                static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(c))));
  }
  std::printf("\n");
}

void DumpViewPointTable(const RecordHeader& rh, const std::vector<unsigned char>& body) {
  const long n = BodySize(rh) / 2;
  for (long i = 0; i < n; ++i) {
    const int lo = static_cast<int8_t>(body[static_cast<std::size_t>(2 * i)]);
    const int hi = static_cast<int8_t>(body[static_cast<std::size_t>(2 * i + 1)]);
    const int both = hi * 256 + lo;
    std::printf("rh.iLength=%d : i=%d\n", rh.iLength, static_cast<int>(i));
    std::printf("VIEW : %c, %c\n", lo, hi);
    std::printf("VIEW : %d, %d\n", lo, hi);
    std::printf("VIEW : %x, %x\n", static_cast<unsigned>(lo), static_cast<unsigned>(hi));
    std::printf("VIEW : %d\n", both);
    std::printf("VIEW : %d, %d, %d\n", both, lo, hi);
  }
}

// Reads n bytes of the table for the dump; a short read is reported and ends
// that part of the dump (the pass itself goes on).
bool ReadForDump(unsigned char* p, std::size_t n) {
  if (files.in.Read(p, n) == n) return true;
  std::fflush(stdout);
  std::fputs("TEST!! Failed read TYPE_DEFFIELD in file.\n", stderr);
  return false;
}

void DumpLookUpTable() {
  for (int i = 0; i < state.iAllRecNum; ++i) {
    unsigned char e[8];
    if (!ReadForDump(e, sizeof e)) break;
    std::printf("%d:Index 1 = %d index[0]=%x, index[1]=%x)\n", i, e[0] + 256 * e[1], e[0], e[1]);
    std::printf("Index 2 = %d index[2]=%x, index[3]=%x\n", e[2] + 256 * e[3], e[2], e[3]);
    std::printf("Index 3 = %x\n", e[4]);
    std::printf("Index 4 = %ld\n\n", e[5] + 256L * e[6] + 65536L * e[7]);
  }
  std::printf("Index Current = %ld\n\n", files.in.Tell());
  for (int i = 0; i < kSeekInfoTypes; ++i) {
    unsigned char w[2];
    if (!ReadForDump(w, sizeof w)) break;
    std::printf("%d:iWork = %d\n\n", i, DecodeI16(w));
  }
  std::printf(" Index Current = %ld\n\n", files.in.Tell());
}

// A file cut short loses its last records without a failed read: say so, and
// how many records were read (the run goes on: a cut file is worth saving).
void WarnIfCut(int iRecords, bool bTable) {
  if (bTable && state.lFileLast < static_cast<long>(files.in.bytes.size())) return;
  std::fprintf(stderr, "%s ends early; %d records read.\n", files.szFilename.c_str(), iRecords);
}

void PrintRecordDebug(const RecordHeader& rh) {
  CheckRecordType(static_cast<char>(rh.cType));
  CheckRecordStatus(static_cast<char>(rh.cStatus));
  std::printf("  Record Length : %d\n", rh.iLength);
  std::printf("  Record Number : %d\n\n", rh.iRecord);
  std::printf("  Index Current : %ld\n\n", files.in.Tell());
}

// The progress bar of the definitions pass: its scale and head, then one
// mark per 2 percent read, closed when the pass ends.
void StartBar() {
  std::fprintf(stderr, "       0%%|----+----+----+----+----|----+----+----+----+----|100%%\n");
  std::fputs(" Pass-1  |", stderr);
}

void EndBar(int16_t iPerMark) {
  if (iPerMark <= 97) std::fputc('o', stderr);
  std::fputs("|\n", stderr);
}

// Which records an output database receives from this pass: categories and
// type-15 records always, every other record but the field definitions (they
// are written as they are read), the type-14 chain records, the view point
// table, data and notes, unless it is marked as garbage (status bit 0).
bool CopiedAsRead(const RecordHeader& rh) {
  if (rh.cType == TYPE_CATEGORY || rh.cType == TYPE_USER15) return true;
  return rh.cType != TYPE_USER14 && (rh.cStatus & STATUS_GARBAGE) == 0;
}

// The type-14 record 0 is kept (with a NUL after it) for the chain records an
// output database gets; the records themselves are written anew.
void KeepUserType14(const RecordHeader& rh, const std::vector<unsigned char>& body) {
  if (rh.iRecord != 0) return;
  state.szUserType14_0 = body;
  state.szUserType14_0.push_back(0);
}

void AppendField(PFDC node, PFDC* start_fdc, PFDC* tail) {
  if (*tail) {
    (*tail)->pnext_fdc = node;
  } else {
    *start_fdc = node;
  }
  *tail = node;
}

// A record other than the lookup table, data and notes, and field
// definitions: read whole, dumped with -d, kept or copied.
void ReadOtherRecord(const RecordHeader& rh, SeekInfoLists* pSeekInfo, std::vector<unsigned char>* pBody) {
  if (rh.cType == TYPE_VIEWPTTABLE) {
    if (!opt.iDebugG2) {
      SkipBody(rh);
      return;
    }
    ReadBodyOrFail(pBody, rh, "3. Failed read TYPE_DEFFIELD in file.\n");
    DumpViewPointTable(rh, *pBody);
    return;
  }
  ReadBodyOrFail(pBody, rh, "4. Failed read TYPE_DEFFIELD in file.\n");
  if (opt.iDebugG && (rh.cType == TYPE_USER14 || rh.cType == TYPE_USER15)) DumpUserBody(*pBody);
  if (rh.cType == TYPE_USER14) KeepUserType14(rh, *pBody);
  if (opt.iOutAppt && CopiedAsRead(rh)) CopyRecordOut(pSeekInfo, rh, pBody->data(), pBody->size());
}

}  // namespace

PFDC ReadField(PFDC start_fdc, SeekInfoLists* pSeekInfo) {
  const bool bBar = opt.iSilent <= 1;
  int16_t iPerMark = 0;
  if (bBar) StartBar();
  PFDC tail = start_fdc;
  while (tail && tail->pnext_fdc) tail = tail->pnext_fdc;
  FieldCount count;
  std::vector<unsigned char> body;
  int iRecords = 0;
  bool bTable = false;

  for (;;) {
    if (bBar) ProgressStep(&iPerMark);
    RecordHeader rh{};
    if (!ReadRecordHeader(&rh, files.in)) break;
    if (opt.iDebugG) PrintRecordDebug(rh);
    if (rh.cType == TYPE_LOOKUPTABLE) {
      bTable = true;
      if (opt.iDebugG) DumpLookUpTable();
      break;
    }
    ++iRecords;
    if (rh.cType == TYPE_DATA || rh.cType == TYPE_NOTE) {
      SkipBody(rh);
    } else if (rh.cType == TYPE_FIELDDEF) {
      AppendField(ReadFieldDef(rh, pSeekInfo, &count), &start_fdc, &tail);
    } else {
      ReadOtherRecord(rh, pSeekInfo, &body);
    }
  }

  if (bBar) EndBar(iPerMark);
  WarnIfCut(iRecords, bTable);
  if (state.iFileType == 1) {
    std::fputs("\n", stderr);
    PrintHeader(start_fdc);
  }
  return start_fdc;
}
