// rddb: turns one data record of a general database into one text line, a
// field per field definition. Note links are followed; with -o each note is
// written to the output as a new note record and the link renumbered.
#include <cstdio>

#include "kalvert.h"
#include "rdcommon.h"

namespace {

constexpr uint8_t kFlagIndirect = 0x20;
constexpr uint16_t kNoNote = 0xFFFF;

// Types that make a column of the line.

std::string TimeText(const RecordBody& body, long lPos) {
  const uint16_t v = BodyU16(body, lPos);
  if (v == 0x8000) return std::string();
  const int16_t iTime = static_cast<int16_t>(v);
  char sz[32];
  std::snprintf(sz, sizeof sz, "%02d:%02d", iTime / 60, iTime % 60);
  return sz;
}

std::string DateText(const RecordBody& body, long lPos) {
  CheckBody(body, lPos, 3);
  const unsigned char* p = body.bytes.data() + lPos;
  if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF) return std::string();
  char sz[32];
  std::snprintf(sz, sizeof sz, "%04d/%02d/%02d", p[0] + 1900, p[1] + 1, p[2] + 1);
  return sz;
}

// Prints the note, and with -o (without -m) writes it as a new note record
// just before the data record and points the link at it.
void NoteField(SeekInfoLists* pSeekInfo, RecordBody& body, long lPos, std::string& szOut, int nFlag) {
  const uint16_t iLink = BodyU16(body, lPos);
  if (iLink == kNoNote) {
    PrintString(std::string(), szOut, nFlag);
    return;
  }
  // The copy keeps the note as stored, whatever -n made of it for the text.
  const std::string szNote = ReadStoredNote(static_cast<int16_t>(iLink));
  PrintString(ShapeNote(szNote), szOut, nFlag);
  if (!opt.iOutAppt || opt.iMerge) return;
  // A note body is at most 32761 bytes, so its record length fits.
  RecordHeader rh{TYPE_NOTE, /*cStatus*/ 1, CutTo16(static_cast<long>(szNote.size()) + kSizeRHDR), state.iNoteNum};
  EncodeU16(body.bytes.data() + lPos, static_cast<uint16_t>(state.iNoteNum));
  reader::CopyRecordOut(pSeekInfo, rh, reinterpret_cast<const unsigned char*>(szNote.data()), szNote.size());
  state.iNoteNum = CutTo16(state.iNoteNum + 1L);
}

}  // namespace

void ReadDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, RecordBody& szBuffer, std::string& szOut) {
  int iField = 1;
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const FieldDefine& fd = *fdc->pfd;
    if (!FieldMakesColumn(fd.cFieldType)) continue;
    long lPos = fd.iDataOffset;
    if (fd.cFlags & kFlagIndirect) lPos = static_cast<int16_t>(BodyU16(szBuffer, lPos));
    const int nFlag = iField == state.iFileDefNum ? 0 : 1;
    switch (fd.cFieldType) {
      case 0:
      case 1:
        PrintString(BodyU16(szBuffer, lPos) != 0 ? "1" : "0", szOut, nFlag);
        break;
      case 7:
        PrintString(TimeText(szBuffer, lPos), szOut, nFlag);
        break;
      case 8:
        PrintString(DateText(szBuffer, lPos), szOut, nFlag);
        break;
      case 9:
        PrintString(BodyU8(szBuffer, lPos) == fd.cReserved1 ? "1" : "0", szOut, nFlag);
        break;
      case 10:
        NoteField(pSeekInfo, szBuffer, lPos, szOut, nFlag);
        break;
      default:  // 2 to 6, 13, 15: text
        PrintString(BodyText(szBuffer, lPos), szOut, nFlag);
        break;
    }
    ++iField;
  }
}
