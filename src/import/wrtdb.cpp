// wrtdb: WriteDB, one CSV line of a general database echoed and, with an
// output file, written as a data record (fixed slot area, a NUL, the text
// area) followed by its note record when the line gives a note.
#include <algorithm>
#include <cstdio>

#include "csvitem.h"
#include "csvvalue.h"
#include "recwrite.h"

namespace {

// Records of a general database are written with status 1.
constexpr uint8_t kDBStatus = 1;

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
  rec->PutU16(csvvalue::IsNoTime(text) ? 0x8000 : csvvalue::ParseMinutes(text));
}

void PutDate(DBLine* rec, const std::string& text) {
  const csvvalue::Date3 d = csvvalue::ParseDate(text);
  rec->slots.push_back(d.year);
  rec->slots.push_back(d.month);
  rec->slots.push_back(d.day);
}

// A radio button writes the group's slot only as its last button; outside
// a group it writes nothing.
void PutRadio(DBLine* rec, const FieldDefineChain& fdc, const std::string& text) {
  if (!rec->groupFlag) return;
  if (csvvalue::LeadingNumber(text) != 0) rec->iRadio = fdc.pfd->cReserved1;
  const bool last = !fdc.pnext_fdc || fdc.pnext_fdc->pfd->cFieldType != 9;
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
      rec->PutU16(csvvalue::LeadingNumber(text));
      break;
    case 7:
      PutTime(rec, text);
      break;
    case 8:
      PutDate(rec, text);
      break;
    case 9:
      PutRadio(rec, fdc, text);
      break;
    case 10:
      PutNoteLink(rec, text);
      break;
    default:
      PutText(rec, column, text);
      break;
  }
}

void BuildRecord(PFDC start_fdc, const std::string& szBuffer, DBLine* rec) {
  const char cST = opt.iCSV == 1 ? '0' : '"';
  const std::vector<std::string> fields = SplitCSV(szBuffer, cST);
  long column = 1;
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const uint8_t type = fdc->pfd->cFieldType;
    if (type == 11) {
      rec->groupFlag = true;
      continue;
    }
    if (type == 12 || type == 14) {
      rec->groupFlag = false;
      continue;
    }
    if (!FieldMakesColumn(type)) continue;  // no slot, no column, group flag kept
    if (type != 9) rec->groupFlag = false;
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

  recwrite::PutHeader(pSeekInfo, TYPE_DATA, kDBStatus, lLength, state.iDataNum);
  WriteOut(rec->slots.data(), fixed);
  WriteOut("", 1);
  recwrite::PutText(rec->texts);
  state.iDataNum = CutTo16(state.iDataNum + 1L);
  for (const std::string& note : notes) {
    recwrite::PutHeader(pSeekInfo, TYPE_NOTE, kDBStatus, static_cast<long>(note.size()) + kSizeRHDR, state.iNoteNum);
    recwrite::PutText(note);
    state.iNoteNum = CutTo16(state.iNoteNum + 1L);
  }
}

}  // namespace

void WriteDB(PFDC start_fdc, SeekInfoLists* pSeekInfo, const std::string& szBuffer) {
  const std::string line(szBuffer.c_str());  // the line ends at its first NUL
  if (opt.iSilent % 2 == 0) std::fwrite(line.data(), 1, line.size(), stdout);
  DBLine rec;
  BuildRecord(start_fdc, line, &rec);
  if (opt.iOutAppt) WriteRecord(pSeekInfo, &rec);
}
