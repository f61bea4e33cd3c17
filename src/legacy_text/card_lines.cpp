// card_lines: a general database's records as lines and back. ReadDB turns a
// data record into one line, a field per field definition; note links are
// followed, and with -o each note is written as a new note record and the link
// renumbered. WriteDB echoes an imported line and, with an output file, writes
// it as a data record (fixed slot area, a NUL, the text area) followed by the
// note record of each non-empty note column.

#include <algorithm>
#include <cstdio>

#include "database_file.h"
#include "legacy_text.h"

namespace {

std::string TimeText(const RecordBody& body, long lPos) {
  const uint16_t v = BodyU16(body, lPos);
  if (v == kNoTime) return std::string();
  return ClockText(static_cast<int16_t>(v));
}

// Only three 0xFF bytes are no date here: a date field has always shown any
// other bytes as numbers.
std::string DateText(const RecordBody& body, long lPos) {
  CheckBody(body, lPos, 3);
  const unsigned char* p = body.bytes.data() + lPos;
  if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF) return std::string();
  return DateBytesText(p[0], p[1], p[2], '/');
}

// Prints the note, and with -o (without -m) writes it as a new note record
// just before the data record and points the link at it.
void NoteField(SeekInfoLists* pSeekInfo, RecordBody& body, long lPos, std::string& szOut, FieldEnd nFlag) {
  const uint16_t iLink = BodyU16(body, lPos);
  if (iLink == kNoNote) {
    PrintString(std::string(), szOut, nFlag);
    return;
  }
  // The copy keeps the note as stored, whatever -n made of it for the text.
  const std::string szNote = ReadStoredNote(static_cast<int16_t>(iLink));
  PrintString(ShapeNote(szNote), szOut, nFlag);
  if (!opt.iOutAppt || opt.iMerge) return;
  const int16_t iNote = TakeNoteNumber();
  EncodeU16(body.bytes.data() + lPos, static_cast<uint16_t>(iNote));
  WriteNoteRecord(pSeekInfo, kCardRecordStatus, iNote, szNote);
}

}  // namespace

void ReadDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, RecordBody& body, std::string& szOut) {
  int iField = 1;
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const FieldDefine& fd = *fdc->pfd;
    if (!FieldMakesColumn(fd.cFieldType)) continue;
    long lPos = fd.iDataOffset;
    if (fd.cFlags & kFlagIndirect) lPos = static_cast<int16_t>(BodyU16(body, lPos));
    const FieldEnd nFlag = iField == state.iFileDefNum ? FieldEnd::kLineEnd : FieldEnd::kSeparator;
    switch (fd.cFieldType) {
      case 0:
      case 1:
        PrintString(BodyU16(body, lPos) != 0 ? "1" : "0", szOut, nFlag);
        break;
      case kFieldTime:
        PrintString(TimeText(body, lPos), szOut, nFlag);
        break;
      case kFieldDate:
        PrintString(DateText(body, lPos), szOut, nFlag);
        break;
      case kFieldRadio:
        PrintString(BodyU8(body, lPos) == fd.cReserved1 ? "1" : "0", szOut, nFlag);
        break;
      case kFieldNote:
        NoteField(pSeekInfo, body, lPos, szOut, nFlag);
        break;
      default:  // 2 to 6, 13, 15: text
        PrintString(BodyText(body, lPos), szOut, nFlag);
    }
    ++iField;
  }
}

namespace {

// The record being built from one line.
struct DBLine {
  std::vector<unsigned char> slots;  // fixed area, from offset 0, in definition order
  std::string texts;                 // text area: each non-empty text and its NUL
  std::vector<long> noteSlots;       // slot of each non-empty note link, in definition order
  std::vector<std::string> notes;    // and its column
  int16_t iRadio = 1;                // value of the current radio-button group
  bool groupFlag = false;

