// rdnote: fetches the text of a note record by its record number and converts
// its line breaks as -n asks.
//
// A note is the first TYPE_NOTE record with that number met when the records
// are read from the first one on, up to the lookup table. Instead of reading
// the records again for every note, the headers are read once, as far as the
// notes asked for so far needed, and every note met on the way is remembered;
// the outcome of each lookup is the one a fresh read from the first record
// would give.
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "kalvert.h"

namespace {

struct NoteAt {
  long lBody;  // input offset of the body
  long lSize;  // body size
};

enum class ScanEnd { kOpen, kLookUpTable, kEndOfFile };

struct NoteIndex {
  std::FILE* f = nullptr;
  long lStart = 0;
  long lNext = 0;  // offset of the next header not read yet
  ScanEnd end = ScanEnd::kOpen;
  std::unordered_map<int16_t, NoteAt> notes;  // the first record of each number
};

NoteIndex& Index() {
  static NoteIndex index;
  return index;
}

// Reads on from where the last lookup stopped until the note is met or the
// records end. A broken header ends the run there, as a fresh read would.
const NoteAt* FindNote(int16_t word) {
  NoteIndex& idx = Index();
  if (idx.f != fp || idx.lStart != lFirst) {
    idx = NoteIndex{};
    idx.f = fp;
    idx.lStart = lFirst;
    idx.lNext = lFirst;
  }
  auto found = idx.notes.find(word);
  if (found != idx.notes.end()) return &found->second;
  if (idx.end != ScanEnd::kOpen) return nullptr;
  if (std::fseek(fp, idx.lNext, SEEK_SET) != 0) Fatal("1. Failed read TYPE_NOTE in file.\n");
  for (;;) {
    RecordHeader rh{};
    if (!ReadRecordHeader(&rh, fp)) {
      idx.end = ScanEnd::kEndOfFile;
      return nullptr;
    }
    if (rh.cType == TYPE_LOOKUPTABLE) {
      idx.end = ScanEnd::kLookUpTable;
      return nullptr;
    }
    const long lBody = idx.lNext + kSizeRHDR;
    const long lSize = static_cast<long>(rh.iLength) - kSizeRHDR;
    idx.lNext = lBody + lSize;
    if (rh.cType == TYPE_NOTE) {
      const auto ins = idx.notes.emplace(rh.iRecord, NoteAt{lBody, lSize});
      if (rh.iRecord == word) return &ins.first->second;
    }
    if (std::fseek(fp, lSize, SEEK_CUR) != 0) Fatal("1. Failed read TYPE_NOTE in file.\n");
  }
}

// The note up to its first NUL, with CR and LF converted by iNote.
std::string Convert(const std::vector<unsigned char>& raw) {
  std::string out;
  out.reserve(raw.size());
  for (const unsigned char c : raw) {
    if (c == 0) break;
    if (iNote == 1 && (c == '\r' || c == '\n')) {
      out += ' ';
    } else if (iNote == 2 && c == '\r') {
      out += '\\';
    } else if (iNote == 2 && c == '\n') {
      out += 'n';
    } else if (iNote != 1 && iNote != 2 && c == '\r') {
      continue;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

void ResetNoteIndex() { Index() = NoteIndex{}; }

std::string ReadNote(int16_t word, int8_t /*cRepeatType*/) {
  const long lSaved = std::ftell(fp);
  const NoteAt* at = FindNote(word);
  if (!at) {
    if (Index().end == ScanEnd::kEndOfFile) Fatal("1. Failed read TYPE_NOTE in file.\n");
    if (std::fseek(fp, lSaved, SEEK_SET) != 0) Fatal("Failed read file.\n");
    std::fprintf(stderr, "Note record %d not found.\n", word);
    return std::string();
  }
  std::vector<unsigned char> raw(static_cast<std::size_t>(at->lSize));
  if (std::fseek(fp, at->lBody, SEEK_SET) != 0 ||
      (!raw.empty() && std::fread(raw.data(), 1, raw.size(), fp) != raw.size())) {
    Fatal("2. Failed read TYPE_NOTE in file.\n");
  }
  if (std::fseek(fp, lSaved, SEEK_SET) != 0) Fatal("Failed read file.\n");
  return Convert(raw);
}
