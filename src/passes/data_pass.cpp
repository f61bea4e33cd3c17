// data_pass: ReadData reads every TYPE_DATA record up to the lookup table: in
// the appointment book each becomes a filed item; in a general database each
// becomes a printed line and, with -o, a copied record with a new number.

#include <cstdio>

#include "legacy_text.h"
#include "passes.h"

namespace {

constexpr long kKindByte = layout::nra::kFlags;  // the kind bits are the high bits of cFlags
constexpr long kRepeatTypeByte = layout::nra::kRepeatType;

bool Merging() { return opt.iMerge != 0 && opt.iOutAppt != 0; }

void ReadAppointmentRecord(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo, const RecordBody& body) {
  CheckBody(body, 0, kSizeNRA);
  const uint8_t cKind = BodyU8(body, kKindByte);
  // Such a record has no texts this program could write back.
  if (cKind < KIND_TODO && opt.iOutAppt && !opt.iMerge) {
    Fatal("TYPE_DATA record %d has no known kind; can't write it.\n", body.iRecord);
  }
  const int8_t cRepeatType = static_cast<int8_t>(BodyU8(body, kRepeatTypeByte));
  std::unique_ptr<BookItem> item = MakeCSVD(cRepeatType != kRepeatNone);
  item->bFromInput = true;
  item->iInputRecord = body.iRecord;
  if (cKind >= KIND_EVENT) {
    ReadAppt(start_fdc, item.get(), body, cKind);
  } else if (cKind >= KIND_TODO) {
    ReadTodo(start_fdc, item.get(), body, cKind);
  }
  if (!Merging()) FileItem(start_scsv, std::move(item), pSeekInfo);
}

void DumpBody(const RecordBody& body) {
  const int32_t iSize = body.Length();
  std::printf("iSize=%d\n", iSize);
  for (int32_t i = 0; i <= 28 && i < iSize; i += 2) {
    std::printf("(%d)%d\n", i, DecodeU16(body.bytes.data() + i));
  }
  for (int32_t i = 30; i < iSize; ++i) std::printf("(%d)%c\n", i, body.bytes[static_cast<std::size_t>(i)]);
}

void ReadGeneralRecord(PFDC start_fdc, SeekInfoLists* pSeekInfo, RecordHeader rh, RecordBody& body) {
  std::string line;
  ReadDB(start_fdc, pSeekInfo, body, line);
  // The modern formats write the records after the passes (WriteStdCsv).
  if (opt.format == OutputFormat::kLegacy && opt.iSilent % 2 != 1 && !Merging())
    std::fwrite(line.data(), 1, line.size(), stdout);
  if (opt.iDebugG2) DumpBody(body);
  if (opt.iOutAppt && !opt.iMerge) {
    rh.iRecord = TakeDataNumber();
    CopyRecordOut(pSeekInfo, rh, body.bytes.data(), static_cast<std::size_t>(body.Length()));
  }
}

}  // namespace

void ReadData(PFDC start_fdc, PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  const bool bBar = opt.iSilent <= 1 && state.iFileType == 2;
  int16_t iPerMark = 0;
  if (bBar) std::fputs(" Pass-2  |", stderr);

  RecordBody body;  // kept from record to record, so its buffer is allocated once
  RecordHeader rh{};
  while (NextDataRecord(&rh, &body, [&] {
    if (bBar) ProgressStep(&iPerMark);
  })) {
    if (state.iFileType == 2) {
      ReadAppointmentRecord(start_fdc, start_scsv, pSeekInfo, body);
    } else {
      ReadGeneralRecord(start_fdc, pSeekInfo, rh, body);
    }
  }

  if (bBar) std::fputs("|\n\n", stderr);
}