  void PutU16(long v) {
    unsigned char b[2];
    EncodeI16(b, CutTo16(v));
    slots.insert(slots.end(), b, b + 2);
  }
};

void PutTime(DBLine* rec, const std::string& text) {
  rec->PutU16(csvvalue::IsNoTime(text) ? kNoTime : csvvalue::ParseMinutes(text));
}

void PutDate(DBLine* rec, const std::string& text) {
  const Date3 d = csvvalue::ParseDate(text);
  rec->slots.push_back(d.y);
  rec->slots.push_back(d.m);
  rec->slots.push_back(d.d);
}

// A radio button writes the group's slot only as its last button; outside
// a group it writes nothing.
void PutRadio(DBLine* rec, const FieldDefineChain& fdc, const std::string& text) {
  if (!rec->groupFlag) return;
  if (LeadingNumber(text) != 0) rec->iRadio = fdc.pfd->cReserved1;
  const bool last = !fdc.pnext_fdc || fdc.pnext_fdc->pfd->cFieldType != kFieldRadio;
  if (last) rec->PutU16(rec->iRadio);
}

// Each non-empty note link gets a note of its own; its number is set when
// the notes are written.
void PutNoteLink(DBLine* rec, const std::string& text) {
  if (!text.empty()) {
    rec->noteSlots.push_back(static_cast<long>(rec->slots.size()));
    rec->notes.push_back(text);
  }
  rec->PutU16(0xFFFF);
}

void PutText(DBLine* rec, long column, const std::string& text) {
  if (opt.iDebugG) std::printf("pszData(%ld)=%s\n", column - 1, text.c_str());
  if (text.empty()) {
    rec->PutU16(state.iOffsetLength);
    return;
  }
  rec->PutU16(state.iOffsetLength + 1L + static_cast<long>(rec->texts.size()));
  rec->texts += text;
  rec->texts += '\0';
}

void PutField(DBLine* rec, const FieldDefineChain& fdc, long column, const std::string& text) {
  switch (fdc.pfd->cFieldType) {
    case 0:
    case 1:
      rec->PutU16(LeadingNumber(text));
      break;
    case kFieldTime:
      PutTime(rec, text);
      break;
    case kFieldDate:
      PutDate(rec, text);
      break;
    case kFieldRadio:
      PutRadio(rec, fdc, text);
      break;
    case kFieldNote:
      PutNoteLink(rec, text);
      break;
    default:
      PutText(rec, column, text);
  }
}

void BuildRecord(PFDC start_fdc, const std::string& szLine, DBLine* rec) {
  const char cST = opt.iCSV == 1 ? '0' : '"';
  const std::vector<std::string> fields = SplitCSV(szLine, cST);
  long column = 1;
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const uint8_t type = fdc->pfd->cFieldType;
    if (type == kFieldGroupStart) rec->groupFlag = true;
    if (EndsRadioGroup(type)) rec->groupFlag = false;
    if (!FieldMakesColumn(type)) continue;  // no slot, no column
    if (type != kFieldRadio) rec->groupFlag = false;
    PutField(rec, *fdc, column, csvitem::Field(fields, CutTo16(column)));
    ++column;
  }
}

void WriteRecord(SeekInfoLists* pSeekInfo, DBLine* rec) {
  // The fixed area is as long as the definitions say: slots beyond it have
  // no place in the record, and a slot left unwritten stays 0.
  const std::size_t fixed = state.iOffsetLength > 0 ? static_cast<std::size_t>(state.iOffsetLength) : 0;
  rec->slots.resize(std::max(fixed, rec->slots.size()), 0);
  const long lLength = static_cast<long>(fixed) + static_cast<long>(rec->texts.size()) + 7;
  recwrite::CheckLength(lLength);
  // Each link points at the note written for it, numbered in link order.
  std::vector<std::string> notes;
  for (std::size_t i = 0; i < rec->notes.size(); ++i) {
    const auto slot = static_cast<std::size_t>(rec->noteSlots[i]);
    EncodeU16(&rec->slots[slot], static_cast<uint16_t>(CutTo16(state.iNoteNum + static_cast<long>(i))));
    notes.push_back(ChangeString(rec->notes[i]));
    recwrite::CheckLength(static_cast<long>(notes.back().size()) + kSizeRHDR);
  }

  recwrite::PutHeader(pSeekInfo, TYPE_DATA, kCardRecordStatus, lLength, TakeDataNumber());
  WriteOut(rec->slots.data(), fixed);
  WriteOut("", 1);
  recwrite::PutText(rec->texts);
  for (const std::string& note : notes) WriteNoteRecord(pSeekInfo, kCardRecordStatus, TakeNoteNumber(), note);
}

}  // namespace

void WriteDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, const std::string& szLine) {
  const std::string line(szLine.c_str());  // the line ends at its first NUL
  if (opt.iSilent % 2 == 0) std::fwrite(line.data(), 1, line.size(), stdout);
  DBLine rec;
  BuildRecord(start_fdc, line, &rec);
  if (opt.iOutAppt) WriteRecord(pSeekInfo, &rec);
}
