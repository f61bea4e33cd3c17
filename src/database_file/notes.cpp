// notes: the text of a note record by its record number, as stored and with its
// line breaks shaped as -n asks.
//
// A note is the first TYPE_NOTE record with that number met when the records
// are read from the first one on, up to the lookup table. Instead of reading
// the records again for every note, the first lookup reads them all once, in
// sequence, and keeps every note's body with the way the reading ended (the
// lookup table, the end of the file, or a broken header). Every lookup then
// gives the outcome a fresh read from the first record would give: a note met
// before the end is found, and any other ends as that read would have ended.

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "database_file.h"

namespace {

// Reads the records from lFirst on, as far as a plain search for a note could
// ever get, keeping the notes; the input position is put back afterwards.
void BuildIndex(NoteIndex* idx) {
  const KeepInputPosition kept;
  files.in.Seek(state.lFirst);
  long lAt = state.lFirst;
  for (;;) {
    RecordHeader rh{};
    if (fread_RHDR(&rh, 1, kSizeRHDR, files.in) != kSizeRHDR) {
      idx->end = NoteScanEnd::kEndOfFile;
      break;
    }
    if (rh.iLength < kSizeRHDR) {
      idx->end = NoteScanEnd::kBrokenHeader;
      idx->lBrokenAt = lAt;
      break;
    }
    if (rh.cType == TYPE_LOOKUPTABLE) {
      idx->end = NoteScanEnd::kLookUpTable;
      break;
    }
    lAt += rh.iLength;
    if (rh.cType != TYPE_NOTE || idx->notes.count(rh.iRecord)) {
      SkipBody(rh);
      continue;
    }
    const long lNoteAt = files.in.Tell(), lSize = BodySize(rh);
    idx->notes.emplace(rh.iRecord,
                       NoteBody{lNoteAt, lSize, lNoteAt + lSize <= static_cast<long>(files.in.bytes.size())});
    SkipBody(rh);
  }
  idx->bBuilt = true;
}

}  // namespace

std::string ShapeNote(const std::string& raw) {
  // Written in place: the shaped note is never longer than the stored one.
  std::string out(raw.size(), '\0');
  char* w = out.data();
  for (const char ch : raw) {
    if (ch == '\0') break;
    if (ch != '\r' && ch != '\n') {
      *w++ = ch;
    } else if (opt.iNote == 1) {
      *w++ = ' ';
    } else if (opt.iNote == 2) {
      *w++ = ch == '\r' ? '\\' : 'n';
    } else if (ch == '\n') {
      *w++ = ch;  // line breaks kept: a line feed stays, a carriage return goes
    }
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return out;
}

std::string ReadStoredNote(int16_t word) {
  NoteIndex& idx = state.notes;
  if (!idx.bBuilt) BuildIndex(&idx);
  const auto found = idx.notes.find(word);
  if (found != idx.notes.end()) {
    const NoteBody& note = found->second;
    if (!note.bWhole) Fatal("2. Failed read TYPE_NOTE in file.\n");
    return std::string(reinterpret_cast<const char*>(files.in.bytes.data()) + note.lAt,
                       static_cast<std::size_t>(note.lSize));
  }
  switch (idx.end) {
    case NoteScanEnd::kEndOfFile:
      Fatal("1. Failed read TYPE_NOTE in file.\n");
    case NoteScanEnd::kBrokenHeader:
      Fatal("Broken record at offset %ld.\n", idx.lBrokenAt);
    case NoteScanEnd::kLookUpTable:
      break;
  }
  std::fprintf(stderr, "Note record %d not found.\n", word);
  return std::string();
}

std::string ReadNote(int16_t word, int8_t /*cRepeatType*/) { return ShapeNote(ReadStoredNote(word)); }

std::string ChangeString(std::string szText) {
  for (std::size_t at = szText.find("\\n"); at != std::string::npos; at = szText.find("\\n", at + 2)) {
    szText.replace(at, 2, "\r\n");
  }
  return szText;
}
